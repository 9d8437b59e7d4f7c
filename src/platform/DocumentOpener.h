#pragma once
// Handing a finished word-processor document (.docx) to the desktop: LibreOffice Writer opens it
// as a new, untitled document made from the file; without LibreOffice, the desktop's handler for
// .docx files opens the file itself. Tests put a stand-in in the desktop's place.
//
// Writer may replace a font embedded in a document by another, one with CFF outlines (.otf)
// among them, and a font that may not be embedded is not in the document at all. So the
// program's folder fonts are also handed to the Writer it starts as fonts of that process:
// copies in a private folder that a fontconfig configuration of that process names beside the
// system's fonts.

#include <QByteArrayList>
#include <QProcessEnvironment>
#include <QString>

namespace platform {

/// Opens documents in the word processor of the desktop.
class DocumentOpener
{
public:
    virtual ~DocumentOpener() = default;

    /// Whether anything can open a .docx document on this machine.
    virtual bool available() = 0;

    /// Opens the .docx file at `path` as a new, untitled document and returns at once, without
    /// waiting for the word processor. Throws util::Error when nothing could be started.
    virtual void openAsNew(const QString &path) = 0;

    /// Opens the document at `path` as openAsNew() does; a word processor started for it also
    /// sees the fonts of the fontconfig file `fontConfiguration` (none when empty). An opener
    /// that cannot hand fonts on opens the document without them.
    virtual void openAsNewWithFonts(const QString &path, const QString &fontConfiguration)
    {
        Q_UNUSED(fontConfiguration);
        openAsNew(path);
    }
};

/// The opener in force: the desktop's, unless a stand-in was put in its place.
DocumentOpener &documentOpener();

/// Puts `opener` (not owned) in the desktop's place; null puts the desktop's back. Returns the
/// stand-in it replaces, null when that was the desktop's.
DocumentOpener *setDocumentOpener(DocumentOpener *opener);

/// The prefix of the names of the folders writeFontConfiguration() makes.
inline constexpr char kFontFolderPrefix[] = "Glyphworks-fonts-";

/// The folder beside them that holds the font copies they share.
inline constexpr char kFontCopiesFolder[] = "Glyphworks-font-copies";

/// How many bytes of font copies kFontCopiesFolder keeps for later documents at most.
inline constexpr qint64 kMaxFontCopyBytes = qint64(512) * 1024 * 1024;

/// Hands the font files `files` (their contents) to a word processor: a new folder of `parent`,
/// readable by the user alone, with a fontconfig configuration that adds them to the system's
/// fonts and keeps its cache in that folder. The files themselves are kept once, named by their
/// contents, in kFontCopiesFolder, shared by every folder that hands them on; the new folder
/// links them. That folder holds the program's copies alone, and nothing in it is followed: a
/// copy is linked only when it is a regular file of the user with the file's very bytes (checked
/// on the open file, and that file linked); anything else at its name is replaced by a new copy,
/// written beside it and renamed over the name (a link, FIFO, device or socket there is removed
/// first, never opened or followed). Where no copy can be linked (a folder at its name, a file
/// system without links), the new folder gets a file of its own. Removes what no word processor
/// needs any more (removeUnusedFontCopies()). Returns the configuration's path. Throws
/// util::Error when a folder or a file cannot be written.
QString writeFontConfiguration(const QString &parent, const QByteArrayList &files);

/// Removes, in `parent`, the folders writeFontConfiguration() made that no word processor can
/// still read, and the font copies beyond `limit` bytes that none of the remaining folders links,
/// the longest unused first. A folder stays for an hour after it was last changed, and while a
/// running process of the user may read it: one whose FONTCONFIG_FILE names the folder's
/// fonts.conf, however either side spells it ("//", "/./", a trailing "/", a link, "~/" in that
/// process's HOME), compared by device and inode; one that names it by a path that cannot be
/// looked up here; and one whose environment cannot be read (or is empty, as while a program
/// starts), unless the folder was made after that process started, so that the process cannot
/// know the folder's random name. Without /proc, every folder stays. Only real folders and
/// regular files of the user with the program's own names are removed as such; anything else in
/// kFontCopiesFolder but a folder is removed too, not counted. Returns how many folders and
/// copies were removed.
int removeUnusedFontCopies(const QString &parent, qint64 limit = kMaxFontCopyBytes);

/// The desktop's opener: LibreOffice ("soffice -n FILE", started detached), else "xdg-open FILE"
/// when the desktop has a handler for .docx files.
class DesktopOpener : public DocumentOpener
{
public:
    bool available() override;
    void openAsNew(const QString &path) override;
    void openAsNewWithFonts(const QString &path, const QString &fontConfiguration) override;

    /// The environment a word processor is started in: this process's, with
    /// `fontConfiguration` (when not empty) as its fontconfig file.
    static QProcessEnvironment officeEnvironment(const QString &fontConfiguration);

    /// The LibreOffice program on the search path; empty when none is installed.
    static QString officeProgram();

    /// Whether the desktop names an application for .docx files (and xdg-open is there to
    /// start it).
    static bool hasDocxHandler();
};

} // namespace platform
