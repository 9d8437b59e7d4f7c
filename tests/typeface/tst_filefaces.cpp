// Tests of the faces drawn from font files' own bytes: they draw what Qt draws from the same file
// registered, refuse a listed file that changed into something hostile without ever blocking,
// stay within their cache's bounds, and order mixed-direction text as the bidirectional
// algorithm does.

#include "fonts/FontFileName.h"
#include "output/LineSetter.h"
#include "typeface/FileFaces.h"
#include "typeface/FontFile.h"
#include "typeface/GlyphText.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstring>
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

// Copies a font with only the Windows English family, style, full and PostScript (argv[4]) names.
const char *const kPostScriptNameScript = R"(
import sys
from fontTools.ttLib import TTFont
src, dst, family, postscript = sys.argv[1:5]
font = TTFont(src)
table = font['name']
table.names = []
for nid, text in ((1, family), (2, 'Regular'), (4, family), (6, postscript)):
    table.setName(text, nid, 3, 1, 0x409)
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

void put32(QByteArray &bytes, qsizetype at, quint32 value)
{
    qToBigEndian<quint32>(value, bytes.data() + at);
}

/// A collection of `faces` fonts around the single font `font`, whose table directory is grown
/// to `records` records by empty tables tagged "~~~~". Without `stagger` every font lists that
/// directory. With it there are two: the first counts `stagger` + 5 records, the second starts
/// `stagger` records on (its count comes from the record before it) and counts 10, reaching
/// beyond the first. With `bad`, that record lists a table beyond the end of the file.
QByteArray makeCollection(const QByteArray &font, int faces, int records, int stagger = 0, int bad = -1)
{
    const int own = qFromBigEndian<quint16>(font.constData() + 4);
    const qsizetype base = 12 + 4 * qsizetype(faces);
    const qsizetype tables = base + 12 + 16 * qsizetype(records);
    QByteArray out = QByteArray("ttcf") + QByteArray(base - 4, '\0');
    put32(out, 4, 0x00010000);
    put32(out, 8, quint32(faces));
    for (int i = 0; i < faces; ++i)
        put32(out, 12 + 4 * i, quint32(base + (stagger && i == 1 ? 16 * stagger : 0)));
    out += font.left(12 + 16 * own);
    qToBigEndian<quint16>(quint16(stagger ? stagger + 5 : records), out.data() + base + 4);
    for (int i = 0; i < own; ++i) {
        const qsizetype record = base + 12 + 16 * i;
        put32(out, record + 8, qFromBigEndian<quint32>(out.constData() + record + 8) - quint32(12 + 16 * own) + quint32(tables));
    }
    for (int i = own; i < records; ++i)
        out += QByteArray("~~~~") + QByteArray(12, '\0');
    out += font.mid(12 + 16 * own);
    if (stagger)
        put32(out, base + 12 + 16 * (stagger - 1) + 8, 10u << 16);
    if (bad >= 0) {
        put32(out, base + 12 + 16 * bad + 8, quint32(out.size()));
        put32(out, base + 12 + 16 * bad + 12, 1);
    }
    return out;
}

/// A font of 65,535 name tables, each starting two bytes after the one before, every one with
/// 65,535 alike records: bounding them one after the other would take hours.
QByteArray makeOverlappingNameTables()
{
    constexpr int kTables = 65535;
    const qsizetype length = 6 + 12 * qsizetype(kTables);
    QByteArray out(12 + 16 * qsizetype(kTables), '\0');
    put32(out, 0, 0x00010000);
    qToBigEndian<quint16>(quint16(kTables), out.data() + 4);
    const qsizetype start = out.size();
    for (int i = 0; i < kTables; ++i) {
        const qsizetype record = 12 + 16 * qsizetype(i);
        std::memcpy(out.data() + record, "name", 4);
        put32(out, record + 8, quint32(start + 2 * i));
        put32(out, record + 12, quint32(length));
    }
    out += QByteArray(2 * kTables + length, '\xFF');
    return out;
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
        // Cut short after the load: changed since, by its size; damaged when listed as it now is.
        row("truncated", FontFileFault::Replaced, FontFileFault::Damaged);
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

    void collectionsCheckedInLinearTime_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("faces");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("stagger");
        QTest::addColumn<int>("bad");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("namesBounded");

        const auto row = [](const char *name, const char *shape, int faces, int records, int stagger, int bad,
                            FontFileFault fault, bool bounded) {
            QTest::newRow(name) << QString::fromLatin1(shape) << faces << records << stagger << bad << int(fault)
                                << bounded;
        };
        row("1,024 fonts sharing a directory of 65,535 records", "collection", platform::kMaxCollectionFonts,
            65535, 0, -1, FontFileFault::None, true);
        row("a million fonts sharing a directory of 65,535 records", "collection", 1000000, 65535, 0, -1,
            FontFileFault::Damaged, true);
        row("one font more than a collection may have", "collection", platform::kMaxCollectionFonts + 1, 64, 0, -1,
            FontFileFault::Damaged, true);
        row("overlapping directories", "collection", 2, 200, 100, -1, FontFileFault::None, true);
        row("table beyond the end in the overlap's far part", "collection", 2, 200, 100, 107,
            FontFileFault::Damaged, true);
        // No font system draws it (no glyphs); its names are never handed on.
        row("65,535 overlapping name tables", "names", 1, 65535, 0, -1, FontFileFault::Damaged, false);
    }

    // A font or collection whose directories or name tables make the same records be looked at
    // again and again is checked, and drawn or refused, in time that grows with its size alone
    // (before, the first two rows took minutes; the test's time limit ends any such stall).
    void collectionsCheckedInLinearTime()
    {
        QFETCH(QString, shape);
        QFETCH(int, faces);
        QFETCH(int, records);
        QFETCH(int, stagger);
        QFETCH(int, bad);
        QFETCH(int, fault);
        QFETCH(bool, namesBounded);

        QFile source(fontFile("fonts-dejavu-core", "DejaVuSans.ttf"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = shape == QLatin1String("names") ? makeOverlappingNameTables()
                                                                 : makeCollection(source.readAll(), faces, records, stagger, bad);
        const QString path = newPath(QStringLiteral(".ttc"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        QElapsedTimer timer;
        timer.start();
        list(path);
        FontFileFault got = FontFileFault::None;
        const QRawFont face = FileFaces::instance().face(path, {kPixelSize}, &got);
        QCOMPARE(got, FontFileFault(fault));
        QCOMPARE(face.isValid(), got == FontFileFault::None);
        const qint64 drawn = timer.restart();
        const QByteArray bounded = platform::withBoundedTables(bytes);
        QCOMPARE(bounded.size(), namesBounded ? bytes.size() : 0);
        qInfo("%lld bytes: listed and drawn or refused in %lld ms, names bounded in %lld ms",
              static_cast<long long>(bytes.size()), static_cast<long long>(drawn),
              static_cast<long long>(timer.elapsed()));
    }

    // A face's PostScript name becomes a PDF name of at most 127 bytes of the characters PDF
    // names hold as they are; long names that differ only beyond the cut stay apart, and a
    // usual name is kept as it is.
    void embeddedNamesFitPdf()
    {
        const QByteArray longName = "Glyphworks" + QByteArray(16000, 'x');
        const QList<QByteArray> names = {longName + "A", longName + "B", "GlyphworksShortName"};
        const QString pdf = newPath(QStringLiteral(".pdf"));
        {
            QPdfWriter writer(pdf);
            QPainter painter(&writer);
            for (qsizetype i = 0; i < names.size(); ++i) {
                const QString path = newPath();
                QVERIFY(gwtest::runPython(kPostScriptNameScript, {fontFile("fonts-dejavu-core", "DejaVuSans.ttf"), path,
                                                                  QStringLiteral("Glyphworks Pdf %1").arg(i),
                                                                  QString::fromLatin1(names[i])}));
                list(path);
                const QRawFont face = FileFaces::instance().face(path, {kPixelSize});
                QVERIFY(face.isValid());
                platform::drawShapedText(painter, platform::shapeText(face, QStringLiteral("Hamburg")),
                                         QPointF(10, 40 + 40 * i));
            }
        }
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray document = file.readAll();
        QSet<QByteArray> embedded;
        static const QRegularExpression baseFont(QStringLiteral("/BaseFont\\s*/(\\S*)"));
        for (const QRegularExpressionMatch &match : baseFont.globalMatch(QString::fromLatin1(document))) {
            const QByteArray name = match.captured(1).toLatin1();
            QVERIFY2(name.size() <= 127, name.left(200).constData());
            for (const char c : name)
                QVERIFY2(c > 0x20 && c < 0x7F && !std::strchr("()<>[]{}/%#", c), name.constData());
            // After the subset tag ("ABCDEF+").
            embedded.insert(name.mid(name.indexOf('+') + 1));
        }
        QCOMPARE(embedded.size(), 3);
        QVERIFY(embedded.contains("GlyphworksShortName"));
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

    // An entry of a collection is drawn and embedded in the font whose name it shows: in the CJK
    // collections the name reader meets the second font's name (Korean) before the first's.
    void collectionDrawsTheFontItNames()
    {
        const QString source = fontFile("fonts-noto-cjk", "NotoSansCJK-Regular.ttc");
        const FontFileNames names = ReadFontFileNames(source);
        QCOMPARE(names.name, QStringLiteral("Noto Sans CJK KR"));
        QCOMPARE(names.face, 1);
        FileFaces::instance().setListedFile(source, names.identity, names.face);
        const QRawFont face = FileFaces::instance().face(source, {kPixelSize});
        QCOMPARE(face.familyName(), names.name);
        const QString pdf = newPath(QStringLiteral(".pdf"));
        {
            QPdfWriter writer(pdf);
            QPainter painter(&writer);
            platform::drawShapedText(painter, platform::shapeText(face, QStringLiteral("\uD55C\uAE00 \u9AA8")), QPointF(10, 40));
        }
        const QString fonts = gwtest::toolOutput(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(fonts.contains(QLatin1String("NotoSansCJKkr-Regular")), qPrintable(fonts));
        QVERIFY2(!fonts.contains(QLatin1String("NotoSansCJKjp")), qPrintable(fonts));
    }

    void synthesisedStyles_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("Type 1") << fontFile("fonts-urw-base35", "C059-Roman.t1");
        QTest::newRow("CFF") << fontFile("fonts-urw-base35", "C059-Roman.otf");
        QTest::newRow("TrueType") << fontFile("fonts-dejavu-core", "DejaVuSerif.ttf");
        QTest::newRow("fixed pitch") << fontFile("fonts-dejavu-core", "DejaVuSansMono.ttf");
    }

    // Bold and italic that a face lacks are synthesised on images, as the print engine strokes
    // and slants them, whatever kind of face it is: bold adds ink, italic leans the letters.
    void synthesisedStyles()
    {
        QFETCH(QString, source);
        list(source);
        const auto draw = [&](bool bold, bool italic) {
            const QRawFont face = FileFaces::instance().face(source, {kPixelSize, bold, italic});
            QImage image = blankImage();
            QPainter painter(&image);
            painter.setPen(Qt::black);
            platform::drawShapedText(painter, platform::shapeText(face, QStringLiteral("HIlHlIHIl")), kBaseline);
            return image;
        };
        // The ink of `image` in the rows from `top` to `bottom` (excluded): its amount and the mean
        // x it stands at.
        const auto ink = [](const QImage &image, int top, int bottom) {
            qreal amount = 0, moment = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const int dark = 255 - qGray(image.pixel(x, y));
                    amount += dark;
                    moment += qreal(dark) * x;
                }
            return std::pair(amount, amount > 0 ? moment / amount : 0.0);
        };
        const int baseline = int(kBaseline.y());
        // How far the upper stems stand right of the lower ones.
        const auto lean = [&](const QImage &image) {
            return ink(image, baseline - 18, baseline - 12).second - ink(image, baseline - 6, baseline).second;
        };
        const QImage regular = draw(false, false);
        const QImage bold = draw(true, false);
        const QImage italic = draw(false, true);
        const qreal regularInk = ink(regular, 0, regular.height()).first;
        QVERIFY2(ink(bold, 0, bold.height()).first > 1.15 * regularInk, "bold adds no ink");
        QVERIFY2(lean(italic) > lean(regular) + 1.5, "italic does not lean");
    }

    // The face of a folder's file draws, on a sheet image, what the same font installed draws
    // there by name: same pixel size, hinting and advances, at sizes that fall between pixels.
    void folderFontDrawsAsInstalled_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("points");
        QTest::addColumn<QByteArray>("rule");
        const QString serif = fontFile("fonts-dejavu-core", "DejaVuSerif.ttf");
        QTest::newRow("DejaVu Serif") << serif << "DejaVu Serif" << QStringLiteral("Hamburgefonstiv 0123") << 8
                                      << QByteArray();
        QTest::newRow("DejaVu Sans, long") << fontFile("fonts-dejavu-core", "DejaVuSans.ttf") << "DejaVu Sans"
                                           << QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789 ").repeated(2).left(70)
                                           << 8 << QByteArray();
        // A setting of the font's own, which the font system gives that family alone.
        QTest::newRow("full hinting for the family") << serif << "DejaVu Serif" << QStringLiteral("Hamburgefonstiv 0123")
                                                     << 7 << QByteArray(R"(<fontconfig><match target="font">
            <test name="family"><string>DejaVu Serif</string></test>
            <edit name="hintstyle" mode="assign"><const>hintfull</const></edit></match></fontconfig>)");
    }
    void folderFontDrawsAsInstalled()
    {
        QFETCH(QString, source);
        QFETCH(QString, family);
        QFETCH(QString, text);
        QFETCH(int, points);
        QFETCH(QByteArray, rule);
        // Added to the configuration in use; no font of that size was drawn before.
        if (!rule.isEmpty())
            QVERIFY(FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8 *>(rule.constData()), FcTrue));
        const QString copy = newPath();
        QVERIFY(QFile::copy(source, copy));
        list(copy);
        const auto sheetLine = [&](const QString &file) {
            QImage image(900, 40, QImage::Format_RGB32);
            image.fill(Qt::white);
            output::SheetLine line;
            line.fontName = family;
            line.fontFile = file;
            line.rest = text;
            const output::LineSetter setter(&image, points, false, false);
            const output::LineMetrics metrics = setter.measure(line);
            QPainter painter(&image);
            painter.setPen(Qt::black);
            setter.draw(painter, line, metrics, 4, 4);
            return std::pair(image, metrics.width);
        };
        const auto [installed, installedWidth] = sheetLine(QString());
        const auto [fromFolder, folderWidth] = sheetLine(copy);
        QCOMPARE(folderWidth, installedWidth);
        QVERIFY(installed != QImage(installed.size(), installed.format()));
        QCOMPARE(fromFolder, installed);
    }
};

GW_TEST_MAIN_GUI(TestFileFaces)
#include "tst_filefaces.moc"
