#include "fonts/ListRows.h"

#include "typeface/FileFaces.h"
#include "typeface/FontResolver.h"
#include "typeface/GlyphText.h"
#include "typeface/SampleBoxFace.h"
#include "util/FilePaths.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>

#include <cmath>

namespace fonts {
namespace {

/// The face of the font file `path` in sample mode; invalid when the file cannot be used.
QRawFont sampleFace(const QString &path, const RowStyle &style)
{
    return platform::FileFaces::instance().face(path, platform::FaceStyle{samplePixelSize(style.dpi)});
}

/// Saves a painter's state and restores it however the drawing ends.
class PainterSaved
{
public:
    explicit PainterSaved(QPainter &painter)
        : m_painter(painter)
    {
        m_painter.save();
    }
    ~PainterSaved() { m_painter.restore(); }
    PainterSaved(const PainterSaved &) = delete;
    PainterSaved &operator=(const PainterSaved &) = delete;

private:
    QPainter &m_painter;
};

/// The text colour of a font file that cannot be used, on `background`.
QColor unusableTextColour(const QColor &background)
{
    // One grey for the white of a row and the dark blue of a marked row would read poorly on
    // both; each gets a grey of good contrast.
    return background.lightness() >= 128 ? QColor(112, 112, 112) : QColor(176, 176, 176);
}

} // namespace

QColor markedRowColour()
{
    return QColor(15, 63, 111);
}

qreal samplePixelSize(int dpi)
{
    // Qt turns points into pixels on a device of this resolution to two decimals, then rounds to
    // whole pixels.
    return qRound(std::floor(kSamplePointSize * dpi / 72 * 100 + 0.5) / 100);
}

QFont sampleFont(const QString &name, const QFont &listFont)
{
    // What the font leaves open comes from the list's font, as a painter on the list would
    // fill it in, so a row is measured in the very font it is drawn in.
    return platform::resolveFont(name, kSamplePointSize).resolve(listFont);
}

int textHeight(const QFont &font)
{
    return QFontMetrics(font).height();
}

int sampleRowHeight(const FontListEntry &entry, const RowStyle &style)
{
    if (!entry.isFile())
        return textHeight(sampleFont(entry.name, style.listFont)) + 2;
    const QRawFont face = sampleFace(entry.path, style);
    if (!face.isValid())
        return textHeight(style.listFont) + 2;
    // Shaping no text gives the face's ascent and descent, rounded as a shaped row's are.
    return platform::shapeText(face, QString()).height() + 2;
}

int drawRow(QPainter &painter, const QRect &rect, const FontListEntry &entry, bool marked, const RowStyle &style)
{
    // Opening a font file's face may throw (out of memory): the painter is left as it was.
    const PainterSaved saved(painter);
    const QColor background = marked ? markedRowColour() : style.background;
    painter.fillRect(rect, background);
    painter.setPen(marked ? style.markedText : style.text);
    QString text = util::readablePath(entry.text);
    int height = 0;
    if (!style.sampleMode) {
        painter.setFont(style.listFont);
        height = textHeight(style.listFont);
    } else if (!entry.isFile()) {
        const QFont font = sampleFont(entry.name, style.listFont);
        painter.setFont(font);
        height = textHeight(font) + 2;
    } else if (const QRawFont face = sampleFace(entry.path, style); face.isValid()) {
        const platform::ShapedText shaped = platform::shapeText(face, text);
        platform::drawShapedText(painter, shaped, QPointF(rect.left(), rect.top() + 1 + shaped.ascent));
        return shaped.height() + 2;
    } else {
        // Only sample mode opens the files, so only sample mode can tell that one is unusable:
        // outside it, rows are drawn from their text alone, however many there are.
        painter.setFont(style.listFont);
        painter.setPen(unusableTextColour(background));
        text += style.unusableMark;
        height = textHeight(style.listFont) + 2;
    }
    const int top = rect.top() + (style.sampleMode ? 1 : 0);
    painter.drawText(QPoint(rect.left(), top + painter.fontMetrics().ascent()), text);
    return height;
}

void drawFocusMark(QPainter &painter, const QRect &rect, bool marked, const RowStyle &style)
{
    painter.save();
    painter.setPen(QPen(marked ? style.markedText : style.text, 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

QFont carriedFont(const QFont &boxFont, const FontListEntry &entry)
{
    QFont font;
    if (!entry.isFile()) {
        // The resolved font picks the face by family and style name; weight and slant then only
        // ask for bold or italic on top of that face, so they can carry the box's own style.
        font = platform::resolveFont(entry.name, 0);
    } else {
        // A text box draws by name only: the file's face is registered under a family of its
        // own, whose one face weight and slant can only add bold or italic to.
        const QString family = platform::sampleBoxFamily(entry.path);
        // A file that cannot be used leaves the box in the program's own face: the box may
        // still name the face registered for the entry before, which is gone now.
        if (!family.isEmpty())
            font.setFamilies({family});
    }
    font.setWeight(boxFont.weight());
    font.setStyle(boxFont.style());
    font.setUnderline(boxFont.underline());
    font.setStrikeOut(boxFont.strikeOut());
    if (boxFont.pixelSize() > 0)
        font.setPixelSize(boxFont.pixelSize());
    else
        font.setPointSizeF(boxFont.pointSizeF());
    return font;
}

} // namespace fonts
