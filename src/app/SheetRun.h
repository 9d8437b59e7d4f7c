#pragma once
// Runs of the command line that need the windows without showing them: a font sheet made
// through the main window's own output command, and the font list printed.

#include "app/SheetCommand.h"

#include <QString>

#include <cstdio>
#include <functional>
#include <memory>

namespace app {

/// Writes `text` to `stream` (standard output or error) in the locale's encoding, at once.
void writeTo(FILE *stream, const QString &text);

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

/// Prepares a run without a person before the windows are made: no dialog is shown (each is
/// answered for the run), and output runs show no progress window.
void beginWindowlessRun();

/// Gives the windows (made, never shown) the language and font sources of `options` the way
/// the user would set them, without the greeting. Returns false, with the reason on standard
/// error, when the folder is none.
bool applyFontSources(const SheetOptions &options);

/// Makes the sheet `options` describe with the main window's output command, its settings
/// applied to the settings dialog's controls. Progress goes to standard error unless quiet.
/// Returns the exit status: 0 when the file was written, 1 when the sheet could not be made
/// (the message the window would show is on standard error).
int makeSheet(const SheetOptions &options);

} // namespace app
