#pragma once
// The PDF target of the output command: the sheet laid out as direct printing lays it out, on A4
// pages, written through Qt's PDF engine with every font embedded, into a file the user picks.

#include "output/PrintSheet.h"

namespace output {

class RunWindows;

/// Asks for a PDF file in the save dialog (proposing a name from the last one `windows` keep) and
/// writes the sheet there, page by page, while `windows` show the run and offer their abort
/// button. The file is written beside the target and put in its place when complete: cancelling
/// the dialog or aborting the run writes nothing, and a failure to write leaves an existing file
/// untouched and throws FileWriteError with the file's name and the system's reason, in the
/// interface language.
void pdfSheet(const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet, RunWindows &windows);

} // namespace output
