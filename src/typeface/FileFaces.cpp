#include "typeface/FileFaces.h"

#include "typeface/qtinternals/EngineFaces.h"
#include "typeface/qtinternals/FileFontEngine.h"
#include "util/FilePaths.h"

#include <QCryptographicHash>

#include <fontconfig/fontconfig.h>
#include <fontconfig/fcfreetype.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <utility>

namespace platform {
namespace {

/// The pattern fontconfig makes of face `index` of the font file `file` when it scans the
/// file, from the bytes in memory (no file is opened: `label` stands for its name). Null when
/// FreeType or fontconfig refuse the face.
std::shared_ptr<FcPattern> facePattern(const QByteArray &file, int index, const QByteArray &label)
{
    // fontconfig reads every name of the face and compares them with one another, which a crafted
    // name table makes take hours, and keeps every named instance's place on every axis, which a
    // crafted 'fvar' table makes take gigabytes: it gets the face with its names and variations
    // bounded, as other programs' font systems do, and a face whose names cannot be bounded takes
    // the default settings.
    const QByteArray bytes = withBoundedTables(file);
    if (bytes.isEmpty())
        return {};
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(qtinternals::freetypeLibrary(), reinterpret_cast<const FT_Byte *>(bytes.constData()),
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
            raw = qtinternals::makeFileFace(file.bytes, index, file.label, file.pattern.get(),
                                            util::encodePath(path), style.pixelSize, style.bold,
                                            style.italic, embeddedFontName);
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
