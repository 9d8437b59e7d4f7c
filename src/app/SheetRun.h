#pragma once
// The runs of the command line, made without any window: a font sheet written to a file, and
// the font list printed.

#include "app/SheetCommand.h"
#include "app/TerminalRun.h"

namespace app {

/// Prepares a run without a person: no dialog is shown, each is answered for the run (the save
/// dialog with the run's file) and told on standard error.
void beginWindowlessRun();

/// Carries out `command` (a sheet or the font list) without making any window: loads the fonts
/// of the sources it names, then writes the sheet or prints the list. Progress goes to standard
/// error unless quiet. Returns the exit status: 0 when done, 1 when the folder is none, the
/// sheet could not be made or standard output or error could not be written (the reason, as the
/// window would show it, is on standard error where that can be written).
int runWithoutWindows(const Command &command);

} // namespace app
