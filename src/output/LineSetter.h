#pragma once
// Setting one sheet line on a drawing surface (printer page or image): line form A (everything in
// the entry's own font) or form B (the label part in the standard font "Arial", the rest in the
// entry's font). Measuring is kept apart from drawing so the flow can be planned first.

#include <QFont>
#include <QString>

class QPaintDevice;
class QPainter;

namespace output {

/// The standard font of the label part in form B.
inline constexpr char kStandardFontName[] = "Arial";

/// The texts of one line and the font name of its entry.
struct SheetLine
{
    QString label;    ///< label part (running number, font name, separators)
    QString rest;     ///< sample part (file label, sample text)
    QString fontName; ///< the entry's font name
    QString fontFile; ///< the entry's font file, drawn from its own bytes; empty for a typeface
    bool formB = false;
};

/// What a line measures on the surface.
struct LineMetrics
{
    int height = 0;     ///< text extent height of the whole line in the entry's font
    int labelWidth = 0; ///< form B: advance width of the label and its space in "Arial"
    int width = 0;      ///< advance width of the whole line as drawn
};

/// Sets lines on one surface with the drawing font of a run: size in points and italic/bold
/// fixed for the run, the font name changing from line to line.
class LineSetter
{
public:
    /// `device` gives the resolution at which points become pixels.
    LineSetter(QPaintDevice *device, int pointSize, bool italic, bool bold);

    /// Measures `line` in its form.
    LineMetrics measure(const SheetLine &line) const;

    /// Draws `line` with the top-left corner of its text cell at (x, y) in the painter's current
    /// pen, without filling the cells' background.
    void draw(QPainter &painter, const SheetLine &line, const LineMetrics &metrics, int x, int y) const;

    /// The font of the run for `fontName`.
    QFont font(const QString &fontName) const;

private:
    QPaintDevice *m_device;
    int m_pointSize;
    bool m_italic;
    bool m_bold;
};

} // namespace output
