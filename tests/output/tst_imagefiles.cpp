// The image encoders, checked with decoders that are not ours: ImageMagick, djpeg/rdjpgcom.

#include "output/ImageFiles.h"
#include "platform/Signals.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "util/Errors.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>

using output::ImageFormat;

namespace {

// Runs an outside tool and returns what it printed; fails the test when it does not succeed.
QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return {};
    }
    return process.readAllStandardOutput();
}

// The pixels of `path` as ImageMagick decodes them, 8-bit RGB, row by row.
QByteArray decodedRgb(const QString &path)
{
    return runTool(QStringLiteral("convert"), {path, QStringLiteral("-depth"), QStringLiteral("8"),
                                              QStringLiteral("rgb:-")});
}

QRgb rgbAt(const QByteArray &rgb, int width, int x, int y)
{
    const auto *p = reinterpret_cast<const uchar *>(rgb.constData()) + 3 * (qsizetype(y) * width + x);
    return qRgb(p[0], p[1], p[2]);
}

// 16 × 3 blocks of 16 × 16 pixels in distinct colours (the listed ones first), then 16 rows in
// which every channel passes through all 256 values.
QImage testImage(QImage::Format format)
{
    const QList<QRgb> named = {qRgb(255, 255, 255), qRgb(0, 0, 0),     qRgb(128, 128, 128), qRgb(200, 200, 200),
                               qRgb(201, 201, 201), qRgb(255, 0, 0),   qRgb(0, 255, 0),     qRgb(0, 0, 255),
                               qRgb(47, 48, 98),    qRgb(99, 149, 150), qRgb(251, 252, 3)};
    QImage image(256, 64, QImage::Format_RGB32);
    for (int block = 0; block < 48; ++block) {
        const QRgb colour = block < named.size()
            ? named.at(block)
            : qRgb((block * 53) % 256, (block * 101) % 256, (block * 197) % 256);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                image.setPixel((block % 16) * 16 + x, (block / 16) * 16 + y, colour);
    }
    for (int y = 48; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            image.setPixel(x, y, qRgb(x, 255 - x, (x * 7 + y) % 256));
    if (format == QImage::Format_Indexed8)
        return image.convertToFormat(format, Qt::ThresholdDither | Qt::AvoidDither);
    return image.convertToFormat(format);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestImageFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // As the program does: writes beyond a file-size limit fail instead of ending the run.
        platform::ignoreFileSizeSignal();
    }

    void channelLevels_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("level");
        const int table[][2] = {{0, 0},    {47, 0},   {48, 51},  {98, 51},   {99, 102},  {128, 102}, {149, 102},
                                {150, 153}, {200, 153}, {201, 204}, {251, 204}, {252, 255}, {255, 255}};
        for (const auto &row : table)
            QTest::addRow("%d", row[0]) << row[0] << row[1];
    }
    void channelLevels()
    {
        QFETCH(int, value);
        QFETCH(int, level);
        QCOMPARE(51 * output::gifLevel(value), level);
        // The channel is mapped alone: its place in the index does not depend on the others.
        QCOMPARE(output::gifPaletteColour(output::gifPaletteIndex(qRgb(value, 0, 0))), qRgb(level, 0, 0));
        QCOMPARE(output::gifPaletteColour(output::gifPaletteIndex(qRgb(9, value, 252))), qRgb(0, level, 255));
        QCOMPARE(output::gifPaletteColour(output::gifPaletteIndex(qRgb(0, 0, value))), qRgb(0, 0, level));
    }

    void paletteIndex()
    {
        QCOMPARE(output::gifPaletteIndex(qRgb(0, 0, 0)), 0);
        QCOMPARE(output::gifPaletteIndex(qRgb(255, 255, 255)), 215);
        QCOMPARE(output::gifPaletteIndex(qRgb(255, 0, 0)), 180);
        QCOMPARE(output::gifPaletteIndex(qRgb(0, 102, 51)), 13);
        for (int i = 0; i < 216; ++i)
            QCOMPARE(output::gifPaletteIndex(output::gifPaletteColour(i)), i);
    }

    // Every encoder, fed each pixel layout it handles on its own way, read back by ImageMagick.
    void readBack_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("pixels");
        const QList<std::pair<const char *, QImage::Format>> layouts = {
            {"RGB32", QImage::Format_RGB32},
            {"RGB888", QImage::Format_RGB888},
            {"ARGB32", QImage::Format_ARGB32},
            {"premultiplied", QImage::Format_ARGB32_Premultiplied},
            {"indexed", QImage::Format_Indexed8}};
        for (const auto &[name, layout] : layouts) {
            QTest::addRow("bmp %s", name) << int(ImageFormat::Bmp) << int(layout);
            QTest::addRow("jpeg %s", name) << int(ImageFormat::Jpeg) << int(layout);
            QTest::addRow("gif %s", name) << int(ImageFormat::Gif) << int(layout);
        }
    }
    void readBack()
    {
        QFETCH(int, format);
        QFETCH(int, pixels);
        const QImage image = testImage(QImage::Format(pixels));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sheet"));
        output::saveImage(image, ImageFormat(format), path);
        const QByteArray rgb = decodedRgb(path);
        QCOMPARE(rgb.size(), 3 * image.width() * image.height());

        if (ImageFormat(format) == ImageFormat::Jpeg) {
            // Lossy: the middle of each plain block keeps its colour closely.
            for (int block = 0; block < 48; ++block) {
                const int x = (block % 16) * 16 + 8, y = (block / 16) * 16 + 8;
                const QRgb want = image.pixel(x, y), got = rgbAt(rgb, image.width(), x, y);
                QVERIFY2(qAbs(qRed(want) - qRed(got)) <= 12 && qAbs(qGreen(want) - qGreen(got)) <= 12
                             && qAbs(qBlue(want) - qBlue(got)) <= 12,
                         qPrintable(QStringLiteral("block %1: %2 read as %3")
                                        .arg(block)
                                        .arg(want, 6, 16)
                                        .arg(got & 0xffffff, 6, 16)));
            }
            return;
        }
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb source = image.pixel(x, y) | 0xff000000u;
                const QRgb want = ImageFormat(format) == ImageFormat::Gif
                    ? output::gifPaletteColour(output::gifPaletteIndex(source))
                    : source;
                if (rgbAt(rgb, image.width(), x, y) != want)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3 read as %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(want & 0xffffff, 6, 16)
                                         .arg(rgbAt(rgb, image.width(), x, y) & 0xffffff, 6, 16)));
            }
        }
    }

    void bitmapIsUncompressedAtImageDepth_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("bits");
        QTest::newRow("true colour") << int(QImage::Format_RGB32) << 24;
        QTest::newRow("24-bit") << int(QImage::Format_RGB888) << 24;
        QTest::newRow("palette") << int(QImage::Format_Indexed8) << 8;
    }
    void bitmapIsUncompressedAtImageDepth()
    {
        QFETCH(int, pixels);
        QFETCH(int, bits);
        const QByteArray bmp = output::encodeImage(testImage(QImage::Format(pixels)), ImageFormat::Bmp);
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(int(uchar(bmp[28])), bits);                                    // bits per pixel
        QCOMPARE(qFromLittleEndian<quint32>(bmp.constData() + 30), quint32(0)); // BI_RGB
    }

    void jpegIsBaselineColourQuality85()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sheet.jpg"));
        output::saveImage(testImage(QImage::Format_RGB32), ImageFormat::Jpeg, path);
        const QString info = QString::fromUtf8(runTool(QStringLiteral("rdjpgcom"), {QStringLiteral("-verbose"), path}));
        QVERIFY2(info.contains(QLatin1String("JPEG image is 256w * 64h, 3 color components")), qPrintable(info));
        QVERIFY2(info.contains(QLatin1String("JPEG process: Baseline")), qPrintable(info));
        QCOMPARE(runTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%Q"), path}),
                 QByteArray("85"));
        // The same bytes whether encoded to memory or straight into the file.
        QCOMPARE(output::encodeImage(testImage(QImage::Format_RGB32), ImageFormat::Jpeg), readFile(path));
    }

    void gifColourMapHoldsThePalette()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sheet.gif"));
        output::saveImage(testImage(QImage::Format_RGB32), ImageFormat::Gif, path);
        const QString info = QString::fromUtf8(runTool(QStringLiteral("identify"), {QStringLiteral("-verbose"), path}));
        static const QRegularExpression entry(QStringLiteral(R"(^\s+(\d+): \(\s*(\d+),\s*(\d+),\s*(\d+)\))"),
                                              QRegularExpression::MultilineOption);
        QMap<int, QRgb> map;
        for (auto it = entry.globalMatch(info.section(QLatin1String("Colormap:"), 1)); it.hasNext();) {
            const auto m = it.next();
            map.insert(m.captured(1).toInt(), qRgb(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()));
        }
        QCOMPARE(map.size(), 256);
        for (int i = 0; i < 216; ++i)
            QCOMPARE(map.value(i), output::gifPaletteColour(i));
        QVERIFY(runTool(QStringLiteral("giftext"), {path}).contains("Image #1"));
    }

    // A failed write reports the system's reason, leaves an existing file as it was and leaves
    // no temporary file behind.
    void failedWriteKeepsExistingFile_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        for (const auto &[name, format] : {std::pair{"bmp", ImageFormat::Bmp}, std::pair{"jpeg", ImageFormat::Jpeg},
                                          std::pair{"gif", ImageFormat::Gif}}) {
            QTest::addRow("%s disk full", name) << int(format) << "old.img" << "File too large";
            QTest::addRow("%s name is a folder", name) << int(format) << "folder" << "directory";
            QTest::addRow("%s folder missing", name) << int(format) << "missing/new.img" << "No such file or directory";
        }
        QTest::newRow("jpeg encoder refuses") << int(ImageFormat::Jpeg) << "huge.jpg" << "65500";
    }
    void failedWriteKeepsExistingFile()
    {
        QFETCH(int, format);
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QByteArray old = "the file that was there";
        QVERIFY(gwtest::writeFile(dir.filePath(QStringLiteral("old.img")), old));
        QVERIFY(gwtest::writeFile(dir.filePath(QStringLiteral("huge.jpg")), old));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        QImage image = testImage(QImage::Format_RGB32).scaled(1024, 1024);
        if (target == QLatin1String("huge.jpg"))
            image = QImage(70000, 1, QImage::Format_RGB32);

        // A file size limit stands in for a full disk: writes beyond it fail as they would.
        const bool limit = reason == QLatin1String("File too large");
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (limit) {
            rlimit small = saved;
            small.rlim_cur = 4096;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        QString message;
        try {
            output::saveImage(image, ImageFormat(format), dir.filePath(target));
        } catch (const util::Error &e) {
            message = e.message();
        }
        if (limit)
            setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(readFile(dir.filePath(QStringLiteral("old.img"))), old);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("huge.jpg"))), old);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({QStringLiteral("folder"), QStringLiteral("huge.jpg"), QStringLiteral("old.img")}));
    }

    // The disk filling up within the last 32 KB of an image file, at every byte: a failure each
    // time, the old file intact, no temporary file left. A file-size limit makes every distance
    // exact; a small tmpfs (where one can be mounted) shows the same with a real full disk.
    void fullDiskNearTheEnd_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("tmpfs");
        for (const auto &[name, format] : {std::pair{"bmp", ImageFormat::Bmp}, std::pair{"jpeg", ImageFormat::Jpeg},
                                          std::pair{"gif", ImageFormat::Gif}}) {
            QTest::addRow("%s file-size limit", name) << int(format) << false;
            QTest::addRow("%s full tmpfs", name) << int(format) << true;
        }
    }
    void fullDiskNearTheEnd()
    {
        QFETCH(int, format);
        QFETCH(bool, tmpfs);
        // Noise keeps the compressed formats large: each file is a little over 32 KB.
        QImage image;
        qint64 size = 0;
        for (int height = 20; size <= 32768 + (tmpfs ? 4096 : 0); height += 20) {
            image = QImage(110, height, QImage::Format_RGB32);
            quint32 seed = 12345;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, seed = seed * 1664525u + 1013904223u);
            size = output::encodeImage(image, ImageFormat(format)).size();
        }

        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("disk"));
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QStringLiteral("/sheet.img");
        const QByteArray old = "the image that was there";
        QVERIFY(gwtest::writeFile(target, old));
        const auto check = [&](qint64 distance) {
            QString message;
            try {
                output::saveImage(image, ImageFormat(format), target);
            } catch (const util::Error &e) {
                message = e.message();
            }
            const QString context = QStringLiteral("%1 bytes short: \"%2\"").arg(distance).arg(message);
            QVERIFY2(message.contains(tmpfs ? QLatin1String("No space left") : QLatin1String("File too large")),
                     qPrintable(context));
            QVERIFY2(readFile(target) == old, qPrintable(context));
            QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
            left.removeAll(QStringLiteral(".filler"));
            QVERIFY2(left == QStringList(QStringLiteral("sheet.img")), qPrintable(context));
        };

        if (!tmpfs) {
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            for (qint64 distance = 1; distance <= 32768; ++distance) {
                rlimit small = saved;
                small.rlim_cur = rlim_t(size - distance);
                QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
                check(distance);
                setrlimit(RLIMIT_FSIZE, &saved);
                if (QTest::currentTestFailed())
                    return;
            }
            return;
        }

        // tmpfs counts whole pages: a filler leaves room for all but the last 1 to 8 pages.
        const QByteArray options = "size=" + QByteArray::number(size + 16 * 4096);
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0)
            QSKIP("no tmpfs can be mounted here");
        const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(folder).constData()); });
        QVERIFY(gwtest::writeFile(target, old));
        const QString filler = folder + QStringLiteral("/.filler");
        struct statvfs fs;
        for (qint64 pages = 1; pages <= 8 && !QTest::currentTestFailed(); ++pages) {
            QFile::remove(filler);
            QVERIFY(statvfs(QFile::encodeName(folder).constData(), &fs) == 0);
            const qint64 free = qint64(fs.f_bavail) * qint64(fs.f_frsize);
            const qint64 room = (size + 4095) / 4096 * 4096 - pages * 4096;
            QVERIFY(gwtest::writeFile(filler, QByteArray(free - room, 'f')));
            check(pages * 4096);
        }
    }

    void existingFileIsReplaced()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sheet.gif"));
        QVERIFY(gwtest::writeFile(path, QByteArray(100000, 'x')));
        output::saveBytes("GIF89a", path);
        QCOMPARE(readFile(path), QByteArray("GIF89a"));
    }

    void nonLatinNameIsWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Schriftbild \u0394\u03B5\u03AF\u03B3\u03BC\u03B1 \u5B57\u4F53 \u00FC.gif"));
        output::saveImage(testImage(QImage::Format_RGB32), ImageFormat::Gif, path);
        QCOMPARE(runTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h"), path}),
                 QByteArray("GIF 256 64"));
    }
};

GW_TEST_MAIN_GUI(TestImageFiles)
#include "tst_imagefiles.moc"
