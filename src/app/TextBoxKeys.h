#pragma once
// The menus of the main window offer Del and Ctrl+Del as shortcuts for deleting list entries,
// and these are the keys a text box deletes a letter or a word with. Wherever the user types, the
// box comes first.

#include <QObject>

namespace app {

/// Whether `object` is a text box the user can type into: a line edit, an editable drop-down box
/// or a multi-line text box that is not read-only.
bool isEditableTextBox(const QObject *object);

/// Installed on the application, it claims Del and Ctrl+Del for an editable text box that has the
/// keyboard focus, in any window, before a shortcut can take them; elsewhere the keys reach the
/// shortcuts as before.
class TextBoxKeys : public QObject
{
    Q_OBJECT
public:
    explicit TextBoxKeys(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace app
