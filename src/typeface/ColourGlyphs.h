#pragma once
// Glyphs in colour on print jobs and PDF documents. A face may hold some of its glyphs as colour
// bitmaps (CBDT/CBLC, sbix) or as layers of outlines in the colours of a palette (COLR/CPAL).
// Screens and images show them through Qt's raster engine; Qt's print engine, which also makes the
// PDF documents and the print system's jobs, writes every glyph as an outline of an embedded font,
// and such a glyph comes out empty there. On those surfaces the colour glyphs are rendered here by
// FreeType at the device's resolution and drawn as images, over their text drawn invisibly where
// the face has outlines, so that the text stays where the engine can record it; every other glyph
// stays text.

#include <QByteArray>
#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QString>

#include <functional>

class QPaintDevice;
class QPainter;

namespace platform {

/// Whether glyphs in colour are drawn as images on `device`: true for print jobs and PDF
/// documents, whose engine draws glyphs as outlines only; false for screens and images, and for
/// no device.
bool drawsColourAsImages(const QPaintDevice *device);

/// Whether `face` holds glyphs in colour (colour bitmaps or colour layers). The font system reads
/// this from the face's table directory once, when it opens the face; asking costs a flag test.
bool hasColourGlyphs(const QRawFont &face);

/// The bytes of the font file a face was made from, for faces that no installed file stands for
/// (a folder's fonts, drawn from their own file's bytes): called once, when a colour glyph of the
/// face is first drawn. Empty when the file cannot be had; the glyphs then stay text.
using FaceBytes = std::function<QByteArray()>;

/// One glyph rendered in colour.
struct ColourGlyph
{
    /// True when the face holds the glyph in colour; `image` may still be null (a blank glyph).
    bool colour = false;
    /// The glyph's pixels, premultiplied; at most kMaxColourImageSide pixels on a side.
    QImage image;
    /// Where the image goes, in device pixels from the glyph's origin on the baseline (y down).
    QRectF rect;
};

/// The most pixels an image of one glyph has on a side. A larger glyph (a sheet set in hundreds of
/// points at a printer's resolution) is drawn from an image of this size, scaled up by the engine.
inline constexpr int kMaxColourImageSide = 1024;

/// Glyph `glyph` of `face`, at the face's pixel size, rendered in colour. A colour bitmap comes at
/// the sizes of the face's strikes and is scaled to the face's size. The face's file is read
/// through `bytes` when given, else from the file the font system drew the face from, within the
/// bounds of platform::readFontFile(). Results are kept in a bounded cache.
ColourGlyph colourGlyph(const QRawFont &face, quint32 glyph, const FaceBytes &bytes = {});

/// Draws `runs` with the start of their baseline at `origin` as a print job or PDF document shows
/// them: the glyphs their faces hold in colour as images at the painter device's resolution, over
/// the same glyphs drawn as text in a transparent pen; the other glyphs as text in the painter's
/// pen. A face of colour bitmaps alone, without outlines, gives its images and no text: the engine
/// has nothing to draw or embed of it. `bytes` as for colourGlyph().
void drawGlyphRunsInColour(QPainter &painter, const QList<QGlyphRun> &runs, const QPointF &origin,
                           const FaceBytes &bytes = {});

/// Draws `text` in `font` with the start of its baseline at `origin`, left to right, as
/// drawGlyphRunsInColour() does, when a face it is set in (the font's own, or one Qt takes
/// characters the font lacks from) holds glyphs in colour, and returns true. Draws nothing and
/// returns false when none does: the caller draws the text as usual.
bool drawTextInColour(QPainter &painter, const QFont &font, const QString &text, const QPointF &origin);

/// Lets go of the faces opened and the glyphs rendered for colour glyphs; the next colour glyph
/// opens its face again. Called when a print job or document ends.
void releaseColourGlyphs();

} // namespace platform
