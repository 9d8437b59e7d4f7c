#include "typeface/qtinternals/FileFontEngine.h"

#include <QFont>
#include <QtGui/private/qfontengine_ft_p.h>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <QtGui/private/qrawfont_p.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_TRUETYPE_TABLES_H

#include <optional>
#include <utility>

namespace platform::qtinternals {
namespace {

/// How fontconfig has a face rendered: what Qt's font database takes from fontconfig's match
/// for a font drawn by name (hint style, autohinter, antialiasing, subpixel order, LCD filter).
struct RenderSettings
{
    QFontEngine::HintStyle hintStyle = QFontEngine::HintLight;
    bool antialias = true;
    bool autoHint = false;
    int lcdFilter = -1; ///< FreeType's LCD filter; -1 leaves the engine's own
    QFontEngine::SubpixelAntialiasingType subpixel = QFontEngine::Subpixel_None;

    QFontEngine::GlyphFormat format() const
    {
        if (!antialias)
            return QFontEngine::Format_Mono;
        return subpixel == QFontEngine::Subpixel_None ? QFontEngine::Format_A8 : QFontEngine::Format_A32;
    }
};

/// A face made from a file's bytes that still names its file. Qt's print engine embeds only
/// fonts that it knows by a file name (faces made from bytes alone become outlines, and their
/// text cannot be searched or copied); the name here is the listed path, which the print engine
/// never opens: it takes the font's tables from the face. The bytes are loaded under a face id
/// of their own, so Qt never takes one load's face for another's.
class FileFontEngine final : public QFontEngineFT
{
public:
    FileFontEngine(const QFontDef &def, QByteArray fileName, QByteArray (*embeddedName)(QByteArrayView))
        : QFontEngineFT(def)
        , m_fileName(std::move(fileName))
        , m_embeddedName(embeddedName)
    {
    }

    /// Takes `settings` before the face is loaded (init() takes the glyph format).
    void setRenderSettings(const RenderSettings &settings)
    {
        setDefaultHintStyle(settings.hintStyle);
        forceAutoHint = settings.autoHint;
        if (settings.lcdFilter >= 0)
            lcdFilterType = settings.lcdFilter;
        subpixelType = settings.antialias ? settings.subpixel : Subpixel_None;
    }

    /// Decides, once the face is loaded, which asked styles are drawn synthesised: bold where
    /// the face is not bold, italic where it is not italic. Qt's engine leaves bold out for faces
    /// without an OS/2 table (Type 1) and for fixed-pitch ones, while its print engine strokes
    /// them bold all the same; here every target draws what synthesized() says.
    void decideSynthesis()
    {
        FT_Face face = lockFace();
        const bool lacksBold = !(face->style_flags & FT_STYLE_FLAG_BOLD);
        const auto *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        // A face that says it is bold by its weight alone is bold enough.
        const bool heavy = os2 && os2->version != 0xFFFF && os2->usWeightClass >= 700;
        m_bold = fontDef.weight >= QFont::Bold && lacksBold && !heavy;
        m_italic = fontDef.style != QFont::StyleNormal && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
        embolden = m_bold;
        obliquen = m_italic;
        unlockFace();
    }

    int synthesized() const override
    {
        int flags = QFontEngineFT::synthesized() & ~(SynthesizedBold | SynthesizedItalic);
        if (m_bold)
            flags |= SynthesizedBold;
        if (m_italic)
            flags |= SynthesizedItalic;
        return flags;
    }

    FaceId faceId() const override
    {
        FaceId id = QFontEngineFT::faceId();
        id.filename = m_fileName;
        return id;
    }

    // The print engine names the embedded font by the PostScript name given here, as it is:
    // a file's name of thousands of characters, or one with spaces or delimiters, would make a
    // document that readers warn of or misread.
    Properties properties() const override
    {
        Properties properties = QFontEngineFT::properties();
        if (properties.postscriptName.isEmpty())
            properties.postscriptName = fontDef.families.value(0).toUtf8();
        properties.postscriptName = m_embeddedName(properties.postscriptName);
        return properties;
    }

private:
    QByteArray m_fileName;
    QByteArray (*m_embeddedName)(QByteArrayView);
    bool m_bold = false;
    bool m_italic = false;
};

/// How fonts drawn by name are rendered here where fontconfig says nothing for a face (Qt then
/// asks the desktop's settings), taken from one of them.
const RenderSettings &renderDefaults()
{
    static std::optional<RenderSettings> defaults;
    if (!defaults) {
        defaults.emplace();
        const QRawFont reference = QRawFont::fromFont(QFont());
        const QFontEngine *engine = reference.isValid() ? QRawFontPrivate::get(reference)->fontEngine : nullptr;
        if (engine && engine->type() == QFontEngine::Freetype) {
            defaults->hintStyle = static_cast<const QFontEngineFT *>(engine)->defaultHintStyle();
            defaults->antialias = engine->glyphFormat != QFontEngine::Format_Mono;
        }
    }
    return *defaults;
}

/// The settings fontconfig gives the installed font `font` (a pattern of the face, as fontconfig
/// scans a font file) drawn at `pixelSize`: the request Qt's font database makes for a font
/// drawn by name (family and pixel size, with the configuration's and the default
/// substitutions), prepared for that font, read as Qt reads it.
RenderSettings renderSettings(FcPattern *font, qreal pixelSize)
{
    RenderSettings settings = renderDefaults();
    if (!font)
        return settings;
    FcPattern *request = FcPatternCreate();
    FcChar8 *family = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch)
        FcPatternAddString(request, FC_FAMILY, family);
    FcPatternAddDouble(request, FC_PIXEL_SIZE, pixelSize);
    FcConfigSubstitute(nullptr, request, FcMatchPattern);
    FcDefaultSubstitute(request);
    FcPattern *match = FcFontRenderPrepare(nullptr, request, font);
    FcPatternDestroy(request);
    if (!match)
        return settings;
    // Scaled screens draw unhinted, as Qt's font database has them.
    int hintStyle = 0;
    if (QHighDpiScaling::isActive())
        settings.hintStyle = QFontEngine::HintNone;
    else if (FcPatternGetInteger(match, FC_HINT_STYLE, 0, &hintStyle) == FcResultMatch)
        settings.hintStyle = hintStyle == FC_HINT_NONE ? QFontEngine::HintNone
            : hintStyle == FC_HINT_SLIGHT              ? QFontEngine::HintLight
            : hintStyle == FC_HINT_MEDIUM              ? QFontEngine::HintMedium
                                                       : QFontEngine::HintFull;
    FcBool value = FcFalse;
    if (FcPatternGetBool(match, FC_AUTOHINT, 0, &value) == FcResultMatch)
        settings.autoHint = value;
    int lcdFilter = 0;
    if (FcPatternGetInteger(match, FC_LCD_FILTER, 0, &lcdFilter) == FcResultMatch)
        settings.lcdFilter = lcdFilter;
    if (!QHighDpiScaling::isActive() && FcPatternGetBool(match, FC_ANTIALIAS, 0, &value) == FcResultMatch)
        settings.antialias = value;
    int rgba = FC_RGBA_UNKNOWN;
    FcPatternGetInteger(match, FC_RGBA, 0, &rgba);
    settings.subpixel = rgba == FC_RGBA_RGB ? QFontEngine::Subpixel_RGB
        : rgba == FC_RGBA_BGR               ? QFontEngine::Subpixel_BGR
        : rgba == FC_RGBA_VRGB              ? QFontEngine::Subpixel_VRGB
        : rgba == FC_RGBA_VBGR              ? QFontEngine::Subpixel_VBGR
                                            : QFontEngine::Subpixel_None;
    FcPatternDestroy(match);
    return settings;
}

} // namespace

QRawFont makeFileFace(const QByteArray &bytes, int index, const QByteArray &label, FcPattern *pattern,
                      const QByteArray &fileName, qreal pixelSize, bool bold, bool italic,
                      QByteArray (*embeddedName)(QByteArrayView))
{
    QFontDef def;
    def.pixelSize = pixelSize;
    def.pointSize = pixelSize * 72.0 / 96.0;
    def.stretch = 100;
    def.weight = bold ? QFont::Bold : QFont::Normal;
    def.style = italic ? QFont::StyleItalic : QFont::StyleNormal;
    // The engine compares the asked weight and slant with the face's own and synthesises what
    // the face lacks: an emboldened outline for bold, a shear for italic. The print engine does
    // the same from the engine's flags.
    auto *engine = new FileFontEngine(def, fileName, embeddedName);
    const RenderSettings settings = renderSettings(pattern, pixelSize);
    engine->setRenderSettings(settings);
    QFontEngine::FaceId id;
    id.uuid = label;
    id.index = index;
    if (!engine->init(id, settings.antialias, settings.format(), bytes) || engine->invalid() || engine->glyphCount() <= 1) {
        delete engine;
        return {};
    }
    engine->decideSynthesis();
    if (FT_Face face = engine->lockFace()) {
        engine->fontDef.families = {QString::fromUtf8(face->family_name ? face->family_name : "")};
        engine->unlockFace();
    }
    QRawFont raw;
    QRawFontPrivate::get(raw)->setFontEngine(engine);
    return raw;
}

} // namespace platform::qtinternals
