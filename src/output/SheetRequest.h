#pragma once
// One request for a font sheet: where it goes, its numbers and style, what each line shows. The
// main window builds it from its controls, the command line from its options; either hands it,
// with the lines, to the one run that sends the sheet to its target (runSheet()).

#include "fonts/FontEntry.h"
#include "output/PrintSheet.h"
#include "output/SheetText.h"

#include <QString>

namespace output {

/// Where a sheet goes.
enum class SheetTarget {
    StandardPrinter, ///< the system's default printer of the moment
    PrintDialog,     ///< the print dialog, with its printer, copies and pages
    Bmp,
    Jpeg,
    Gif,
    Document,        ///< a word-processor document
    Pdf,
    NamedPrinter,    ///< the installed printer the request names
};

/// The target an entry of the main window's output box stands for, in either interface language:
/// "Standarddrucker"/"Standard Printer" and "Drucker Dialog mit Optionen"/"Printer Dialog with
/// Options" by their whole text; an entry beginning "PDF-", "DOC-", "BMP-", "JPG-" or "GIF-" for
/// its format; any other entry is the name of a printer (NamedPrinter).
SheetTarget targetOfEntry(const QString &entry);

/// The separator a sheet starts with, after each label of a line.
QString defaultSeparator();

/// Everything a sheet run is asked to do. A value made at the run's start; the defaults are the
/// settings the program starts with (the sample text excepted: it follows the language).
struct SheetRequest
{
    SheetTarget target = SheetTarget::StandardPrinter;
    QString printer;                  ///< for NamedPrinter: the printer's name
    SheetNumbers numbers;
    RunStyle style;
    LabelSwitches labels;
    QString separator = defaultSeparator();
    QString sampleText;
    bool standardFontLabels = true;   ///< number and name in the standard font (line form B)
    bool split = false;               ///< an image too large for one file goes on part images
    QString file;                     ///< the file written without asking; empty: the save dialog's
    bool ownScript = false;           ///< a font lacking the sample's letters shows its own script's sample
};

/// The settings a line is made with, read for each line while a run goes on: in the program a
/// label switch, the separator or the standard-font switch changed meanwhile takes effect from
/// the next line.
class SheetSettings
{
public:
    virtual ~SheetSettings() = default;
    /// Which labels the line shows.
    virtual LabelSwitches labelSwitches() const = 0;
    /// The text after each label.
    virtual QString separator() const = 0;
    /// Whether number and name are set in the standard font (line form B).
    virtual bool standardFontLabels() const = 0;
    /// The sample text.
    virtual QString sampleText() const = 0;
    /// Whether a font that lacks characters of the sample text shows a sample of its own script
    /// instead (fonts::ownScriptSample()).
    virtual bool ownScript() const = 0;
};

/// The settings a request holds, fixed for its run.
class RequestSettings : public SheetSettings
{
public:
    /// The settings of `request`, which outlives this object.
    explicit RequestSettings(const SheetRequest &request)
        : m_request(request)
    {
    }
    LabelSwitches labelSwitches() const override { return m_request.labels; }
    QString separator() const override { return m_request.separator; }
    bool standardFontLabels() const override { return m_request.standardFontLabels; }
    QString sampleText() const override { return m_request.sampleText; }
    bool ownScript() const override { return m_request.ownScript; }

private:
    const SheetRequest &m_request;
};

/// The sheet line of the font list entry `entry` at list position `index` (0-based), made with
/// `settings` as they are now: its label and sample parts, whole and in parts, and its font. With
/// the own-script switch on, the sample is the one the entry's character map chooses.
SheetLine sheetLine(qsizetype index, const fonts::FontListEntry &entry, const SheetSettings &settings);

/// A list of entries as the lines of a sheet, each made when it is read.
class EntrySheet : public SheetSource
{
public:
    /// The lines of `entries` with `settings`; both outlive this object.
    EntrySheet(const fonts::FontListEntries &entries, const SheetSettings &settings)
        : m_entries(entries)
        , m_settings(settings)
    {
    }
    qsizetype count() const override { return m_entries.size(); }
    SheetLine line(qsizetype index) const override { return sheetLine(index, m_entries.at(index), m_settings); }

private:
    const fonts::FontListEntries &m_entries;
    const SheetSettings &m_settings;
};

} // namespace output
