#include "support/TestMain.h"
#include "ui/Anchors.h"

using namespace ui;

class TestAnchors : public QObject
{
    Q_OBJECT
private slots:
    void anchoredRect_data()
    {
        QTest::addColumn<unsigned>("anchors");
        QTest::addColumn<QSize>("parent");
        QTest::addColumn<QRect>("expected");
        const unsigned all = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom;
        QTest::newRow("all sides grow") << all << QSize(604, 672) << QRect(8, 8, 335, 584);
        QTest::newRow("all sides shrink") << all << QSize(419, 400) << QRect(8, 8, 150, 312);
        QTest::newRow("top right moves right") << unsigned(AnchorTop | AnchorRight) << QSize(604, 672)
                                               << QRect(108, 8, 235, 484);
        QTest::newRow("left bottom moves down") << unsigned(AnchorLeft | AnchorBottom) << QSize(604, 672)
                                                << QRect(8, 108, 235, 484);
        QTest::newRow("left right bottom") << unsigned(AnchorLeft | AnchorRight | AnchorBottom) << QSize(604, 672)
                                           << QRect(8, 108, 335, 484);
        QTest::newRow("design size") << all << QSize(504, 572) << QRect(8, 8, 235, 484);
    }
    void anchoredRect()
    {
        QFETCH(unsigned, anchors);
        QFETCH(QSize, parent);
        QFETCH(QRect, expected);
        QCOMPARE(ui::anchoredRect(QRect(8, 8, 235, 484), QSize(504, 572), parent, anchors), expected);
    }

    void layoutFollowsResize()
    {
        QWidget container;
        container.resize(504, 572);
        container.show();
        AnchorLayout layout(&container, QSize(504, 572));
        QWidget button(&container);
        layout.place(&button, QRect(391, 540, 110, 25), AnchorRight | AnchorBottom);
        QCOMPARE(button.geometry(), QRect(391, 540, 110, 25));
        container.resize(604, 600);
        QCOMPARE(button.geometry(), QRect(491, 568, 110, 25));
    }
};

GW_TEST_MAIN(TestAnchors)
#include "tst_anchors.moc"
