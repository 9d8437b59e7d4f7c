#pragma once
// Printing the font sheet: directly on the default or a named printer, or through the print
// dialog with its printer, copies and page range.

#include "output/LineSetter.h"

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

/// The print job's title in the interface language.
QString jobTitle(bool german);

/// The highest page number the print dialog admits.
inline constexpr int kMaxDialogPage = 25;

/// Prints one copy of every line on the printer named by `target`: "Standarddrucker" and
/// "Standard Printer" print on the system's default printer of the moment; any other text selects
/// the installed printer of that name (ignoring case), or the default printer when there is none
/// of that name.
void printDirect(const QString &target, const SheetNumbers &numbers, const RunStyle &style,
                 const SheetSource &sheet);

/// Shows the print dialog and prints the chosen pages on the chosen printer; nothing when the
/// dialog is cancelled.
void printWithDialog(const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet);

} // namespace output
