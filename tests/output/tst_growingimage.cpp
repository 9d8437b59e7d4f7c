#include "output/GrowingImage.h"
#include "support/TestMain.h"
#include "util/Errors.h"

#include <QPainter>

using output::GrowingImage;

namespace {

// The plain way: a new white image of the new size for every change, the old pixels copied over.
QImage resizedPlainly(const QImage &old, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.drawImage(0, 0, old);
    return image;
}

void drawStep(QImage &target, int step)
{
    QPainter p(&target);
    p.setPen(QColor::fromHsv(step * 37 % 360, 200, 150));
    p.drawLine(0, target.height() - 1, target.width() - 1, step % target.height());
    p.fillRect(step % 17, target.height() - 8, 5 + step % 9, 4, QColor(step * 10 % 256, 40, 90));
    p.drawText(3, target.height() - 2, QString::number(step));
}

} // namespace

class TestGrowingImage : public QObject
{
    Q_OBJECT
private slots:
    void sameAsEnlargingLineByLine()
    {
        GrowingImage image;
        QImage plain;
        image.setWidth(20);
        image.setHeight(20);
        plain = resizedPlainly(plain, 20, 20);
        int width = 20;
        for (int step = 0; step < 120; ++step) {
            // Widths only grow, now and then; heights grow with a line and sometimes fall back.
            if (step % 13 == 0)
                width += 7 + step;
            const int height = 20 + step * 9 + (step % 3 == 0 ? 30 : 0);
            image.setWidth(width);
            image.setHeight(height);
            plain = resizedPlainly(plain, width, height);
            QImage view = image.view();
            drawStep(view, step);
            drawStep(plain, step);
        }
        QCOMPARE(image.view(), plain);
    }

    void storageGrowsAheadButStaysClose()
    {
        GrowingImage image;
        image.setWidth(800);
        qint64 reallocations = 0;
        qint64 last = 0;
        for (int height = 20; height <= 60000; height += 17) {
            image.setHeight(height);
            reallocations += image.reservedBytes() != last;
            last = image.reservedBytes();
        }
        const qint64 visible = qint64(image.width()) * image.height() * 4;
        QVERIFY(image.reservedBytes() <= visible * 5 / 4 + 800 * 4 * 64);
        QVERIFY2(reallocations < 40, qPrintable(QString::number(reallocations)));
    }

    // Narrowing, then widening or heightening again, shows white where the old pixels were.
    void shrunkAreaIsWhiteAgain_data()
    {
        QTest::addColumn<bool>("narrow");
        QTest::newRow("narrowed and widened") << true;
        QTest::newRow("lowered and heightened") << false;
    }
    void shrunkAreaIsWhiteAgain()
    {
        QFETCH(bool, narrow);
        GrowingImage image;
        image.setWidth(300);
        image.setHeight(40);
        image.view().fill(Qt::black);
        if (narrow) {
            image.setWidth(100);
            image.setWidth(300);
        } else {
            image.setHeight(10);
            image.setHeight(40);
        }
        QImage expected(300, 40, QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter(&expected).fillRect(narrow ? QRect(0, 0, 100, 40) : QRect(0, 0, 300, 10), Qt::black);
        QCOMPARE(image.view().convertToFormat(QImage::Format_RGB32), expected);
    }

    void limits_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("fits");
        QTest::newRow("inside") << 100 << 100 << true;
        QTest::newRow("at the limits") << 200 << 250 << true;
        QTest::newRow("too wide") << 201 << 10 << false;
        QTest::newRow("too high") << 10 << 301 << false;
        QTest::newRow("too many pixels") << 200 << 251 << false;
        QTest::newRow("negative") << -1 << 10 << false;
    }
    void limits()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, fits);
        GrowingImage image({200, 300, 200 * 250});
        image.setWidth(20);
        image.setHeight(20);
        bool thrown = false;
        try {
            image.setWidth(width);
            image.setHeight(height);
        } catch (const util::Error &) {
            thrown = true;
        }
        QCOMPARE(!thrown, fits);
        if (thrown) {
            // A failed enlargement leaves a usable image.
            QVERIFY(image.width() <= 200 && image.height() <= 300);
            QVERIFY(!image.view().isNull());
        }
    }

    // Emptying with clear() releases the storage, with empty() keeps it; either way the next
    // image starts white, also where the one before was drawn and in columns it did not use.
    void emptyingStartsWhite_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::newRow("clear") << false;
        QTest::newRow("empty") << true;
    }
    void emptyingStartsWhite()
    {
        QFETCH(bool, keep);
        GrowingImage image;
        image.setWidth(300);
        image.setHeight(300);
        image.view().fill(Qt::black);
        const qint64 reserved = image.reservedBytes();
        keep ? image.empty() : image.clear();
        QCOMPARE(image.reservedBytes(), keep ? reserved : 0);
        QVERIFY(image.view().isNull());
        image.setWidth(20);
        image.setHeight(20);
        image.setWidth(250);
        image.setHeight(260);
        QImage white(250, 260, QImage::Format_RGB32);
        white.fill(Qt::white);
        QCOMPARE(image.view(), white);
    }

    // The storage of a wide part kept for a narrower, higher one (more rows than the pixel limit
    // gives at the storage's width): what is drawn keeps its place, the rows that come back after
    // lowering are white, and the storage stays within the pixel limit.
    void higherInKeptWideStorage()
    {
        GrowingImage image({1000, 1000, 100'000});
        image.setWidth(1000);
        image.setHeight(20);
        image.empty();
        image.setWidth(100);
        image.setHeight(90);
        image.view().fill(Qt::black);
        image.setHeight(900);
        image.setHeight(890);
        image.setHeight(900);
        QImage expected(100, 900, QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter(&expected).fillRect(QRect(0, 0, 100, 90), Qt::black);
        QCOMPARE(image.view().convertToFormat(QImage::Format_RGB32), expected);
        QVERIFY2(image.reservedBytes() <= 100'000 * 4, qPrintable(QString::number(image.reservedBytes())));
    }

    void linesPerPart_data()
    {
        QTest::addColumn<int>("f");
        QTest::addColumn<int>("n");
        for (auto [f, n] : {std::pair{6, 4}, {9, 4}, {10, 8}, {14, 8}, {15, 12}, {99, 76}, {100, 100}, {5000, 100}})
            QTest::addRow("f=%d", f) << f << n;
    }
    void linesPerPart()
    {
        QFETCH(int, f);
        QFETCH(int, n);
        QCOMPARE(output::linesPerPart(f), n);
    }

    void partNames_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("part2");
        QTest::newRow("extension") << "/tmp/sheet.gif" << "/tmp/sheet2.gif";
        QTest::newRow("two dots") << "/tmp/my.sheet.gif" << "/tmp/my.sheet2.gif";
        QTest::newRow("dot in the folder only") << "/tmp/a.b/sheet" << "/tmp/a.b/sheet2.gif";
    }
    void partNames()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, part2);
        QCOMPARE(output::partFileName(output::withoutExtension(chosen), 2, QStringLiteral(".gif")), part2);
    }
};

GW_TEST_MAIN_GUI(TestGrowingImage)
#include "tst_growingimage.moc"
