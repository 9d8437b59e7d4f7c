#pragma once
// Text set in one face that no font name stands for (a face made from a file's bytes): shaped by
// HarfBuzz through the face's own engine, as Qt shapes the text of fonts drawn by name, with
// right-to-left stretches ordered by the Unicode bidirectional algorithm (FriBidi), then drawn
// as glyph runs on any painter: screen, image or print job.

#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

class QPainter;

namespace platform {

/// A text shaped in one face: glyph runs positioned from the start of its baseline, left to right.
struct ShapedText
{
    QList<QGlyphRun> runs;
    /// The advance of the whole text.
    qreal width = 0;
    /// The face's ascent and descent, rounded as font metrics round them.
    int ascent = 0;
    int descent = 0;
    /// Characters the face has no glyph for.
    int missing = 0;

    /// The height of the text cell: ascent and descent.
    int height() const { return ascent + descent; }
};

/// Shapes `text` in `face`, in a paragraph that runs left to right: a right-to-left stretch reads
/// from right to left within its place. Characters the face lacks become its missing glyph, as
/// the font itself would show them; nothing is borrowed from other fonts.
ShapedText shapeText(const QRawFont &face, const QString &text);

/// Draws `shaped` with the start of its baseline at `origin`, in the painter's pen.
void drawShapedText(QPainter &painter, const ShapedText &shaped, const QPointF &origin);

} // namespace platform
