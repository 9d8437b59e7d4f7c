#pragma once
// Setting one sheet line on a drawing surface (printer page or image): line form A (everything in
// the entry's own font) or form B (the label part in the standard font "Arial", the rest in the
// entry's font). Measuring is kept apart from drawing so the flow can be planned first.
//
// A typeface is drawn by name. A folder's font is drawn from its own file (platform::FileFaces),
// shaped once when the line is measured; a file that cannot be used is set in the standard font
// with a mark saying so, and never makes anything else be looked up.

#include "platform/GlyphText.h"

#include <QFont>
#include <QString>

class QPaintDevice;
class QPainter;

namespace output {

/// The standard font of the label part in form B.
inline constexpr char kStandardFontName[] = "Arial";

/// The texts of one line and the font of its entry.
struct SheetLine
{
    QString label;    ///< label part (running number, font name, separators)
    QString rest;     ///< sample part (file label, sample text)
    QString fontName; ///< the entry's font name
    bool formB = false;
    QString fontFile; ///< the entry's font file, drawn from its own bytes; empty for a typeface
};

/// What a line measures on the surface, and how it was set.
struct LineMetrics
{
    int height = 0;     ///< text extent height of the whole line in the entry's font
    int labelWidth = 0; ///< form B: advance width of the label and its space in "Arial"
    int width = 0;      ///< advance width of the whole line as drawn
    /// The entry's font file could not be used: the line is set in the standard font, marked.
    bool unusable = false;
    /// The entry's text (form A: the whole line; form B: the rest) shaped in the file's face.
    platform::ShapedText shaped;
};

/// The mark a line or row of an unusable font file carries, in the interface language.
QString unusableFileMark(bool german);

/// Sets lines on one surface with the drawing font of a run: size in points and italic/bold
/// fixed for the run, the font changing from line to line.
class LineSetter
{
public:
    /// `device` gives the resolution at which points become pixels; `german` chooses the
    /// language of the mark on lines whose font file cannot be used.
    LineSetter(QPaintDevice *device, int pointSize, bool italic, bool bold, bool german = false);

    /// Measures `line` in its form.
    LineMetrics measure(const SheetLine &line) const;

    /// Draws `line`, measured as `metrics`, with the top-left corner of its text cell at (x, y)
    /// in the painter's current pen, without filling the cells' background.
    void draw(QPainter &painter, const SheetLine &line, const LineMetrics &metrics, int x, int y) const;

    /// The font of the run for the typeface `fontName`.
    QFont font(const QString &fontName) const;

private:
    /// The text of the line set in the entry's font: form A the whole line, form B the rest;
    /// with the mark when the file cannot be used.
    QString entryText(const SheetLine &line, bool unusable) const;

    QPaintDevice *m_device;
    int m_pointSize;
    bool m_italic;
    bool m_bold;
    QString m_mark;
};

} // namespace output
