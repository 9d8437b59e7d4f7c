#pragma once
// The word-processor target of the output command: after the user's confirmation, the sheet is
// typed into a new document of the word processor (startWordApplication()), one paragraph per
// list entry, and the word processor is left showing it.

#include "output/PrintSheet.h"
#include "output/RunWindows.h"
#include "output/WordApplication.h"

#include <QStringList>

namespace output {

/// The confirmation shown before a document is made, in the interface language.
QString wordConfirmationText(bool german);

/// The message shown when no word processor is available, in the interface language.
QString wordNotFoundText(bool german);

/// The note shown after a document was made whose fonts `fonts` are named in it but not
/// embedded for their size, in the interface language: a group for each limit that applied
/// (each file's size, the document's total), naming the limit, each listing at most ten files
/// as readable paths and counting the rest.
QString fontsNotCarriedText(bool german, const UncarriedFonts &fonts);

/// The failure to make a document in the documents folder (`error`), as the error report shows
/// it, in the interface language.
QString documentFolderText(bool german, const DocumentFolderError &error);

/// Types every line of `sheet` into a new word-processor document in the run's size, style and
/// orientation, each label part in "Arial" where the line asks for it, and shows the document.
/// Cancel in the confirmation ends the run; a word processor that cannot be created is reported
/// with wordNotFoundText(). A failure after that is thrown to the application's error report.
/// A line whose font file cannot be used ends in unusableFileMark(), as on the other targets.
/// Fonts the document names but could not carry for their size are noted with
/// fontsNotCarriedText() once it is shown; a documents folder that cannot be had is reported with
/// documentFolderText(). The run shows its progress in `windows`; a run aborted there (by the
/// abort button, the program's end or an interrupt of the command line) makes no document and
/// leaves a given file as it was. A given file that cannot be written is reported with its name
/// and the reason (notSaved()).
void wordSheet(const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet, RunWindows &windows);

} // namespace output
