#pragma once
// Printing the font sheet: directly on the default or a named printer, or through the print
// dialog with its printer, copies and page range.

#include "output/LineSetter.h"
#include "output/PageFlow.h"

#include <QString>

namespace output {

/// The five numbers of a run, converted from the settings fields at its start.
struct SheetNumbers
{
    int spacing = 5;
    int left = 200;
    int top = 250;
    int bottom = 550;
    int size = 8;
};

/// The style of a run, read at its start.
struct RunStyle
{
    bool portrait = true;
    bool italic = false;
    bool bold = false;
    bool german = false;
};

/// The lines of a sheet, read one by one while the run goes on.
class SheetSource
{
public:
    virtual ~SheetSource() = default;
    /// The number of lines (list entries).
    virtual qsizetype count() const = 0;
    /// The texts and font of line `index`.
    virtual SheetLine line(qsizetype index) const = 0;
};

/// The pages a sheet is set on: a print job, or a PDF document written as it goes.
class SheetPages
{
public:
    virtual ~SheetPages() = default;
    /// Opens the document and its first page. Throws util::Error when it cannot be opened.
    virtual void begin() = 0;
    /// The drawing surface of the open document.
    virtual QPainter &canvas() = 0;
    /// The width of the printable area of a page, in device pixels.
    virtual int pageWidth() const = 0;
    /// The height of the printable area of a page, in device pixels.
    virtual int pageHeight() const = 0;
    /// The pages' resolution, in dots per inch.
    virtual int resolution() const = 0;
    /// Ends the current page and begins the next.
    virtual void newPage() = 0;
    /// Ends the last page and the document.
    virtual void end() = 0;
    /// Drops a document that was opened and not ended; nothing otherwise.
    virtual void cancel() = 0;
    /// Whether the lines still to come are left out (the run was aborted).
    virtual bool stopped() const = 0;
    /// Line `index` has been set.
    virtual void lineSet(qsizetype index) { Q_UNUSED(index); }
};

/// How many lines a sheet holds the fonts of at least: a print job or PDF document would hold every
/// font it used until it ends; at the first page break after these lines, the fonts used so far
/// are written into the document and let go of.
inline constexpr int kFontLinesHeld = 300;

/// Sets the lines whose fonts are held; 0 or less restores kFontLinesHeld. Tests make it a few.
void setFontLinesHeld(int lines);

/// Sets every line of `sheet` on `pages`, one after the other from the top margin, breaking the
/// page where the next line would pass the bottom margin; only the pages in `range` are drawn.
/// This is the one layout of the printed sheet; its PDF document is set the same way. However
/// many fonts the sheet has, only those of its last some hundred lines are held at a time.
void setSheet(SheetPages &pages, const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet,
              const PageRange &range);

/// The print job's title in the interface language.
QString jobTitle(bool german);

/// The highest page number the print dialog admits.
inline constexpr int kMaxDialogPage = 25;

/// Prints one copy of every line on the installed printer named `printer` (ignoring case), or on
/// the system's default printer of the moment when `printer` is empty or no printer has that name.
void printDirect(const QString &printer, const SheetNumbers &numbers, const RunStyle &style,
                 const SheetSource &sheet);

/// Shows the print dialog and prints the chosen pages on the chosen printer; nothing when the
/// dialog is cancelled.
void printWithDialog(const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet);

} // namespace output
