#include "platform/FileFaces.h"

#include "util/FilePaths.h"

#include <QCryptographicHash>
#include <QFont>
#include <QtGui/private/qfontengine_ft_p.h>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <QtGui/private/qrawfont_p.h>

#include <fontconfig/fontconfig.h>
#include <fontconfig/fcfreetype.h>
#include <ft2build.h>
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <optional>
#include <utility>

namespace platform {
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
    FileFontEngine(const QFontDef &def, QByteArray fileName)
        : QFontEngineFT(def)
        , m_fileName(std::move(fileName))
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
        properties.postscriptName = embeddedFontName(properties.postscriptName);
        return properties;
    }

private:
    QByteArray m_fileName;
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

/// The pattern fontconfig makes of face `index` of the font file `file` when it scans the
/// file, from the bytes in memory (no file is opened: `label` stands for its name). Null when
/// FreeType or fontconfig refuse the face.
std::shared_ptr<FcPattern> facePattern(const QByteArray &file, int index, const QByteArray &label)
{
    // fontconfig reads every name of the face and compares them with one another, which a crafted
    // name table makes take hours: it gets the face with its names bounded, as other programs'
    // font systems do, and a face whose names cannot be bounded takes the default settings.
    const QByteArray bytes = withBoundedNames(file);
    if (bytes.isEmpty())
        return {};
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(qt_getFreetype(), reinterpret_cast<const FT_Byte *>(bytes.constData()),
                           FT_Long(bytes.size()), FT_Long(index), &face) != 0)
        return {};
    FcPattern *pattern = FcFreeTypeQueryFace(face, reinterpret_cast<const FcChar8 *>(label.constData()), uint(index), nullptr);
    FT_Done_Face(face);
    if (!pattern)
        return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchScan);
    return std::shared_ptr<FcPattern>(pattern, FcPatternDestroy);
}

/// Pixel sizes as Qt's font database asks a font drawn by name for them: rounded to whole
/// pixels, so that a face from a file and the same font installed advance alike.
qreal wholePixels(qreal pixelSize)
{
    return std::max(1, qRound(std::floor(pixelSize * 100 + 0.5) / 100));
}

QRawFont makeFace(const QByteArray &bytes, int index, const QByteArray &label, FcPattern *pattern,
                  const QString &path, const FaceStyle &style)
{
    QFontDef def;
    def.pixelSize = style.pixelSize;
    def.pointSize = style.pixelSize * 72.0 / 96.0;
    def.stretch = 100;
    def.weight = style.bold ? QFont::Bold : QFont::Normal;
    def.style = style.italic ? QFont::StyleItalic : QFont::StyleNormal;
    // The engine compares the asked weight and slant with the face's own and synthesises what
    // the face lacks: an emboldened outline for bold, a shear for italic. The print engine does
    // the same from the engine's flags.
    auto *engine = new FileFontEngine(def, util::encodePath(path));
    const RenderSettings settings = renderSettings(pattern, style.pixelSize);
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

} // namespace

QByteArray embeddedFontName(QByteArrayView name)
{
    constexpr qsizetype kHashLength = 9; // '-' and eight hexadecimal digits
    QByteArray kept;
    for (const char c : name) {
        const bool delimiter = std::strchr("()<>[]{}/%#", c) != nullptr;
        if (c > 0x20 && c < 0x7F && !delimiter)
            kept += c;
    }
    if (!kept.isEmpty() && kept.size() == name.size() && kept.size() <= kMaxEmbeddedNameBytes)
        return kept;
    if (kept.isEmpty())
        kept = "Font";
    const QByteArray hash = QCryptographicHash::hash(name, QCryptographicHash::Sha1).left(4).toHex();
    return kept.left(kMaxEmbeddedNameBytes - kHashLength) + '-' + hash;
}

void synthesiseBoldAtAnySize()
{
    // Qt reads the variable whenever a font engine is made.
    qputenv("QT_NO_SYNTHESIZED_BOLD_LIMIT", "1");
}

FileFaces &FileFaces::instance()
{
    static FileFaces faces = [] {
        synthesiseBoldAtAnySize();
        return FileFaces();
    }();
    return faces;
}

void FileFaces::setListedFile(const QString &path, const FileIdentity &identity, int face)
{
    m_listed.insert(path, ListedFile{identity, std::max(0, face)});
    forgetFile(path);
}

void FileFaces::forgetFile(QString path)
{
    const auto file = m_files.find(path);
    if (file != m_files.end()) {
        m_heldBytes -= file->first.bytes.size();
        m_fileOrder.erase(file->second);
        m_files.erase(file);
    }
    // A reload lists thousands of files: the faces are only walked for a file that has some.
    if (!m_facesByPath.contains(path))
        return;
    for (auto it = m_faces.begin(); it != m_faces.end();) {
        if (it.key().path == path) {
            m_faceOrder.erase(it->second);
            it = m_faces.erase(it);
        } else {
            ++it;
        }
    }
    m_facesByPath.remove(path);
}

FileIdentity FileFaces::listedIdentity(const QString &path) const
{
    return m_listed.value(path).identity;
}

int FileFaces::listedFace(const QString &path) const
{
    return m_listed.value(path).face;
}

FileFaces::LoadedFile &FileFaces::loadedFile(const QString &path)
{
    auto found = m_files.find(path);
    if (found != m_files.end()) {
        m_fileOrder.splice(m_fileOrder.end(), m_fileOrder, found->second);
        return found->first;
    }
    LoadedFile file;
    file.label = "glyphworks-file-" + QByteArray::number(++m_loads);
    std::exception_ptr failure;
    const auto listing = m_listed.constFind(path);
    const FileIdentity listed = listing != m_listed.cend() ? listing->identity : FileIdentity();
    try {
        // A path no load listed, or one at which the load could open no file, names no file that
        // anyone saw: whatever stands there now is not read.
        if (listing == m_listed.cend()) {
            file.fault = FontFileFault::Replaced;
        } else if (!listed.isKnown()) {
            file.fault = FontFileFault::Missing;
        } else {
            FontFileBytes read = m_reader ? m_reader(path, listed) : readFontFile(path, listed);
            file.fault = read.fault;
            file.bytes = std::move(read.bytes);
        }
    } catch (...) {
        // Remembered as a file that cannot be read, so that every paint of its row does not
        // fail again; the failure itself is the caller's to report.
        file.fault = FontFileFault::Unreadable;
        failure = std::current_exception();
    }
    m_fileOrder.push_back(path);
    found = m_files.insert(path, {std::move(file), std::prev(m_fileOrder.end())});
    m_heldBytes += found->first.bytes.size();
    if (failure)
        std::rethrow_exception(failure);
    return found->first;
}

QRawFont FileFaces::face(const QString &path, const FaceStyle &asked, FontFileFault *fault)
{
    FaceStyle style = asked;
    style.pixelSize = wholePixels(asked.pixelSize);
    const FaceKey key{path, style};
    const auto cached = m_faces.find(key);
    if (cached != m_faces.end()) {
        m_faceOrder.splice(m_faceOrder.end(), m_faceOrder, cached->second);
        if (fault)
            *fault = FontFileFault::None;
        return cached->first;
    }
    LoadedFile &file = loadedFile(path);
    QRawFont raw;
    if (file.fault == FontFileFault::None) {
        try {
            const int index = listedFace(path);
            if (!file.pattern)
                file.pattern = facePattern(file.bytes, index, file.label);
            raw = makeFace(file.bytes, index, file.label, file.pattern.get(), path, style);
        } catch (...) {
            file.fault = FontFileFault::Unreadable;
            m_heldBytes -= file.bytes.size();
            file.bytes.clear();
            throw;
        }
        if (!raw.isValid()) {
            // The font system refuses what the bounds let through: remembered, so the file is
            // not read and parsed again on every paint.
            file.fault = FontFileFault::Damaged;
            m_heldBytes -= file.bytes.size();
            file.bytes.clear();
        }
    }
    const FontFileFault result = file.fault;
    if (result == FontFileFault::None) {
        m_faceOrder.push_back(key);
        m_faces.insert(key, {raw, std::prev(m_faceOrder.end())});
        ++m_facesByPath[path];
    }
    if (fault)
        *fault = result;
    trim();
    return raw;
}

FontFileBytes FileFaces::fileBytes(const QString &path)
{
    LoadedFile &file = loadedFile(path);
    FontFileBytes result;
    result.bytes = file.bytes;
    result.fault = file.fault;
    result.identity = listedIdentity(path);
    trim();
    return result;
}

FileFaces::Reader FileFaces::setReader(Reader reader)
{
    return std::exchange(m_reader, std::move(reader));
}

void FileFaces::setLimits(int faces, qint64 bytes)
{
    m_maxFaces = std::max(1, faces);
    m_maxBytes = std::max<qint64>(0, bytes);
    trim();
}

void FileFaces::clear()
{
    m_faces.clear();
    m_faceOrder.clear();
    m_facesByPath.clear();
    m_files.clear();
    m_fileOrder.clear();
    m_heldBytes = 0;
}

void FileFaces::trim()
{
    while (int(m_faces.size()) > m_maxFaces) {
        const FaceKey &oldest = m_faceOrder.front();
        const auto count = m_facesByPath.find(oldest.path);
        if (count != m_facesByPath.end() && --*count <= 0)
            m_facesByPath.erase(count);
        m_faces.remove(oldest);
        m_faceOrder.pop_front();
    }
    // A failed file holds no bytes but is remembered, so failures are bounded by count alone.
    // A file's faces share its bytes and go with it, so the bytes held stay within the bound.
    while (m_files.size() > 1 && (m_heldBytes > m_maxBytes || m_files.size() > 4 * qsizetype(m_maxFaces)))
        forgetFile(m_fileOrder.front());
}

} // namespace platform
