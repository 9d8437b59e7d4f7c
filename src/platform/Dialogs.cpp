#include "platform/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QQueue>
#include <QWidget>

namespace dialogs {
namespace {

struct State
{
    QQueue<QVariant> answers;
    QList<Shown> shown;
    bool nonInteractive = false;
};

State &state()
{
    static State s;
    return s;
}

// A queued answer for the dialog about to open, if a test left one.
bool takeQueued(QVariant &answer)
{
    if (state().answers.isEmpty())
        return false;
    answer = state().answers.dequeue();
    return true;
}

QString kindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information:
        return QStringLiteral("information");
    case MessageKind::Error:
        return QStringLiteral("error");
    case MessageKind::Confirmation:
        return QStringLiteral("confirmation");
    }
    return {};
}

} // namespace

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

Answer message(MessageKind kind, const QString &text, const QString &title)
{
    const QString caption = title.isEmpty() ? QApplication::applicationDisplayName() : title;
    Answer answer = kind == MessageKind::Confirmation ? Answer::Cancel : Answer::Ok;
    QVariant queued;
    if (takeQueued(queued)) {
        answer = queued.value<Answer>();
    } else if (!state().nonInteractive) {
        QMessageBox box(dialogParent());
        box.setWindowTitle(caption);
        box.setText(text);
        switch (kind) {
        case MessageKind::Information:
            box.setIcon(QMessageBox::Information);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageKind::Error:
            box.setIcon(QMessageBox::Critical);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageKind::Confirmation:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            break;
        }
        answer = box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
    }
    state().shown.append({kindName(kind), caption, text, QVariant::fromValue(answer)});
    return answer;
}

QString chooseFolder(const QString &title, const QString &startFolder)
{
    QString chosen;
    QVariant queued;
    if (takeQueued(queued)) {
        chosen = queued.toString();
    } else if (!state().nonInteractive) {
        chosen = QFileDialog::getExistingDirectory(dialogParent(), title, startFolder,
                                                   QFileDialog::ShowDirsOnly);
    }
    state().shown.append({QStringLiteral("folder"), title, startFolder, chosen});
    return chosen;
}

void setNextAnswer(const QVariant &answer)
{
    state().answers.enqueue(answer);
}

void setNonInteractive(bool on)
{
    state().nonInteractive = on;
}

const QList<Shown> &shown()
{
    return state().shown;
}

void clearShown()
{
    state().shown.clear();
    state().answers.clear();
}

} // namespace dialogs
