#pragma once
// Setting one sheet line on a drawing surface (printer page or image): line form A (everything in
// the entry's own font) or form B (number and name in the standard font "Arial", the rest in the
// entry's font). In both, a label part the entry's font cannot show (a name, folder or file in a
// script the font lacks) is set in the standard font, so that every label reads; the sample stays
// in the entry's font. Measuring is kept apart from drawing so the flow can be planned first.
// On printers and PDF, colour glyphs (colour bitmaps and layers) are drawn as images.
//
// A typeface is drawn by name. A folder's font is drawn from its own file (platform::FileFaces),
// shaped once when the line is measured; a file that cannot be used is set in the standard font
// with a mark saying so, and never makes anything else be looked up. The parts of a line (number,
// name, folder and file, sample, and the separators between them) are set one after the other
// from left to right, each on its own: right-to-left text reads correctly within its part and
// never moves the parts around it.

#include "typeface/GlyphText.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

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
    /// The label part and the sample part as their parts (see labelParts(), sampleParts()); when
    /// they do not make up `label` and `rest`, each is set as one part.
    QStringList labelParts;
    QStringList restParts;
};

/// One part of a line as it is set: shaped in a face from a file, or in a font by name.
struct LinePiece
{
    qreal x = 0;    ///< from the line's left edge
    int ascent = 0; ///< from the top of the text cell to the baseline
    platform::ShapedText shaped; ///< the part in the entry's face from a file, when `glyphs`
    bool glyphs = false;
    QFont font;
    QString text;
};

/// What a line measures on the surface, and how it was set.
struct LineMetrics
{
    int height = 0;     ///< text extent height of the whole line in the entry's font
    int labelWidth = 0; ///< form B: advance width of the label and its space in "Arial"
    int width = 0;      ///< advance width of the whole line as drawn
    /// The entry's font file could not be used: the line is set in the standard font, marked.
    bool unusable = false;
    /// The parts of the line, left to right.
    QList<LinePiece> pieces;
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

    /// The font of the run for the typeface `fontName`, showing what that font holds only.
    QFont font(const QString &fontName) const;

    /// The standard font of the run: characters it lacks come from fallback fonts, so that a
    /// label reads whatever the script of the font name.
    QFont standardFont() const;

private:
    QPaintDevice *m_device;
    int m_pointSize;
    bool m_italic;
    bool m_bold;
    QString m_mark;
};

} // namespace output
