#pragma once
// The one way a sheet request is carried out, whoever made it: the window's output command or
// the command line.

#include "output/SheetRequest.h"

namespace output {

class RunWindows;

/// Sends the lines of `sheet` to the target of `request`, showing a long run in `windows`. A font
/// size no target can draw is refused with an error message before any target is touched. A
/// request with a file writes a word-processor document there rather than opening it; the other
/// file targets ask the save dialog for their file as ever.
void runSheet(const SheetRequest &request, const SheetSource &sheet, RunWindows &windows);

} // namespace output
