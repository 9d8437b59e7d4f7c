#include "typeface/ColourGlyphs.h"

#include "typeface/FontFile.h"
#include "typeface/qtinternals/EngineFaces.h"
#include "util/FilePaths.h"

#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <list>
#include <memory>
#include <optional>

namespace platform {
namespace {

/// The FreeType library of the colour faces, apart from Qt's: its faces are sized and loaded
/// here at will, without touching the state of the faces Qt draws with.
class Library
{
public:
    Library()
    {
        if (FT_Init_FreeType(&m_handle) != 0)
            m_handle = nullptr;
    }
    ~Library()
    {
        if (m_handle)
            FT_Done_FreeType(m_handle);
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    FT_Library handle() const { return m_handle; }

private:
    FT_Library m_handle = nullptr;
};

/// What tells one face from another: the file and face index the font system drew it from, and
/// the identity of a face made from bytes (unique for each load of a folder's file).
QByteArray faceKey(const qtinternals::FaceOrigin &id)
{
    return id.fileName + '\0' + id.uuid + '\0' + QByteArray::number(id.index);
}

/// `bitmap`, a BGRA bitmap of premultiplied pixels, as an image.
QImage imageOf(const FT_Bitmap &bitmap)
{
    QImage image(int(bitmap.width), int(bitmap.rows), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    for (unsigned int y = 0; y < bitmap.rows; ++y) {
        // A negative pitch runs the rows from the bottom up; buffer points at the top row either way.
        const unsigned char *source = bitmap.buffer + qptrdiff(y) * bitmap.pitch;
        auto *target = reinterpret_cast<QRgb *>(image.scanLine(int(y)));
        for (unsigned int x = 0; x < bitmap.width; ++x, source += 4)
            target[x] = qRgba(source[2], source[1], source[0], source[3]);
    }
    return image;
}

/// One face opened from its file's bytes for the colour glyphs.
class ColourFace
{
public:
    ColourFace(FT_Library library, QByteArray bytes, int index)
        : m_bytes(std::move(bytes))
    {
        if (m_bytes.isEmpty() || !library)
            return;
        if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte *>(m_bytes.constData()),
                               FT_Long(m_bytes.size()), index, &m_face)
            != 0)
            m_face = nullptr;
    }
    ~ColourFace()
    {
        if (m_face)
            FT_Done_Face(m_face);
    }
    ColourFace(const ColourFace &) = delete;
    ColourFace &operator=(const ColourFace &) = delete;

    qint64 bytes() const { return m_bytes.size(); }

    /// Glyph `glyph` rendered in colour at `pixelSize` device pixels to the em.
    ColourGlyph render(quint32 glyph, qreal pixelSize)
    {
        ColourGlyph result;
        if (!m_face || !FT_HAS_COLOR(m_face) || !(pixelSize > 0) || !std::isfinite(pixelSize)
            || glyph >= FT_ULong(m_face->num_glyphs))
            return result;
        qreal scale = 0;
        // Colour bitmaps come in strikes of fixed sizes: the smallest strike at least as large as
        // the size asked for (or else the largest), scaled to that size.
        if (m_face->num_fixed_sizes > 0) {
            const int strike = strikeFor(pixelSize);
            const qreal strikeSize = m_face->available_sizes[strike].y_ppem / 64.0;
            if (strikeSize > 0 && FT_Select_Size(m_face, strike) == 0 && loadInColour(glyph, false))
                scale = pixelSize / strikeSize;
        }
        // Colour layers are outlines, rendered at the size itself (up to the largest image).
        if (scale == 0 && FT_IS_SCALABLE(m_face)) {
            const qreal rendered = std::min(pixelSize, qreal(kMaxColourImageSide));
            if (FT_Set_Char_Size(m_face, 0, FT_F26Dot6(std::lround(rendered * 64)), 72, 72) == 0
                && loadInColour(glyph, true))
                scale = pixelSize / rendered;
        }
        if (scale == 0)
            return result;
        result.colour = true;
        const FT_GlyphSlot slot = m_face->glyph;
        const FT_Bitmap &bitmap = slot->bitmap;
        if (bitmap.width == 0 || bitmap.rows == 0 || !bitmap.buffer)
            return result;
        result.rect = QRectF(slot->bitmap_left * scale, -slot->bitmap_top * scale, bitmap.width * scale,
                             bitmap.rows * scale);
        result.image = imageOf(bitmap);
        // The image has the device's pixels where they are no more than the largest image holds;
        // the engine scales it to its place.
        const qreal side = std::max(result.rect.width(), result.rect.height());
        const qreal fit = side > kMaxColourImageSide ? kMaxColourImageSide / side : 1.0;
        const QSize size(std::max(1, int(std::lround(result.rect.width() * fit))),
                         std::max(1, int(std::lround(result.rect.height() * fit))));
        if (!result.image.isNull() && size != result.image.size())
            result.image = result.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return result;
    }

private:
    int strikeFor(qreal pixelSize) const
    {
        int best = 0;
        for (int i = 1; i < m_face->num_fixed_sizes; ++i) {
            const FT_Pos size = m_face->available_sizes[i].y_ppem;
            const FT_Pos bestSize = m_face->available_sizes[best].y_ppem;
            const bool fits = size / 64.0 >= pixelSize;
            const bool bestFits = bestSize / 64.0 >= pixelSize;
            if ((fits && (!bestFits || size < bestSize)) || (!fits && !bestFits && size > bestSize))
                best = i;
        }
        return best;
    }

    /// Loads `glyph` as a colour bitmap; false when the face holds it in no colour.
    bool loadInColour(quint32 glyph, bool outline)
    {
        // Layers are rendered from their outlines unhinted, as the print engine draws outlines.
        const FT_Int32 flags = FT_LOAD_COLOR | FT_LOAD_RENDER | (outline ? FT_LOAD_NO_HINTING : 0);
        return FT_Load_Glyph(m_face, glyph, flags) == 0 && m_face->glyph->format == FT_GLYPH_FORMAT_BITMAP
               && m_face->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_BGRA;
    }

    QByteArray m_bytes; // FreeType reads the face from these bytes for as long as it is open
    FT_Face m_face = nullptr;
};

/// The colour faces opened and the glyphs rendered, least recently used first to go: a few
/// faces (each holding its whole file) and glyph images up to a number of bytes.
class ColourCache
{
public:
    ColourGlyph glyph(const QRawFont &face, quint32 glyph, const FaceBytes &bytes)
    {
        const std::optional<qtinternals::FaceOrigin> origin = qtinternals::freetypeFaceOrigin(face);
        if (!origin)
            return {};
        const qtinternals::FaceOrigin &id = *origin;
        const GlyphKey key{faceKey(id), glyph, qRound64(face.pixelSize() * 64)};
        const auto cached = m_glyphs.find(key);
        if (cached != m_glyphs.end()) {
            m_glyphOrder.splice(m_glyphOrder.end(), m_glyphOrder, cached->second);
            return cached->first;
        }
        const ColourGlyph rendered = colourFace(key.face, id, bytes).render(glyph, face.pixelSize());
        m_glyphOrder.push_back(key);
        m_glyphs.insert(key, {rendered, std::prev(m_glyphOrder.end())});
        m_glyphBytes += rendered.image.sizeInBytes();
        trimGlyphs();
        return rendered;
    }

    void clear()
    {
        m_glyphs.clear();
        m_glyphOrder.clear();
        m_glyphBytes = 0;
        m_faces.clear();
    }

private:
    struct GlyphKey
    {
        QByteArray face;
        quint32 glyph = 0;
        qint64 size = 0; // pixels to the em, in 64ths
        friend bool operator==(const GlyphKey &, const GlyphKey &) = default;
        friend size_t qHash(const GlyphKey &key, size_t seed) noexcept
        {
            return qHashMulti(seed, key.face, key.glyph, key.size);
        }
    };

    ColourFace &colourFace(const QByteArray &key, const qtinternals::FaceOrigin &id, const FaceBytes &bytes)
    {
        const auto found = std::find_if(m_faces.begin(), m_faces.end(), [&key](const auto &f) { return f.first == key; });
        if (found != m_faces.end()) {
            m_faces.splice(m_faces.end(), m_faces, found);
            return *m_faces.back().second;
        }
        // A folder's file comes from its listing; an installed face's file, which the font
        // system named, is read within bounds all the same. A face that cannot be opened is
        // remembered too, so its file is not read again for each glyph.
        QByteArray data;
        if (bytes)
            data = bytes();
        else if (!id.fileName.isEmpty())
            data = readFontFile(util::decodePath(id.fileName)).bytes;
        m_faces.emplace_back(key, std::make_unique<ColourFace>(m_library.handle(), std::move(data), int(id.index)));
        qint64 held = 0;
        for (const auto &face : m_faces)
            held += face.second->bytes();
        while (m_faces.size() > 1 && (m_faces.size() > kMaxFaces || held > kMaxFaceBytes)) {
            held -= m_faces.front().second->bytes();
            m_faces.pop_front();
        }
        return *m_faces.back().second;
    }

    void trimGlyphs()
    {
        while (m_glyphOrder.size() > 1 && (m_glyphBytes > kMaxGlyphBytes || m_glyphs.size() > kMaxGlyphs)) {
            const auto oldest = m_glyphs.find(m_glyphOrder.front());
            m_glyphBytes -= oldest->first.image.sizeInBytes();
            m_glyphs.erase(oldest);
            m_glyphOrder.pop_front();
        }
    }

    static constexpr size_t kMaxFaces = 4;
    static constexpr qint64 kMaxFaceBytes = 128 * 1024 * 1024;
    static constexpr qsizetype kMaxGlyphs = 4096;
    static constexpr qint64 kMaxGlyphBytes = 48 * 1024 * 1024;

    // Declared first, so that it goes last, after every face opened in it.
    Library m_library;
    std::list<std::pair<QByteArray, std::unique_ptr<ColourFace>>> m_faces;
    // Least recently used first. A glyph drawn again is the same image, which a PDF document
    // then holds once.
    std::list<GlyphKey> m_glyphOrder;
    QHash<GlyphKey, std::pair<ColourGlyph, std::list<GlyphKey>::iterator>> m_glyphs;
    qint64 m_glyphBytes = 0;
};

ColourCache &cache()
{
    static ColourCache instance;
    return instance;
}

} // namespace

bool drawsColourAsImages(const QPaintDevice *device)
{
    // Print jobs and PDF documents are the paged devices: both go through the PDF engine.
    return device && (device->devType() == QInternal::Printer || dynamic_cast<const QPagedPaintDevice *>(device));
}

bool hasColourGlyphs(const QRawFont &face)
{
    const FT_Face ftFace = qtinternals::freetypeFace(face);
    return ftFace && FT_HAS_COLOR(ftFace);
}

ColourGlyph colourGlyph(const QRawFont &face, quint32 glyph, const FaceBytes &bytes)
{
    return cache().glyph(face, glyph, bytes);
}

void drawGlyphRunsInColour(QPainter &painter, const QList<QGlyphRun> &runs, const QPointF &origin,
                           const FaceBytes &bytes)
{
    for (const QGlyphRun &run : runs) {
        const QRawFont face = run.rawFont();
        if (!hasColourGlyphs(face)) {
            painter.drawGlyphRun(origin, run);
            continue;
        }
        // A face of colour bitmaps alone has no outline the engine could draw or embed: its
        // glyphs would come out empty, and Qt's engines of a face whose bitmaps the print engine
        // embedded measure it wrongly from then on, for the rest of the process (with Qt 6.4, an
        // emoji's advance shrinks to a third on every surface, the screen included). Its glyphs are
        // drawn as images alone, and its text is left out of the document.
        const FT_Face ftFace = qtinternals::freetypeFace(face);
        const bool outlines = ftFace && FT_IS_SCALABLE(ftFace);
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        QList<quint32> plainGlyphs, colourGlyphs;
        QList<QPointF> plainPositions, colourPositions;
        QList<ColourGlyph> images;
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            ColourGlyph glyph = colourGlyph(face, glyphs.at(i), bytes);
            if (glyph.colour) {
                colourGlyphs.append(glyphs.at(i));
                colourPositions.append(positions.at(i));
                images.append(std::move(glyph));
            } else {
                plainGlyphs.append(glyphs.at(i));
                plainPositions.append(positions.at(i));
            }
        }
        if (!plainGlyphs.isEmpty() && outlines) {
            QGlyphRun plain = run;
            plain.setGlyphIndexes(plainGlyphs);
            plain.setPositions(plainPositions);
            painter.drawGlyphRun(origin, plain);
        }
        if (colourGlyphs.isEmpty())
            continue;
        // The text of the colour glyphs stays in the document (for searching and copying, as far
        // as the engine maps glyphs to characters), unseen: the images show the glyphs, and the
        // outlines a face may hold for them beside their colours would show through.
        if (outlines) {
            QGlyphRun hidden = run;
            hidden.setGlyphIndexes(colourGlyphs);
            hidden.setPositions(colourPositions);
            painter.save();
            painter.setPen(QPen(QColor(Qt::transparent)));
            painter.drawGlyphRun(origin, hidden);
            painter.restore();
        }
        for (qsizetype i = 0; i < images.size(); ++i) {
            const ColourGlyph &glyph = images.at(i);
            if (!glyph.image.isNull())
                painter.drawImage(glyph.rect.translated(origin + colourPositions.at(i)), glyph.image);
        }
    }
}

bool drawTextInColour(QPainter &painter, const QFont &font, const QString &text, const QPointF &origin)
{
    QPaintDevice *device = painter.device();
    if (text.isEmpty() || !device)
        return false;
    // The face of the font as the device draws it, which drawing the text uses too.
    const QRawFont own = QRawFont::fromFont(QFont(font, device));
    bool maybeColour = hasColourGlyphs(own);
    if (!maybeColour && !(font.styleStrategy() & QFont::NoFontMerging)) {
        // Characters the font lacks are drawn from fallback faces, which may hold them in colour.
        const QList<uint> characters = text.toUcs4();
        maybeColour = std::any_of(characters.cbegin(), characters.cend(),
                                  [&own](uint c) { return !own.supportsCharacter(c); });
    }
    if (!maybeColour)
        return false;
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return false;
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (std::none_of(runs.cbegin(), runs.cend(), [](const QGlyphRun &run) { return hasColourGlyphs(run.rawFont()); }))
        return false;
    // The layout's positions run from its top: its line's baseline lies at the line's ascent.
    drawGlyphRunsInColour(painter, runs, origin - QPointF(0, line.ascent()));
    return true;
}

void releaseColourGlyphs()
{
    cache().clear();
}

} // namespace platform
