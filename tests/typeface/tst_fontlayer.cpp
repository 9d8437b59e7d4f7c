// Tests of the font layers: the count of files added for the run, the typeface lists and the
// resolution of list entry names to the faces they stand for, checked by the pixels the fonts draw.

#include "fonts/FontFileName.h"
#include "typeface/FileFaces.h"
#include "typeface/FontResolver.h"
#include "typeface/FontResources.h"
#include "typeface/SystemFonts.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "platform/FindFiles.h"

#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <fontconfig/fontconfig.h>

#include <cmath>

using gwtest::makeRenamedFont;
using platform::FontResources;
using platform::resolveFont;

namespace {

/// Renders a line of text in `font`, black on white.
QImage render(const QFont &font)
{
    QImage image(520, 70, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(4, 52, QStringLiteral("Hamburgefonstiv QRag 0123"));
    return image;
}

/// A font built without the layer: one family, weight and slant.
QFont plainFont(const QString &family, int weight = QFont::Normal, bool italic = false, qreal size = 24)
{
    QFont font;
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setWeight(QFont::Weight(weight));
    font.setItalic(italic);
    font.setPointSizeF(size);
    return font;
}

/// Whether fontconfig lists a face from the file at `path`.
bool fontconfigSees(const QString &path)
{
    FcPattern *pattern = FcPatternCreate();
    const QByteArray file = QFile::encodeName(path);
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8 *>(file.constData()));
    FcObjectSet *objects = FcObjectSetBuild(FC_FILE, static_cast<char *>(nullptr));
    FcFontSet *found = FcFontList(nullptr, pattern, objects);
    const bool seen = found && found->nfont > 0;
    if (found)
        FcFontSetDestroy(found);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return seen;
}

QString dejavu(const QString &fileName)
{
    return gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), fileName);
}

QString liberation(const QString &fileName)
{
    return gwtest::packageFontFile(QStringLiteral("fonts-liberation2"), fileName);
}

} // namespace

class TestFontLayer : public QObject
{
    Q_OBJECT

private:
    FontResources &resources() { return FontResources::instance(); }

    /// Adds `path` through the layer and remembers it, so cleanup() takes it away again.
    QString add(const QString &path)
    {
        m_added << path;
        return resources().addFontFile(path);
    }

    /// Registers the font file at `path` with Qt's font database, as the program registers its
    /// own faces (the sample boxes' face); cleanup() removes it again. Returns the number of
    /// faces it provided.
    int registerFont(const QString &path)
    {
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0)
            return 0;
        m_registered << id;
        return int(QFontDatabase::applicationFontFamilies(id).size());
    }

    QTemporaryDir m_dir;
    QStringList m_added;
    QList<int> m_registered;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(!dejavu(QStringLiteral("DejaVuSans-Bold.ttf")).isEmpty());
        QVERIFY(!liberation(QStringLiteral("LiberationSans-Regular.ttf")).isEmpty());
    }

    void cleanupTestCase()
    {
        // Too deep for the temporary folder's own removal.
        QVERIFY(gwtest::removeTree(m_dir.filePath(QStringLiteral("deep"))));
    }

    void cleanup()
    {
        // A failed test may leave additions behind; none may leak into the next test.
        for (const QString &path : std::as_const(m_added))
            while (resources().removeFontFile(path)) {
            }
        m_added.clear();
        for (const int id : std::as_const(m_registered))
            QFontDatabase::removeApplicationFont(id);
        m_registered.clear();
    }

    void namesDrawTheirFace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<QString>("refFamily");
        QTest::addColumn<int>("refWeight");
        QTest::addColumn<bool>("refItalic");
        QTest::addColumn<bool>("differsFromFallback");

        const int normal = QFont::Normal;
        const int bold = QFont::Bold;
        QTest::newRow("family") << "DejaVu Sans" << false << false << "DejaVu Sans" << normal << false << false;
        QTest::newRow("family bold")
            << "Liberation Serif" << true << false << "Liberation Serif" << bold << false << false;
        QTest::newRow("family bold italic")
            << "Liberation Serif" << true << true << "Liberation Serif" << bold << true << false;
        QTest::newRow("bold face") << "DejaVu Sans Bold" << false << false << "DejaVu Sans" << bold << false << true;
        QTest::newRow("letter case ignored")
            << "dejavu sans bold" << false << false << "DejaVu Sans" << bold << false << true;
        QTest::newRow("italic face")
            << "Liberation Sans Italic" << false << false << "Liberation Sans" << normal << true << true;
        QTest::newRow("bold italic face")
            << "DejaVu Serif Bold Italic" << false << false << "DejaVu Serif" << bold << true << true;
        QTest::newRow("light face")
            << "DejaVu Sans ExtraLight" << false << false << "DejaVu Sans" << int(QFont::ExtraLight) << false << true;
        // The face's first family is "DejaVu Sans"; the width must survive the lookup.
        QTest::newRow("condensed face")
            << "DejaVu Sans Condensed Bold" << false << false << "DejaVu Sans Condensed" << bold << false << true;
        QTest::newRow("bold face, bold style")
            << "Liberation Mono Bold" << true << false << "Liberation Mono" << bold << false << true;
        QTest::newRow("bold face, italic style")
            << "DejaVu Sans Bold" << false << true << "DejaVu Sans" << bold << true << true;
        QTest::newRow("condensed oblique face, bold style")
            << "DejaVu Sans Condensed Oblique" << true << false << "DejaVu Sans Condensed" << bold << true << true;
        QTest::newRow("unknown name") << "Glyphworks No Such Face" << false << false << "Glyphworks No Such Face"
                                      << normal << false << false;
        QTest::newRow("empty name") << "" << true << false << "" << bold << false << false;
    }

    void namesDrawTheirFace()
    {
        QFETCH(QString, name);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(QString, refFamily);
        QFETCH(int, refWeight);
        QFETCH(bool, refItalic);
        QFETCH(bool, differsFromFallback);

        const QImage drawn = render(resolveFont(name, 24, bold, italic));
        QCOMPARE(drawn, render(plainFont(refFamily, refWeight, refItalic)));
        if (differsFromFallback)
            QVERIFY(drawn != render(plainFont(name, bold ? QFont::Bold : QFont::Normal, italic)));
    }

    void pointSizes_data()
    {
        QTest::addColumn<qreal>("requested");
        QTest::addColumn<qreal>("expected");
        const qreal defaultSize = QFont().pointSizeF();
        QTest::newRow("fraction") << qreal(7.5) << qreal(7.5);
        QTest::newRow("large") << qreal(72) << qreal(72);
        QTest::newRow("zero keeps the default") << qreal(0) << defaultSize;
        QTest::newRow("negative keeps the default") << qreal(-4) << defaultSize;
        QTest::newRow("not a number keeps the default") << qreal(std::nan("")) << defaultSize;
    }

    void pointSizes()
    {
        QFETCH(qreal, requested);
        QFETCH(qreal, expected);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QCOMPARE(resolveFont(QStringLiteral("DejaVu Sans Bold"), requested).pointSizeF(), expected);
        QCOMPARE(resolveFont(QStringLiteral("DejaVu Sans"), requested, true).pointSizeF(), expected);
    }

    void registeredFacesWinOverInstalled_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("vendor");
        QTest::addColumn<int>("installedWeight");

        // Qt keeps the family per foundry: the name must reach the added foundry's face.
        QTest::newRow("installed family, other foundry")
            << liberation(QStringLiteral("LiberationSans-Regular.ttf")) << "DejaVu Sans" << "Book"
            << "DejaVu Sans Book" << "" << int(QFont::Normal);
        // Same family, foundry and style as an installed face, and the same full name.
        QTest::newRow("installed face, same foundry")
            << liberation(QStringLiteral("LiberationSans-Bold.ttf")) << "DejaVu Sans" << "Bold"
            << "DejaVu Sans Bold" << "PfEd" << int(QFont::Bold);
        // Only the full name is shared with an installed face.
        QTest::newRow("installed full name, other family")
            << liberation(QStringLiteral("LiberationSans-Bold.ttf")) << "Glyphworks Shadow" << "Bold"
            << "DejaVu Sans Bold" << "" << int(QFont::Bold);
    }

    void registeredFacesWinOverInstalled()
    {
        QFETCH(QString, source);
        QFETCH(QString, family);
        QFETCH(QString, style);
        QFETCH(QString, fullName);
        QFETCH(QString, vendor);
        QFETCH(int, installedWeight);

        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
        const QString shadow = m_dir.filePath(QStringLiteral("shadow-%1.ttf").arg(tag));
        // The same glyphs under a family of their own show what the added file draws like.
        const QString twinFamily = QStringLiteral("Glyphworks Twin %1").arg(QTest::currentDataTag());
        const QString twin = m_dir.filePath(QStringLiteral("twin-%1.ttf").arg(tag));
        QVERIFY(makeRenamedFont(source, shadow, family, style, fullName, vendor));
        QVERIFY(makeRenamedFont(source, twin, twinFamily, style, twinFamily + QLatin1String(" X")));

        const QImage before = render(resolveFont(fullName, 24));
        const QImage installed = render(plainFont(QStringLiteral("DejaVu Sans"), installedWeight));

        const int shadowId = QFontDatabase::addApplicationFont(shadow);
        QVERIFY(shadowId >= 0);
        QCOMPARE(registerFont(twin), 1);
        const QImage twinImage = render(plainFont(twinFamily));
        QVERIFY(twinImage != installed);
        QCOMPARE(render(resolveFont(fullName, 24)), twinImage);

        // Once the file is gone the name draws what it drew before.
        QVERIFY(QFontDatabase::removeApplicationFont(shadowId));
        QCOMPARE(render(resolveFont(fullName, 24)), before);
    }

    void exactFullNameWinsOverLooseMatch()
    {
        // fontconfig matches full names ignoring blanks: "DejaVuSans Bold" and "DejaVu Sans Bold"
        // find each other, yet each name must draw the face that carries it.
        const QString path = m_dir.filePath(QStringLiteral("loose.ttf"));
        QVERIFY(makeRenamedFont(liberation(QStringLiteral("LiberationSans-Bold.ttf")), path,
                                QStringLiteral("Glyphworks Loose"), QStringLiteral("Bold"),
                                QStringLiteral("DejaVuSans Bold")));
        QCOMPARE(registerFont(path), 1);
        const QImage added = render(plainFont(QStringLiteral("Glyphworks Loose")));
        const QImage installed = render(plainFont(QStringLiteral("DejaVu Sans"), QFont::Bold));
        QVERIFY(added != installed);
        QCOMPARE(render(resolveFont(QStringLiteral("DejaVuSans Bold"), 24)), added);
        QCOMPARE(render(resolveFont(QStringLiteral("DejaVu Sans Bold"), 24)), installed);
    }

    void additionsPairWithRemovals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("font file") << "font";
        QTest::newRow("font beyond the path limit") << "deep";
        QTest::newRow("not a font") << "text";
        QTest::newRow("missing file") << "missing";
    }

    // Additions are counted per path, whatever the file holds, and nothing reaches the font
    // system: no face of the file is known to Qt or fontconfig.
    void additionsPairWithRemovals()
    {
        QFETCH(QString, kind);

        QString path = m_dir.filePath(QStringLiteral("pairing-%1.ttf").arg(kind));
        if (kind == QLatin1String("deep")) {
            path = gwtest::deepFolder(m_dir.filePath(QStringLiteral("deep")), 1500) + QStringLiteral("/font.ttf");
            QFile font(dejavu(QStringLiteral("DejaVuSans-Bold.ttf")));
            QVERIFY(font.open(QIODevice::ReadOnly));
            QVERIFY(gwtest::writeDeepFile(path, font.readAll()));
        } else if (kind == QLatin1String("font")) {
            QVERIFY(makeRenamedFont(liberation(QStringLiteral("LiberationMono-Bold.ttf")), path,
                                    QStringLiteral("Glyphworks Pairing"), QStringLiteral("Bold"),
                                    QStringLiteral("Glyphworks Pairing Bold")));
        } else if (kind == QLatin1String("text")) {
            QVERIFY(gwtest::writeFile(path, QByteArrayLiteral("this is not a font\n")));
        }

        const auto applicationFaces = [] {
            const FcFontSet *set = FcConfigGetFonts(nullptr, FcSetApplication);
            return set ? set->nfont : 0;
        };
        const QStringList families = QFontDatabase::families();
        const int held = applicationFaces();
        QCOMPARE(resources().additionCount(path), 0);
        QVERIFY(!resources().removeFontFile(path));
        const QString first = add(path);
        QCOMPARE(first, path);
        // A path added again is held once: each copy returned shares the first one's text.
        const QString second = add(path);
        QVERIFY(second.isSharedWith(first));
        QCOMPARE(resources().additionCount(path), 2);
        QCOMPARE(resources().addedFiles(), QStringList{path});
        QCOMPARE(applicationFaces(), held);
        QCOMPARE(QFontDatabase::families(), families);
        QVERIFY(!QFontDatabase::families().contains(QStringLiteral("Glyphworks Pairing")));
        QVERIFY(!fontconfigSees(path));

        QVERIFY(resources().removeFontFile(path));
        QCOMPARE(resources().additionCount(path), 1);
        QVERIFY(resources().removeFontFile(path));
        QCOMPARE(resources().additionCount(path), 0);
        QVERIFY(resources().addedFiles().isEmpty());
        QVERIFY(!resources().removeFontFile(path));
    }

    // Removing a registered face empties fontconfig's set of the program's faces until Qt fills
    // it again; the resolver must still find the faces that stay.
    void removedFaceLeavesFontconfig()
    {
        const QString removed = m_dir.filePath(QStringLiteral("leaving/DejaVuSans-Bold.ttf"));
        const QString kept = m_dir.filePath(QStringLiteral("leaving/kept.ttf"));
        QVERIFY(gwtest::copyFile(dejavu(QStringLiteral("DejaVuSans-Bold.ttf")), removed));
        QVERIFY(makeRenamedFont(liberation(QStringLiteral("LiberationSerif-Italic.ttf")), kept,
                                QStringLiteral("Glyphworks Kept"), QStringLiteral("Italic"),
                                QStringLiteral("Glyphworks Kept Slanted")));
        const int removedId = QFontDatabase::addApplicationFont(removed);
        QVERIFY(removedId >= 0);
        QCOMPARE(registerFont(kept), 1);
        QVERIFY(fontconfigSees(removed));
        QVERIFY(fontconfigSees(kept));
        const QImage keptImage = render(plainFont(QStringLiteral("Glyphworks Kept")));
        QCOMPARE(render(resolveFont(QStringLiteral("Glyphworks Kept Slanted"), 24)), keptImage);

        QVERIFY(QFontDatabase::removeApplicationFont(removedId));
        QCOMPARE(render(resolveFont(QStringLiteral("Glyphworks Kept Slanted"), 24)), keptImage);
        QVERIFY(!fontconfigSees(removed));
        QVERIFY(fontconfigSees(kept));

        cleanup();
        QVERIFY(render(resolveFont(QStringLiteral("Glyphworks Kept Slanted"), 24)) != keptImage);
        QFontDatabase::families();
        QVERIFY(!fontconfigSees(kept));
    }

    void fontChangeIsPosted()
    {
        QSignalSpy spy(&resources(), &FontResources::fontsChanged);
        resources().postFontChange();
        resources().postFontChange();
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(spy.count(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), 2);
    }

    // A font file whose name on disk is not valid UTF-8, with the path the folder walk lists for
    // it: its name is read, it is added for the run and its face is made from it.
    void fileNamedOutsideUtf8()
    {
        const QString source = m_dir.filePath(QStringLiteral("latin1-source.ttf"));
        QVERIFY(makeRenamedFont(liberation(QStringLiteral("LiberationSerif-Bold.ttf")), source,
                                QStringLiteral("Glyphworks Latin"), QStringLiteral("Bold"),
                                QStringLiteral("Glyphworks Latin Bold")));
        QFile font(source);
        QVERIFY(font.open(QIODevice::ReadOnly));
        const QString folder = m_dir.filePath(QStringLiteral("latin1"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(gwtest::writeNativeFile(QFile::encodeName(folder) + "/caf\xE9.ttf", font.readAll()));

        QStringList found;
        FindFiles(found, folder, {QStringLiteral(".ttf")}, false);
        QCOMPARE(found.size(), 1);
        const FontFileNames names = ReadFontFileNames(found[0]);
        QCOMPARE(names.name, QStringLiteral("Glyphworks Latin Bold"));
        QCOMPARE(add(found[0]), found[0]);
        QCOMPARE(resources().additionCount(found[0]), 1);
        platform::FileFaces::instance().setListedFile(found[0], names.identity);
        platform::FontFileFault fault = platform::FontFileFault::Damaged;
        const QRawFont face = platform::FileFaces::instance().face(found[0], {24}, &fault);
        QVERIFY(face.isValid());
        QCOMPARE(fault, platform::FontFileFault::None);
        QCOMPARE(face.familyName(), QStringLiteral("Glyphworks Latin"));
    }

    void typefaceLists()
    {
        const QStringList printer = platform::printerTypefaces();
        QVERIFY(printer.contains(QStringLiteral("DejaVu Sans")));
        QVERIFY(printer.contains(QStringLiteral("Liberation Serif")));
        QCOMPARE(platform::screenTypefaces(), printer);
        // Qt's generic aliases are no typefaces.
        for (const QString &alias : {QStringLiteral("Serif"), QStringLiteral("Sans Serif"), QStringLiteral("Monospace")}) {
            QVERIFY(QFontDatabase::families().contains(alias));
            QVERIFY2(!printer.contains(alias), qPrintable(alias));
        }

        // A file added for the run is drawn from itself and never becomes a typeface of the system.
        const QString path = m_dir.filePath(QStringLiteral("listed.ttf"));
        QVERIFY(makeRenamedFont(liberation(QStringLiteral("LiberationMono-Regular.ttf")), path,
                                QStringLiteral("Glyphworks Listed"), QStringLiteral("Regular"),
                                QStringLiteral("Glyphworks Listed")));
        add(path);
        QCOMPARE(platform::printerTypefaces(), printer);
        QCOMPARE(platform::screenTypefaces(), printer);
    }

    // A family that several foundries offer is listed once under its own name, which draws a
    // face of that family; a face registered with that family still draws by its full name.
    void familyOfSeveralFoundriesListedOnce()
    {
        const QString path = m_dir.filePath(QStringLiteral("foundry.ttf"));
        QVERIFY(makeRenamedFont(liberation(QStringLiteral("LiberationSans-Regular.ttf")), path,
                                QStringLiteral("DejaVu Sans"), QStringLiteral("Book"),
                                QStringLiteral("DejaVu Sans Book"), QStringLiteral("GWks")));
        QCOMPARE(registerFont(path), 1);
        // Qt lists the family per foundry: DejaVu's own (its vendor "PfEd") and the registered one.
        const QString installedFoundry = QStringLiteral("DejaVu Sans [PfEd]");
        const QString addedFoundry = QStringLiteral("DejaVu Sans [GWks]");
        QVERIFY(QFontDatabase::families().contains(installedFoundry));
        QVERIFY(QFontDatabase::families().contains(addedFoundry));

        const QStringList typefaces = platform::printerTypefaces();
        QCOMPARE(typefaces.count(QStringLiteral("DejaVu Sans")), 1);
        for (const QString &name : typefaces)
            QVERIFY2(!name.endsWith(QLatin1Char(']')), qPrintable(name));
        QCOMPARE(platform::screenTypefaces(), typefaces);

        const QImage drawn = render(resolveFont(QStringLiteral("DejaVu Sans"), 24));
        const QImage installed = render(plainFont(installedFoundry));
        const QImage added = render(plainFont(addedFoundry));
        QVERIFY(installed != added);
        QVERIFY(drawn == installed || drawn == added);
        QCOMPARE(render(resolveFont(QStringLiteral("DejaVu Sans Book"), 24)), added);
    }
};

GW_TEST_MAIN_GUI(TestFontLayer)
#include "tst_fontlayer.moc"
