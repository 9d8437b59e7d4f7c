// Tests that the font engine code runs with the Qt it was built against, and that Qt draws and
// shapes with the FreeType and HarfBuzz linked here: a Qt updated or rebuilt underneath the
// program fails here before its faces go wrong.

#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "typeface/qtinternals/EngineFaces.h"
#include "typeface/qtinternals/QtBuild.h"

#include <QRawFont>

#include <link.h>

#include <cstring>

namespace {

/// How many shared objects of the process have a file name starting with `prefix`.
int loadedObjects(const char *prefix)
{
    struct Count
    {
        const char *prefix;
        int found = 0;
    } count{prefix};
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            auto *count = static_cast<Count *>(data);
            const char *slash = info->dlpi_name ? std::strrchr(info->dlpi_name, '/') : nullptr;
            const char *name = slash ? slash + 1 : info->dlpi_name;
            if (name && std::strncmp(name, count->prefix, std::strlen(count->prefix)) == 0)
                ++count->found;
            return 0;
        },
        &count);
    return count.found;
}

} // namespace

class TestQtBuild : public QObject
{
    Q_OBJECT

private slots:
    void runsWithTheQtItWasBuiltAgainst();
    void qtUsesTheSystemLibraries();
    void qtsFacesAreThoseOfTheLinkedLibraries();
};

void TestQtBuild::runsWithTheQtItWasBuiltAgainst()
{
    QCOMPARE(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
}

void TestQtBuild::qtUsesTheSystemLibraries()
{
    const platform::qtinternals::QtBuild build = platform::qtinternals::qtBuild();
    QVERIFY(build.systemFreetype);
    QVERIFY(build.systemHarfbuzz);
    // One copy of each library in the process, of the version whose headers this was built with.
    QCOMPARE(loadedObjects("libfreetype.so"), 1);
    QCOMPARE(loadedObjects("libharfbuzz.so"), 1);
    FT_Int major = 0, minor = 0, patch = 0;
    FT_Library_Version(platform::qtinternals::freetypeLibrary(), &major, &minor, &patch);
    QCOMPARE(QPair(int(major), int(minor)), QPair(FREETYPE_MAJOR, FREETYPE_MINOR));
    unsigned int hbMajor = 0, hbMinor = 0, hbMicro = 0;
    hb_version(&hbMajor, &hbMinor, &hbMicro);
    QCOMPARE(QPair(hbMajor, hbMinor), QPair(unsigned(HB_VERSION_MAJOR), unsigned(HB_VERSION_MINOR)));
}

void TestQtBuild::qtsFacesAreThoseOfTheLinkedLibraries()
{
    const QRawFont face(gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans.ttf")), 16);
    QVERIFY(face.isValid());
    // Qt's FreeType face and HarfBuzz font, read with the libraries linked here, describe the font
    // as Qt does.
    const FT_Face ftFace = platform::qtinternals::freetypeFace(face);
    QVERIFY(ftFace);
    QCOMPARE(qreal(ftFace->units_per_EM), face.unitsPerEm());
    hb_font_t *font = platform::qtinternals::harfbuzzFont(face);
    QVERIFY(font);
    hb_face_t *hbFace = hb_font_get_face(font);
    QCOMPARE(hb_face_get_upem(hbFace), unsigned(ftFace->units_per_EM));
    QCOMPARE(hb_face_get_glyph_count(hbFace), unsigned(ftFace->num_glyphs));
    hb_codepoint_t glyph = 0;
    QVERIFY(hb_font_get_nominal_glyph(font, 'A', &glyph));
    QCOMPARE(QList<quint32>{glyph}, face.glyphIndexesForString(QStringLiteral("A")));
}

GW_TEST_MAIN_GUI(TestQtBuild)
#include "tst_qtbuild.moc"
