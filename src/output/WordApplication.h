#pragma once
// The word processor of the word-processor target ("Word.Application"): a WordProcessor that
// builds the document its calls describe (new documents, page orientation, the selection's
// font, typed text and paragraphs) and, once made visible, writes each document as a .docx file
// and has the desktop's word processor open it as a new, untitled document. Fonts added for the
// run travel inside the document, so that it shows them where they are not installed; a file too
// large to carry is only named in it. The word processor started here also takes them directly
// as fonts of its process (see platform::writeFontConfiguration()).

#include "output/WordProcessor.h"
#include "util/Errors.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace output {

/// The most bytes of font files one document carries. The files beyond it, in path order, stay
/// out as a file larger than platform::kMaxFontFileSize does: a document that large would take
/// the word processor long to open, if at all.
inline constexpr qint64 kMaxCarriedFontBytes = 128 * 1024 * 1024;

/// A new application object of the word processor. Throws util::Error when no word
/// processor is installed to show its documents.
std::unique_ptr<WordProcessor> createWordApplication();

/// Makes a new word processor, or throws when none can run.
using WordApplicationFactory = std::function<std::unique_ptr<WordProcessor>()>;

/// Puts `factory` in place of the one startWordApplication() uses, an empty one putting back
/// createWordApplication(). Returns the factory it replaced.
WordApplicationFactory setWordApplicationFactory(WordApplicationFactory factory);

/// A new word processor for a run, from createWordApplication() or the factory put in its place.
/// Throws whatever the factory throws, and util::Error when it gives none.
std::unique_ptr<WordProcessor> startWordApplication();

/// Puts a factory in place for the life of the guard, and the one before back afterwards.
class WordApplicationOverride
{
public:
    /// Makes startWordApplication() use `factory`.
    explicit WordApplicationOverride(WordApplicationFactory factory)
        : m_previous(setWordApplicationFactory(std::move(factory)))
    {
    }
    /// Puts back the factory that was in place before.
    ~WordApplicationOverride() { setWordApplicationFactory(std::move(m_previous)); }
    WordApplicationOverride(const WordApplicationOverride &) = delete;
    WordApplicationOverride &operator=(const WordApplicationOverride &) = delete;

private:
    WordApplicationFactory m_previous;
};

/// The font files documents name but do not carry for their size, by the limit that kept them out.
struct UncarriedFonts
{
    QStringList tooLarge;     ///< each larger than platform::kMaxFontFileSize
    QStringList documentFull; ///< beyond kMaxCarriedFontBytes, with the files carried before them
    bool isEmpty() const { return tooLarge.isEmpty() && documentFull.isEmpty(); }
};

/// The font files that the documents shown since the last createWordApplication() (or the last
/// call) name but do not carry for their size, each once, in the order met. Empties the record.
/// A file another file of its name stands in for is not among them.
UncarriedFonts takeUncarriedFontFiles();

/// Puts `bytes` in place of kMaxCarriedFontBytes (0 puts it back); tests fill a document with
/// small fonts this way. Returns the limit it replaced.
qint64 setMaxCarriedFontBytes(qint64 bytes);

/// Makes the documents shown from now on be written to `path` instead of the documents folder,
/// and not opened: a run without windows (the command line) writes the sheet's document to the
/// file it was given. No word processor is needed then. An empty path restores the desktop's way.
void setDocumentDestination(const QString &path);

/// The file documents are written to instead of being opened; empty when they are opened.
QString documentDestination();

/// The private folder of the user's cache where documents wait for the word processor:
/// "glyphworks/documents" in $XDG_CACHE_HOME when that is an absolute path, else in $HOME/.cache
/// when HOME is one; empty when neither is. Only names the folder: it is made when a document is
/// (prepareDocumentFolder()). The word processor may still be reading a document when the program
/// ends, so the files outlive the run.
QString documentFolder();

/// Why no document can be made in documentFolder(). The message says it in English, or gives the
/// system's reason (Failed); the word sheet tells the user in the interface language.
class DocumentFolderError : public util::Error
{
public:
    enum Reason {
        NoCacheFolder, ///< neither XDG_CACHE_HOME nor HOME names a folder
        NotOwnFolder,  ///< "glyphworks" or "documents" is a link, no folder, or another user's
        Failed,        ///< the system refused; the message gives its reason
    };
    DocumentFolderError(Reason reason, const QString &folder, const QString &message)
        : util::Error(message)
        , m_reason(reason)
        , m_folder(folder)
    {
    }
    Reason reason() const { return m_reason; }
    /// The folder that could not be had (empty for NoCacheFolder).
    const QString &folder() const { return m_folder; }

private:
    Reason m_reason;
    QString m_folder;
};

/// Makes documentFolder() ready for a document and returns it: the cache folder is made when
/// missing; "glyphworks" and "documents" in it are made readable by the user alone when missing,
/// and are never followed when they are links, nor used when they belong to another user. A
/// folder that exists keeps its permissions. Throws DocumentFolderError.
QString prepareDocumentFolder();

/// Removes the documents of documentFolder() (and any unfinished ones) last modified before
/// `before`, and the font folders and copies no word processor needs any more
/// (platform::removeUnusedFontCopies()): only regular
/// files and real folders of the user with the program's own names, and only when the folder and
/// the "glyphworks" folder above it are real folders of the user, not links. Creates nothing.
/// Returns how many documents and folders were removed.
int removeOldDocuments(const QDateTime &before);

} // namespace output
