#pragma once
// Every message box and modal dialog of the program goes through here, so that tests can answer
// them in advance and read what was shown, and no test ever waits on a modal dialog.

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class QPrinter;
class QWidget;

namespace dialogs {
Q_NAMESPACE

/// The kinds of message box the program shows. ErrorQuestion is an error box with OK and Cancel.
enum class MessageKind { Information, Error, Confirmation, ErrorQuestion };

/// The button a message box was left with.
enum class Answer { Ok, Cancel };

/// Every kind of dialog the program shows: the four message boxes and the four pickers.
enum class DialogKind { Information, Error, Confirmation, ErrorQuestion, Folder, Font, Print, Save };
Q_ENUM_NS(DialogKind)

/// The dialog kind of a message box of `kind`.
DialogKind dialogKind(MessageKind kind);

/// One dialog as it was shown (or answered in advance by a test).
struct Shown
{
    DialogKind kind;  ///< which dialog
    QString title;    ///< window title
    QString text;     ///< message text, the starting folder of a picker, the filter of a save dialog
    QVariant answer;  ///< what it returned
    QString proposal{}; ///< the file name a save dialog proposed
};

/// Sets the application's title, the caption of message boxes without a title of their own.
/// Window captions stay each window's own: Qt adds no application name to them.
void setApplicationTitle(const QString &title);

/// The application's title; the application's name until a title is set.
QString applicationTitle();

/// Shows a modal message box of `kind` with `text`; the title is the application's title unless
/// `title` is given. Information and error boxes have OK, confirmations and error questions OK
/// and Cancel.
Answer message(MessageKind kind, const QString &text, const QString &title = QString());

/// Shows the folder choice dialog starting in `startFolder` with `title`; the chosen folder, or
/// the empty text when the user cancelled.
QString chooseFolder(const QString &title, const QString &startFolder);

/// What the user chose in the print dialog.
struct PrintChoice
{
    bool accepted = false;
    bool pageNumbers = false; ///< a page range (from, to) rather than all pages
    int from = 1;
    int to = 1;
    int copies = 1;
    QString printer;          ///< the chosen printer; empty: unchanged
};

/// Shows the print dialog for `printer`, admitting page numbers from `minPage` to `maxPage` and
/// offering no other option than the page range (no selection, no print to file). The dialog
/// starts from the printer's own settings and, when accepted, leaves the choice in it too.
PrintChoice printDialog(QPrinter &printer, int minPage, int maxPage);

/// What the user chose in the font dialog.
struct FontChoice
{
    bool accepted = false;
    QFont font;     ///< family, size and style
    QColor colour;  ///< the text colour
};

/// Shows the font dialog, starting with `font` in `colour`: the platform's font choice with a
/// colour choice below it, as one dialog. A cancelled dialog gives accepted = false.
FontChoice chooseFont(const QFont &font, const QColor &colour);

/// Shows the file-save dialog with `filter` in the Windows form, description and pattern joined
/// by "|" ("JPEG (*.jpg)|*.jpg"), proposing `proposedName` (which also gives the starting folder).
/// No custom title and no overwrite question. Returns the chosen path, or the empty text when the
/// user cancelled. The dialog itself completes a name typed without extension with
/// `defaultExtension` (".jpg"); an answer queued by a test comes back as it was queued.
QString saveFile(const QString &filter, const QString &defaultExtension, const QString &proposedName);

/// The window the dialogs are shown over: the active window, if any.
QWidget *dialogParent();

// ---- Test hooks ---------------------------------------------------------------------------

/// Queues the answer for the next dialog: an Answer for a message box, a QString for a picker
/// (empty = cancel), a PrintChoice for the print dialog, a FontChoice for the font dialog. Answers are used in order.
void setNextAnswer(const QVariant &answer);

/// Answers every dialog that has no queued answer: `responder` is given the dialog as it is about
/// to open (its `dialog`, `title`, `text` and `proposal` as shown() records them) and returns the
/// answer in the form setNextAnswer() takes. An invalid QVariant leaves the dialog to the user (or
/// to its default when non-interactive). An empty function removes the responder. Runs without a
/// person (the command line) answer the program's questions through it.
void setResponder(std::function<QVariant(const Shown &request)> responder);

/// With `on`, no dialog is ever shown: a queued answer is used, otherwise the dialog's default
/// (OK for information and error boxes, Cancel for confirmations, error questions and pickers).
void setNonInteractive(bool on);

/// The dialogs shown (or answered) since the last clearShown(), oldest first.
const QList<Shown> &shown();

/// The kinds of the dialogs shown(), oldest first.
QList<DialogKind> shownKinds();

/// Forgets the record of shown dialogs and any queued answers.
void clearShown();

} // namespace dialogs

Q_DECLARE_METATYPE(dialogs::PrintChoice)
Q_DECLARE_METATYPE(dialogs::FontChoice)
