// Tests of the faces drawn from font files' own bytes: they draw what Qt draws from the same file
// registered, refuse a listed file that changed into something hostile without ever blocking,
// stay within their cache's bounds, and order mixed-direction text as the bidirectional
// algorithm does.

#include "platform/FileFaces.h"
#include "platform/FontFile.h"
#include "platform/GlyphText.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using platform::FileFaces;
using platform::FontFileFault;

namespace {

// Copies a font with its family and full name set to argv[3] (in English and Japanese records)
// and its PostScript name to argv[4]; every other naming record of the family goes.
const char *const kNameScript = R"(
import sys
from fontTools.ttLib import TTFont
src, dst, family, postscript = sys.argv[1:5]
font = TTFont(src)
table = font['name']
for nid in (1, 2, 3, 4, 6, 16, 17, 21, 22):
    table.removeNames(nameID=nid)
for lid in (0x409, 0x411):
    for nid, text in ((1, family), (2, 'Regular'), (3, postscript + '-probe'), (4, family), (6, postscript)):
        table.setName(text, nid, 3, 1, lid)
font.save(dst)
)";

constexpr qreal kPixelSize = 28;
constexpr QPointF kBaseline(6, 52);

QImage blankImage()
{
    QImage image(720, 72, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

QString fontFile(const char *package, const char *fileName)
{
    return gwtest::packageFontFile(QString::fromLatin1(package), QString::fromLatin1(fileName));
}

/// The glyph indexes of the runs of `shaped`, left to right.
QList<quint32> glyphsOf(const platform::ShapedText &shaped)
{
    QList<quint32> glyphs;
    for (const QGlyphRun &run : shaped.runs)
        glyphs += run.glyphIndexes();
    return glyphs;
}

} // namespace

class TestFileFaces : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    /// A new path in the test's folder.
    QString newPath(const QString &suffix = QStringLiteral(".ttf"))
    {
        return m_dir.filePath(QStringLiteral("f%1%2").arg(++m_files).arg(suffix));
    }

    /// Lists `path` as the file it is now, as a folder load does.
    static void list(const QString &path)
    {
        FileFaces::instance().setListedFile(path, platform::readFontFile(path).identity);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void pixelsEqualRegisteredFont_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");

        const QString latin = QStringLiteral("Hamburgefonstiv QRag 0123 (fi) & \u00C4\u00D6\u00DC\u00DF");
        QTest::newRow("Latin") << fontFile("fonts-dejavu-core", "DejaVuSans.ttf") << "Glyphworks Pixel Latin"
                               << latin;
        QTest::newRow("Arabic") << fontFile("fonts-noto-core", "NotoNaskhArabic-Regular.ttf")
                                << "Glyphworks Pixel Naskh"
                                << QStringLiteral("\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627"
                                                  "\u0644\u0645 \u0644\u0627 \u0661\u0662\u0663");
        QTest::newRow("Japanese name") << fontFile("fonts-liberation2", "LiberationSerif-Regular.ttf")
                                       << QStringLiteral("\u30C6\u30B9\u30C8\u660E\u671D") << latin;
        QTest::newRow("Latin, Hebrew and digits")
            << fontFile("fonts-dejavu-core", "DejaVuSans.ttf") << "Glyphworks Pixel Mixed"
            << QStringLiteral("abc \u05D0\u05D1\u05D2 123, \u05D3\u05D4 (x) def");
    }

    // A face made from a file's bytes draws, pixel for pixel, what Qt draws from that file
    // registered with its font database and asked for by name.
    void pixelsEqualRegisteredFont()
    {
        QFETCH(QString, source);
        QFETCH(QString, family);
        QFETCH(QString, text);

        const QString path = newPath();
        const QString postscript = QStringLiteral("GlyphworksPixel%1").arg(m_files);
        QVERIFY(gwtest::runPython(kNameScript, {source, path, family, postscript}));
        // Qt is given a copy of its own, so nothing it keeps of the file can reach the face.
        QTemporaryDir registeredDir;
        const QString copy = registeredDir.filePath(QStringLiteral("copy.ttf"));
        QVERIFY(QFile::copy(path, copy));
        QVERIFY(!QFontDatabase::families().contains(family));
        const int id = QFontDatabase::addApplicationFont(copy);
        QVERIFY(id >= 0);
        const auto unregister = qScopeGuard([id] { QFontDatabase::removeApplicationFont(id); });
        QCOMPARE(QFontDatabase::applicationFontFamilies(id), QStringList{family});

        QFont font;
        font.setFamilies({family});
        font.setPixelSize(int(kPixelSize));
        font.setStyleStrategy(QFont::NoFontMerging);
        // Only the registered copy has this family: Qt draws from it and from nothing else.
        QCOMPARE(QFontInfo(font).family(), family);
        QImage byName = blankImage();
        {
            QPainter painter(&byName);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(kBaseline, text);
        }

        list(path);
        FontFileFault fault = FontFileFault::Damaged;
        const QRawFont face = FileFaces::instance().face(path, {kPixelSize}, &fault);
        QCOMPARE(fault, FontFileFault::None);
        QVERIFY(face.isValid());
        const platform::ShapedText shaped = platform::shapeText(face, text);
        QCOMPARE(shaped.missing, 0);
        QImage fromFile = blankImage();
        {
            QPainter painter(&fromFile);
            painter.setPen(Qt::black);
            platform::drawShapedText(painter, shaped, kBaseline);
        }
        QVERIFY(fromFile != blankImage());
        QCOMPARE(fromFile, byName);
    }

    void hostileFiles_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("faultWhenListedAgain");

        const auto row = [](const char *name, FontFileFault fault, FontFileFault again) {
            QTest::newRow(name) << QString::fromLatin1(name) << int(fault) << int(again);
        };
        // A FIFO without a writer: an open that waits for one would never return.
        row("FIFO", FontFileFault::NotAFile, FontFileFault::NotAFile);
        row("device link", FontFileFault::NotAFile, FontFileFault::NotAFile);
        row("truncated", FontFileFault::Damaged, FontFileFault::Damaged);
        // Another font in its place is refused until the folder is loaded again.
        row("swapped", FontFileFault::Replaced, FontFileFault::None);
        row("deleted", FontFileFault::Missing, FontFileFault::Missing);
        // Refused by its size alone: reading a terabyte would never end.
        row("one byte over the limit", FontFileFault::TooLarge, FontFileFault::TooLarge);
        row("sparse terabyte", FontFileFault::TooLarge, FontFileFault::TooLarge);
        row("table beyond the end", FontFileFault::Damaged, FontFileFault::Damaged);
    }

    // A listed file that changed is refused at once, with the reason, by the face and by the
    // bounded read alike; none of them blocks (the test's time limit would end it).
    void hostileFiles()
    {
        QFETCH(QString, change);
        QFETCH(int, fault);
        QFETCH(int, faultWhenListedAgain);

        const QString path = newPath();
        const QByteArray native = QFile::encodeName(path);
        QVERIFY(QFile::copy(fontFile("fonts-dejavu-core", "DejaVuSans.ttf"), path));
        if (change == QLatin1String("one byte over the limit") || change == QLatin1String("sparse terabyte")) {
            QFile file(path);
            qint64 size = platform::kMaxFontFileSize + 1;
            if (change == QLatin1String("sparse terabyte"))
                for (size = 1LL << 40; size > (1LL << 30) && !file.resize(size);)
                    size /= 2;
            QVERIFY2(file.resize(size), qPrintable(file.errorString()));
        } else if (change == QLatin1String("table beyond the end")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            // The length of the first table record.
            QVERIFY(file.seek(12 + 12));
            const quint32 length = qToBigEndian<quint32>(quint32(file.size()));
            QCOMPARE(file.write(reinterpret_cast<const char *>(&length), 4), 4);
        }
        list(path);
        QVERIFY(FileFaces::instance().listedIdentity(path).isKnown());

        if (change == QLatin1String("FIFO")) {
            QVERIFY(QFile::remove(path));
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        } else if (change == QLatin1String("device link")) {
            QVERIFY(QFile::remove(path));
            QCOMPARE(::symlink("/dev/zero", native.constData()), 0);
        } else if (change == QLatin1String("truncated")) {
            QFile file(path);
            QVERIFY(file.resize(file.size() / 2));
        } else if (change == QLatin1String("swapped")) {
            const QString other = newPath();
            QVERIFY(QFile::copy(fontFile("fonts-dejavu-core", "DejaVuSerif.ttf"), other));
            QCOMPARE(std::rename(QFile::encodeName(other).constData(), native.constData()), 0);
        } else if (change == QLatin1String("deleted")) {
            QVERIFY(QFile::remove(path));
        }

        const auto expected = FontFileFault(fault);
        FontFileFault got = FontFileFault::None;
        QVERIFY(!FileFaces::instance().face(path, {kPixelSize}, &got).isValid());
        QCOMPARE(got, expected);
        const platform::FontFileBytes read = platform::readFontFile(path, FileFaces::instance().listedIdentity(path));
        QCOMPARE(read.fault, expected);
        QVERIFY(read.bytes.isEmpty());
        QCOMPARE(FileFaces::instance().fileBytes(path).fault, expected);

        // Listed again, as the file it now is.
        list(path);
        const QRawFont again = FileFaces::instance().face(path, {kPixelSize}, &got);
        QCOMPARE(got, FontFileFault(faultWhenListedAgain));
        QCOMPARE(again.isValid(), got == FontFileFault::None);
    }

    // A good font at a path no load listed, or listed while nothing was there, is not read: a
    // path made up from a list entry's text leads to a file of someone else's choosing.
    void unlistedPathIsNeverRead()
    {
        const QString never = newPath();
        const QString laterPlanted = newPath();
        FileFaces::instance().setListedFile(laterPlanted, platform::readFontFile(laterPlanted).identity);
        QVERIFY(!FileFaces::instance().listedIdentity(laterPlanted).isKnown());
        for (const auto &[path, fault] : {std::pair(never, FontFileFault::Replaced),
                                          std::pair(laterPlanted, FontFileFault::Missing)}) {
            QVERIFY(QFile::copy(fontFile("fonts-dejavu-core", "DejaVuSans.ttf"), path));
            FontFileFault got = FontFileFault::None;
            QVERIFY(!FileFaces::instance().face(path, {kPixelSize}, &got).isValid());
            QCOMPARE(got, fault);
            const platform::FontFileBytes bytes = FileFaces::instance().fileBytes(path);
            QCOMPARE(bytes.fault, fault);
            QVERIFY(bytes.bytes.isEmpty());
            list(path);
            QVERIFY(FileFaces::instance().face(path, {kPixelSize}).isValid());
        }
    }

    void cacheStaysWithinLimits_data()
    {
        QTest::addColumn<int>("faces");
        QTest::addColumn<qreal>("filesOfBytes");
        QTest::addColumn<int>("maxFiles");
        QTest::newRow("by faces") << 4 << qreal(100) << 10;
        QTest::newRow("by bytes") << 4 << qreal(2.5) << 2;
    }

    // Faces of ten files asked for in turn: the cache holds at most its limit of faces, and of
    // loaded files no more than its bytes allow (a file's faces go with it); a face that went is
    // made again when asked for.
    void cacheStaysWithinLimits()
    {
        QFETCH(int, faces);
        QFETCH(qreal, filesOfBytes);
        QFETCH(int, maxFiles);

        const QString source = fontFile("fonts-dejavu-core", "DejaVuSansMono.ttf");
        const qint64 fileSize = QFileInfo(source).size();
        const qint64 bytes = qint64(filesOfBytes * qreal(fileSize));
        FileFaces &cache = FileFaces::instance();
        cache.clear();
        cache.setLimits(faces, bytes);
        const auto restore = qScopeGuard([&cache] {
            cache.setLimits(256, 96 * 1024 * 1024);
            cache.clear();
        });
        QStringList paths;
        for (int i = 0; i < 10; ++i) {
            paths << newPath();
            QVERIFY(QFile::copy(source, paths.last()));
            list(paths.last());
            QVERIFY(cache.face(paths.last(), {kPixelSize}).isValid());
            QVERIFY(cache.faceCount() <= faces);
            QVERIFY(cache.fileCount() <= maxFiles);
            QVERIFY(cache.heldBytes() <= bytes);
        }
        QCOMPARE(cache.faceCount(), std::min(faces, maxFiles));
        QCOMPARE(cache.fileCount(), maxFiles);
        QVERIFY(cache.face(paths.first(), {kPixelSize}).isValid());
        QCOMPARE(cache.faceCount(), std::min(faces, maxFiles));
    }

    // "abc אבג 123" in a left-to-right line: the Hebrew word reads from right to left, and the
    // number, which follows it, stands to its left, its digits in their own order, with the space
    // before the Hebrew word: "abc 123 גבא" from left to right.
    void mixedDirections()
    {
        const QString source = fontFile("fonts-dejavu-core", "DejaVuSans.ttf");
        list(source);
        const QString text = QStringLiteral("abc \u05D0\u05D1\u05D2 123");
        const QString visual = QStringLiteral("abc 123 \u05D2\u05D1\u05D0");
        const QRawFont face = FileFaces::instance().face(source, {kPixelSize});
        QVERIFY(face.isValid());
        const platform::ShapedText shaped = platform::shapeText(face, text);
        QCOMPARE(shaped.missing, 0);

        const QRawFont cmap(source, kPixelSize);
        QVERIFY(cmap.isValid());
        const QList<quint32> expected = cmap.glyphIndexesForString(visual);
        QVERIFY(!expected.contains(0));
        QCOMPARE(glyphsOf(shaped), expected);

        // The glyphs stand from left to right in that order.
        qreal x = -1;
        for (const QGlyphRun &run : shaped.runs) {
            for (const QPointF &position : run.positions()) {
                QVERIFY(position.x() > x);
                x = position.x();
            }
        }
        QVERIFY(shaped.width > x);
    }
};

GW_TEST_MAIN_GUI(TestFileFaces)
#include "tst_filefaces.moc"
