#pragma once
// The word processor behind the program identifier "Word.Application": an automation object
// that builds the document its calls describe (new documents, page orientation, the selection's
// font, typed text and paragraphs) and, once made visible, writes each document as a .docx file
// and has the desktop's word processor open it as a new, untitled document. Fonts added for the
// run travel inside the document, so that it shows them where they are not installed; a file too
// large to carry is only named in it. The word processor started here also takes them directly
// as fonts of its process (see platform::writeFontConfiguration()).

#include "platform/Automation.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

namespace output {

/// The most bytes of font files one document carries. The files beyond it, in path order, stay
/// out as a file larger than platform::kMaxFontFileSize does: a document that large would take
/// the word processor long to open, if at all.
inline constexpr qint64 kMaxCarriedFontBytes = 128 * 1024 * 1024;

/// The program identifier the word processor is registered under.
inline constexpr char kWordProgramId[] = "Word.Application";

/// A new application object of the word processor. Throws platform::automation::AutomationError
/// (Unavailable) when no word processor is installed to show its documents.
std::shared_ptr<platform::automation::Dispatch> createWordApplication();

/// The font files that the documents shown since the last createWordApplication() (or the last
/// call) name but do not carry because the files are too large, each once, in the order met.
/// Empties the record. A file another file of its name stands in for is not among them.
QStringList takeFontFilesTooLargeToCarry();

/// Registers createWordApplication() under "Word.Application".
void registerWordApplication();

/// The private folder of the user's cache where documents wait for the word processor; created
/// (readable by the user alone) when missing. The word processor may still be reading a document
/// when the program ends, so the files outlive the run.
QString documentFolder();

/// Removes the documents of documentFolder() (and any unfinished ones) last modified before
/// `before`, and the font folders made for the word processor a week before that. Returns how
/// many documents and folders were removed.
int removeOldDocuments(const QDateTime &before);

} // namespace output
