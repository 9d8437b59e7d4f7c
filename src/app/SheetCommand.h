#pragma once
// The program's command line: a start without arguments opens the windows; --sheet FILE makes
// one font sheet without showing any window, --list-fonts prints the font list. This part only
// reads the arguments and words the texts; running them is the application's.

#include "fonts/FontInfo.h"
#include "output/SheetRequest.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

/// The target of a sheet written to `path`, by its extension (any case): .pdf, .bmp, .jpg or
/// .jpeg, .gif, .docx (a word-processor document). None for any other name.
std::optional<output::SheetTarget> sheetFormatOf(const QString &path);

/// The labels a sheet line may begin with, as the settings dialog's switches.
struct SheetLabels
{
    bool number = false;
    bool name = false;
    bool folder = false;
    bool file = false;
};

/// What the command line asks for a sheet; an option not given leaves the setting a sheet starts
/// with.
struct SheetOptions
{
    QString file;
    output::SheetTarget format = output::SheetTarget::Pdf; ///< a file target
    QString folder;            ///< fonts of this folder and its sub-folders; empty: none
    bool systemFonts = true;
    std::optional<QString> text;
    std::optional<int> size;   ///< points
    bool bold = false;
    bool italic = false;
    bool landscape = false;
    std::optional<int> lineSpacing;
    std::optional<int> top;
    std::optional<int> left;
    std::optional<int> bottom;
    std::optional<QString> separator;
    std::optional<SheetLabels> labels;
    std::optional<bool> labelsInStandardFont;
    bool split = false;
    bool ownScript = false;    ///< fonts lacking the sample's letters show their own script
    bool german = false;
    bool quiet = false;
    /// Keep only the fonts that can show this text (--covering).
    std::optional<QString> covering;
    /// Keep only the first file of each group of duplicates (--no-duplicates).
    bool noDuplicates = false;
    /// --list-fonts --format: the facts of each entry as tab-separated lines or JSON; none: one
    /// entry text a line.
    std::optional<fonts::ListingFormat> listFormat;
};

/// What a start of the program is to do.
enum class CommandKind { Window, Sheet, ListFonts, Help, Version, UsageError };

/// The command line read.
struct Command
{
    CommandKind kind = CommandKind::Window;
    SheetOptions options;  ///< for Sheet and ListFonts (folder, systemFonts, german)
    QString error;         ///< for UsageError: what is wrong, one line
};

/// Reads `arguments` (without the program's name). No arguments: the windows. Qt's own options
/// of the windows (-platform NAME, -style NAME, -display NAME, …) are passed over. An unknown
/// option, a missing value, a number that is not a whole number from 0 up, an unknown label, a
/// FILE of no known format, an empty separator, options that need --sheet without it, or --sheet
/// with --list-fonts give UsageError with its reason.
Command parseCommand(const QStringList &arguments);

/// The sheet `options` ask for, in German or English (`german`): every option not given as a
/// sheet starts in the program (output::SheetRequest's defaults, the language's first sample
/// text), the file made absolute.
output::SheetRequest sheetRequest(const SheetOptions &options, bool german);

/// The usage line, as `--help` and usage errors show it.
QString usageLine();

/// The text of `--help`, in German or English.
QString helpText(bool german);

/// A progress display of a sheet run on standard error: a bar with the lines done, the total and
/// the time left for a terminal, one line per tenth of the run otherwise.
class ProgressText
{
public:
    explicit ProgressText(bool terminal, bool german)
        : m_terminal(terminal)
        , m_german(german)
    {
    }

    /// The text to write when `done` of `total` lines are set after `elapsedMs` milliseconds of
    /// the run; empty when nothing is to be written. A run that starts again (done below the
    /// last) is followed from its start.
    QString update(qint64 done, qint64 total, qint64 elapsedMs);

    /// The text that ends the display once the run is over (the line break after the bar).
    QString finish() const;

private:
    bool m_terminal;
    bool m_german;
    qint64 m_lastDone = -1;
    int m_lastTenth = -1;
    bool m_written = false;
};

} // namespace app
