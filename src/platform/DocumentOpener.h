#pragma once
// Handing a finished word-processor document (.docx) to the desktop: LibreOffice Writer opens it
// as a new, untitled document made from the file; without LibreOffice, the desktop's handler for
// .docx files opens the file itself. Tests put a stand-in in the desktop's place.

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
    /// waiting for the word processor. Throws platform::Error when nothing could be started.
    virtual void openAsNew(const QString &path) = 0;
};

/// The opener in force: the desktop's, unless a stand-in was put in its place.
DocumentOpener &documentOpener();

/// Puts `opener` (not owned) in the desktop's place; null puts the desktop's back. Returns the
/// stand-in it replaces, null when that was the desktop's.
DocumentOpener *setDocumentOpener(DocumentOpener *opener);

/// The desktop's opener: LibreOffice ("soffice -n FILE", started detached), else "xdg-open FILE"
/// when the desktop has a handler for .docx files.
class DesktopOpener : public DocumentOpener
{
public:
    bool available() override;
    void openAsNew(const QString &path) override;

    /// The LibreOffice program on the search path; empty when none is installed.
    static QString officeProgram();

    /// Whether the desktop names an application for .docx files (and xdg-open is there to
    /// start it).
    static bool hasDocxHandler();
};

} // namespace platform
