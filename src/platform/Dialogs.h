#pragma once
// Every message box and modal dialog of the program goes through here, so that tests can answer
// them in advance and read what was shown, and no test ever waits on a modal dialog.

#include <QList>
#include <QString>
#include <QVariant>

class QWidget;

namespace dialogs {

/// The kinds of message box the program shows.
enum class MessageKind { Information, Error, Confirmation };

/// The button a message box was left with.
enum class Answer { Ok, Cancel };

/// One dialog as it was shown (or answered in advance by a test).
struct Shown
{
    QString dialog;   ///< "information", "error", "confirmation", "folder", …
    QString title;    ///< window title
    QString text;     ///< message text, or the starting folder of a picker
    QVariant answer;  ///< what it returned
};

/// Shows a modal message box of `kind` with `text`; the title is the application's name unless
/// `title` is given. Information and error boxes have OK, confirmations OK and Cancel.
Answer message(MessageKind kind, const QString &text, const QString &title = QString());

/// Shows the folder choice dialog starting in `startFolder` with `title`; the chosen folder, or
/// the empty text when the user cancelled.
QString chooseFolder(const QString &title, const QString &startFolder);

/// The window the dialogs are shown over: the active window, if any.
QWidget *dialogParent();

// ---- Test hooks ---------------------------------------------------------------------------

/// Queues the answer for the next dialog: an Answer for a message box, a QString for a picker
/// (empty = cancel). Answers are used in order.
void setNextAnswer(const QVariant &answer);

/// With `on`, no dialog is ever shown: a queued answer is used, otherwise the dialog's default
/// (OK for information and error boxes, Cancel for confirmations and pickers).
void setNonInteractive(bool on);

/// The dialogs shown (or answered) since the last clearShown(), oldest first.
const QList<Shown> &shown();

/// Forgets the record of shown dialogs and any queued answers.
void clearShown();

} // namespace dialogs
