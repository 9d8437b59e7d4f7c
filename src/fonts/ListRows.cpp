#include "fonts/ListRows.h"

#include "fonts/FontEntry.h"
#include "platform/FontResolver.h"
#include "platform/SampleBoxFace.h"
#include "util/FilePaths.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>

namespace fonts {

QColor markedRowColour()
{
    return QColor(15, 63, 111);
}

QFont sampleFont(const QString &entry, const QFont &listFont)
{
    // What the font leaves open comes from the list's font, as a painter on the list would
    // fill it in, so a row is measured in the very font it is drawn in.
    return platform::resolveFont(FontNameOfEntry(entry), kSamplePointSize).resolve(listFont);
}

int textHeight(const QFont &font)
{
    return QFontMetrics(font).height();
}

int sampleRowHeight(const QString &entry, const QFont &listFont)
{
    return textHeight(sampleFont(entry, listFont)) + 2;
}

void drawRow(QPainter &painter, const QRect &rect, const QString &entry, bool marked, const RowStyle &style)
{
    painter.save();
    painter.fillRect(rect, marked ? markedRowColour() : style.background);
    painter.setPen(marked ? style.markedText : style.text);
    painter.setFont(style.sampleMode ? sampleFont(entry, style.listFont) : style.listFont);
    const int top = rect.top() + (style.sampleMode ? 1 : 0);
    painter.drawText(QPoint(rect.left(), top + painter.fontMetrics().ascent()), util::readablePath(entry));
    painter.restore();
}

void drawFocusMark(QPainter &painter, const QRect &rect, bool marked, const RowStyle &style)
{
    painter.save();
    painter.setPen(QPen(marked ? style.markedText : style.text, 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

QFont carriedFont(const QFont &boxFont, const QString &entry)
{
    QFont font;
    const QString file = FontFileOfEntry(entry);
    if (file.isEmpty()) {
        // The resolved font picks the face by family and style name; weight and slant then only
        // ask for bold or italic on top of that face, so they can carry the box's own style.
        font = platform::resolveFont(FontNameOfEntry(entry), 0);
    } else {
        // A text box draws by name only: the file's face is registered under a family of its
        // own, whose one face weight and slant can only add bold or italic to.
        const QString family = platform::sampleBoxFamily(file);
        if (family.isEmpty())
            return boxFont;
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
