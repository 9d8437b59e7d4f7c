// The contrast ratio of two colours, and the program's fixed colours against what they are drawn
// on in the standard style.

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
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<double>("least"); // the ratio it must reach; 0: exactly `exact`
        QTest::addColumn<double>("exact");
        const QColor white(Qt::white);
        QTest::newRow("black on white") << QColor(Qt::black) << white << 0.0 << 21.0;
        QTest::newRow("white on black") << white << QColor(Qt::black) << 0.0 << 21.0;
        QTest::newRow("same colour") << ui::textColour() << ui::textColour() << 0.0 << 1.0;
        // Not linear: grey 118 on white is 4.54, pure red 4.0.
        QTest::newRow("grey 118") << QColor(118, 118, 118) << white << 0.0 << 4.54;
        QTest::newRow("pure red") << QColor(Qt::red) << white << 0.0 << 4.0;
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        const QPalette standard = fusion->standardPalette();
        const double least = ui::kMinimumTextContrast;
        for (auto role : {QPalette::Window, QPalette::Base}) {
            QTest::addRow("text on %d", role) << ui::textColour() << standard.color(role) << least << 0.0;
            QTest::addRow("link on %d", role) << ui::linkColour() << standard.color(role) << least << 0.0;
        }
        QTest::newRow("marked row") << standard.color(QPalette::HighlightedText) << ui::textColour() << least << 0.0;
        // The white numbers on the donation picture's tiles.
        for (const QColor &tile : help::donationTileColours())
            QTest::addRow("tile %s", qPrintable(tile.name())) << white << tile << least << 0.0;
    }
    void ratio()
    {
        QFETCH(QColor, text);
        QFETCH(QColor, background);
        QFETCH(double, least);
        QFETCH(double, exact);
        const double ratio = ui::contrastRatio(text, background);
        if (least > 0)
            QVERIFY2(ratio >= least, qPrintable(QString::number(ratio)));
        else
            QCOMPARE(qRound(ratio * 100) / 100.0, exact);
    }
};

GW_TEST_MAIN(TestContrast)
#include "tst_contrast.moc"
