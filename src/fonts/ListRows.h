#pragma once
// The rows of the font list: how high a row is, how it is drawn, and the font the list hands
// to the sample boxes. Plain drawing on any surface, so it works without a list and a window.

#include "fonts/FontEntry.h"

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;
class QRect;

namespace fonts {

/// Size in points at which sample mode shows every entry in its own font.
inline constexpr qreal kSamplePointSize = 15;

/// Background of a marked row, the same value as the list's text colour.
QColor markedRowColour();

/// The pixel size of kSamplePointSize points on a device of `dpi` dots per inch (its logical
/// vertical resolution), rounded to whole pixels as Qt rounds a font given in points: the size
/// of a font file's face in sample mode, as large as a font drawn by name on the same list.
qreal samplePixelSize(int dpi);

/// The font an installed entry is shown in in sample mode: the face its font name `name` stands
/// for, at 15 points. An empty name takes the face of `listFont`, the list's own font; an unknown
/// name the face the font system substitutes for it. Entries of font files are drawn from their
/// own files instead (drawRow()).
QFont sampleFont(const QString &name, const QFont &listFont);

/// The height of the text "Wg" in `font`, its ascent and descent: the row height of the list
/// outside sample mode.
int textHeight(const QFont &font);

/// What the rows of one list are drawn with.
struct RowStyle
{
    QFont listFont;     ///< the list's own font, for rows outside sample mode
    QColor text;        ///< text colour of an unmarked row
    QColor background;  ///< background of an unmarked row
    QColor markedText;  ///< text colour of a marked row: the platform's highlight text colour
    bool sampleMode = false;
    /// Logical vertical resolution of the list's screen: the size of font files' faces.
    int dpi = 96;
    /// Appended, in sample mode, to the entry of a font file that cannot be drawn, in the
    /// interface language (" (unreadable)").
    QString unusableMark;
};

/// The row height of `entry` in sample mode: the ascent and descent of an installed entry's
/// sample font, or of its listed file's own face at samplePixelSize(), and two pixels. A font
/// file that cannot be used takes the list's font instead.
int sampleRowHeight(const FontListEntry &entry, const RowStyle &style);

/// Draws the row of `entry` into `rect`: fills it with the background of a marked or unmarked
/// row, then writes the whole entry text (a file entry with " | " and its path, as people read
/// it: util::readablePath()) on one line in the list's font at the row's top-left corner, or in
/// sample mode one pixel lower: an installed entry in its sample font, a font file's entry shaped
/// in the face of the file listed for it (platform::FileFaces), whatever its text says. A font file that cannot be used (gone, replaced,
/// unreadable, refused) is written in the list's font in grey, with `style.unusableMark`. The
/// text is not clipped to the row. Returns the height the row has in its mode: textHeight() of
/// the list's font outside sample mode, sampleRowHeight() in it.
int drawRow(QPainter &painter, const QRect &rect, const FontListEntry &entry, bool marked, const RowStyle &style);

/// Draws the focus mark of a row: a dotted frame just inside `rect`, in the row's text colour.
void drawFocusMark(QPainter &painter, const QRect &rect, bool marked, const RowStyle &style);

/// The font of a sample box once the font of `entry` has been carried to it: the face the
/// entry's font name stands for, or for a folder's font the face of its listed file (the
/// program's own face when the file cannot be used), in the box's size, with the box's own weight, slant,
/// underline and strike-out. The weight and slant of the result stay the box's own, so
/// carrying never accumulates the styles of the faces shown before.
QFont carriedFont(const QFont &boxFont, const FontListEntry &entry);

} // namespace fonts
