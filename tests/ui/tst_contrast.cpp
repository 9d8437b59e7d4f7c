// The contrast ratio of two colours, and the program's fixed text colours against the backgrounds
// of the standard style.

#include "help/HelpWindow.h"
#include "support/TestMain.h"
#include "ui/Contrast.h"
#include "ui/Look.h"

#include <QStyle>
#include <QStyleFactory>

#include <memory>

class TestContrast : public QObject
{
    Q_OBJECT
private slots:
    void ratio_data()
    {
        QTest::addColumn<QColor>("a");
        QTest::addColumn<QColor>("b");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
        QTest::newRow("white on black") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
        QTest::newRow("same colour") << QColor(15, 63, 111) << QColor(15, 63, 111) << 1.0;
        // Grey 118 is the lightest grey that reaches 4.5 on white; the curve is not linear.
        QTest::newRow("grey 118 on white") << QColor(118, 118, 118) << QColor(Qt::white) << 4.54;
        QTest::newRow("pure red on white") << QColor(Qt::red) << QColor(Qt::white) << 4.0;
    }
    void ratio()
    {
        QFETCH(QColor, a);
        QFETCH(QColor, b);
        QFETCH(double, ratio);
        QCOMPARE(qRound(ui::contrastRatio(a, b) * 100) / 100.0, ratio);
    }

    // The colours the program fixes stay readable on what they are drawn on.
    void programColoursReadable_data()
    {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<int>("background"); // a role of the standard palette, or -1: the text colour
        QTest::addColumn<int>("textRole");   // -1: `text` itself, else a role of the standard palette
        QTest::newRow("window text on window") << ui::textColour() << int(QPalette::Window) << -1;
        QTest::newRow("window text on base") << ui::textColour() << int(QPalette::Base) << -1;
        QTest::newRow("link on window") << ui::linkColour() << int(QPalette::Window) << -1;
        QTest::newRow("link on base") << ui::linkColour() << int(QPalette::Base) << -1;
        QTest::newRow("marked row") << QColor() << -1 << int(QPalette::HighlightedText);
        // The numbers of the donation picture, white on their tiles.
        for (const QColor &tile : help::donationTileColours())
            QTest::addRow("tile %s", qPrintable(tile.name())) << tile << int(QPalette::Base) << -1;
    }
    void programColoursReadable()
    {
        QFETCH(QColor, text);
        QFETCH(int, background);
        QFETCH(int, textRole);
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        const QPalette standard = fusion->standardPalette();
        const QColor fore = textRole < 0 ? text : standard.color(QPalette::ColorRole(textRole));
        const QColor back = background < 0 ? ui::textColour() : standard.color(QPalette::ColorRole(background));
        QVERIFY2(ui::contrastRatio(fore, back) >= ui::kMinimumTextContrast,
                 qPrintable(QString::number(ui::contrastRatio(fore, back))));
    }
};

GW_TEST_MAIN(TestContrast)
#include "tst_contrast.moc"
