#include "app/TextBoxKeys.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace app {

bool isEditableTextBox(const QObject *object)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(object))
        return !line->isReadOnly();
    if (const auto *box = qobject_cast<const QComboBox *>(object))
        return box->isEditable() && box->lineEdit() && !box->lineEdit()->isReadOnly();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(object))
        return !plain->isReadOnly();
    if (const auto *rich = qobject_cast<const QTextEdit *>(object))
        return !rich->isReadOnly();
    return false;
}

TextBoxKeys::TextBoxKeys(QObject *parent)
    : QObject(parent)
{
}

bool TextBoxKeys::eventFilter(QObject *watched, QEvent *event)
{
    // Before a key can fire a shortcut, the focused widget is asked whether it wants the key
    // itself; an accepted question delivers the key to the box as a key press.
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // The Del key of the number pad counts as Del.
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() != Qt::Key_Delete || (modifiers != Qt::NoModifier && modifiers != Qt::ControlModifier))
        return false;
    if (!isEditableTextBox(watched))
        return false;
    event->accept();
    return true;
}

} // namespace app
