#pragma once
// What a sheet run of the command line shows instead of windows: its progress and messages on
// standard error, and an interrupt (Ctrl+C, a hang-up, a termination request) as its abort.

#include "app/SheetCommand.h"
#include "fonts/FontEntry.h"
#include "fonts/FontInfo.h"
#include "output/RunWindows.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace app {

/// Puts /dev/null, opened for reading only, on each of the standard streams (0, 1, 2) that is
/// closed, before the program opens anything: a file it opens then never takes a standard
/// stream's number, and a write to a closed standard output or error fails (EBADF) and is told.
void occupyClosedStandardStreams();

/// Writes `text` to `stream` (standard output or error) in the locale's encoding, at once.
/// Returns false when it could not be written whole; the failure is kept for endOutput().
bool writeTo(FILE *stream, const QString &text);

/// Writes `text` to standard error as the program's message, on lines of their own: line breaks
/// the Windows way become plain ones, and a control character a name brought in is shown escaped.
void writeError(const QString &text);

/// Whether a write to standard output or standard error has failed in this run.
bool outputFailed();

/// Ends the run's output: writes what is still buffered and, when any write to standard output
/// or error failed, says so on standard error in German or English. Returns the exit status:
/// `code`, but 1 for a `code` of 0 when a write failed.
int endOutput(int code, bool german);

/// Writes the font list to standard output, one entry a line: a line break or escape sequence in
/// a font's name or path is written as its escape (util::escapeControls()). Returns false when
/// the list could not be written whole.
bool printFontList(const fonts::FontListEntries &entries);

/// Writes the facts of `entries` to standard output as tab-separated lines or a JSON array, each
/// with the entry it duplicates (as the list's mark of duplicates finds it) and why its file
/// cannot be used. Returns false when the listing could not be written whole.
bool printFactsListing(const fonts::FontListEntries &entries, fonts::ListingFormat format, bool german);

/// While it lives, an interrupt (Ctrl+C), a hang-up or a termination request does not end the
/// process at once: `interrupted` is called from the event loop instead, so that a sheet run can
/// stop at its next line and leave no part of its file. A signal that comes after the run's last
/// look at its events changes nothing: the run ends as it would have. One watch at a time.
class InterruptWatch
{
public:
    explicit InterruptWatch(std::function<void()> interrupted);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

/// The terminal as a sheet run's windows: the progress of the run's `lines` lines on standard
/// error (a bar on a terminal, a line per tenth otherwise; nothing when not `shown`), an
/// interrupt or a failed write to standard output or error as the stop that saves nothing, and
/// the run's file as the name its save dialogs propose. The display ends, with its line break,
/// when the object goes.
class TerminalRunWindows : public output::RunWindows
{
public:
    TerminalRunWindows(const QString &file, qint64 lines, bool german, bool shown);
    ~TerminalRunWindows() override;
    TerminalRunWindows(const TerminalRunWindows &) = delete;
    TerminalRunWindows &operator=(const TerminalRunWindows &) = delete;

    /// The run is to stop at its next line, as at the program's end: nothing is saved.
    void interrupt() { m_interrupted = true; }
    /// Whether the run was interrupted.
    bool interrupted() const { return m_interrupted; }
    /// The run went through: the progress shows all of its lines done.
    void complete();

    void begin(qsizetype lines) override;
    void lineDone(qsizetype index) override;
    /// An interrupt, or a failed write of the progress or a message, stops the run unsaved.
    bool abortRequested() const override { return m_interrupted || outputFailed(); }
    bool exitRequested() const override { return abortRequested(); }
    void end() override {}
    QString lastFileName() const override { return m_file; }
    void setLastFileName(const QString &name) override { m_file = name; }

private:
    void show(qint64 done);

    QString m_file;
    qint64 m_lines;
    std::optional<ProgressText> m_progress;
    QElapsedTimer m_clock;
    bool m_interrupted = false;
};

} // namespace app
