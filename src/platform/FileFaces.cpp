#include "platform/FileFaces.h"

#include "util/FilePaths.h"

#include <QCryptographicHash>
#include <QFont>
#include <QtGui/private/qfontengine_ft_p.h>
#include <QtGui/private/qrawfont_p.h>

#include <cstring>
#include <exception>
#include <optional>
#include <utility>

namespace platform {
namespace {

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
};

/// How fonts drawn by name are rendered here (hinting, antialiasing), taken from one of them,
/// so that faces from files look like the installed fonts beside them.
struct RenderDefaults
{
    QFontEngine::HintStyle hintStyle = QFontEngine::HintLight;
    bool antialias = true;
};

const RenderDefaults &renderDefaults()
{
    static std::optional<RenderDefaults> defaults;
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

QRawFont makeFace(const QByteArray &bytes, const QByteArray &label, const QString &path, const FaceStyle &style)
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
    const RenderDefaults &defaults = renderDefaults();
    engine->setDefaultHintStyle(defaults.hintStyle);
    QFontEngine::FaceId id;
    id.uuid = label;
    const QFontEngine::GlyphFormat format = defaults.antialias ? QFontEngine::Format_A8 : QFontEngine::Format_Mono;
    if (!engine->init(id, defaults.antialias, format, bytes) || engine->invalid() || engine->glyphCount() <= 1) {
        delete engine;
        return {};
    }
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

void FileFaces::setListedFile(const QString &path, const FileIdentity &identity)
{
    m_listed.insert(path, identity);
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
    return m_listed.value(path);
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
    const FileIdentity listed = listing != m_listed.cend() ? *listing : FileIdentity();
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

QRawFont FileFaces::face(const QString &path, const FaceStyle &style, FontFileFault *fault)
{
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
            raw = makeFace(file.bytes, file.label, path, style);
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
