#pragma once
// What the word-processor target asks of a word processor: a new document, its page orientation,
// the selection's font, typed text and paragraphs, and showing the result. Each operation keeps
// the name of the word processor's member it stands for ("documents.add", "selection.typetext",
// "visible" …), so the sequence the sheet sends reads as it always has.

#include <QString>

namespace output {

/// How the pages of a document are turned; the values are the word processor's own.
enum class PageOrientation { Portrait = 0, Landscape = 1 };

/// A running word processor driven by the sheet. Any operation may throw util::Error (the
/// word processor refused or went away); what was done before stays done.
class WordProcessor
{
public:
    virtual ~WordProcessor() = default;

    /// "documents.add": a new, empty document becomes the active one, with the selection (the
    /// insertion point) at its start.
    virtual void documentsAdd() = 0;
    /// "ActiveDocument.PageSetup.Orientation": turns the pages of the active document.
    virtual void setOrientation(PageOrientation orientation) = 0;
    /// "selection.font.Name": the font of what is typed next, found by its name; a file given
    /// before with setFontFile() no longer counts.
    virtual void setFontName(const QString &name) = 0;
    /// The font file of the font named last, which what is typed next is set in: of two files
    /// of one name, each text stays with its own. The word processor of this program carries the
    /// file in its document; one that knows fonts by name only ignores it.
    virtual void setFontFile(const QString &path) { Q_UNUSED(path); }
    /// "selection.font.size": the size in points of what is typed next.
    virtual void setFontSize(int points) = 0;
    /// "selection.font.bold": whether what is typed next is bold.
    virtual void setFontBold(bool bold) = 0;
    /// "selection.font.italic": whether what is typed next is italic.
    virtual void setFontItalic(bool italic) = 0;
    /// "selection.typetext": inserts `text` at the selection and moves the selection behind it.
    virtual void typeText(const QString &text) = 0;
    /// "selection.typeparagraph": ends the paragraph; the next one starts in the same font.
    virtual void typeParagraph() = 0;
    /// "visible": shows the word processor with its documents, or hides it.
    virtual void setVisible(bool visible) = 0;
};

} // namespace output
