#pragma once
// The walk through a font folder and its sub-folders: every file whose name ends with one of the
// font extensions, read with the bounded opens of the file layer.

#include <QString>
#include <QStringList>

/// Appends to `list` the full paths of the files below `folder` whose names end with one of
/// `extensions` (each with its leading dot, compared ignoring case). A "/" is appended to `folder`
/// unless it ends with one. With `recurse`, every sub-folder is walked first, depth-first; then the
/// folder's own files follow, extension by extension in the order given. Within one folder, entries
/// come in name order ignoring case. Hidden entries count. A folder reached again through a
/// symbolic link is not walked again; folders that cannot be read yield nothing. The list is
/// never cleared, sorted or de-duplicated here.
void FindFiles(QStringList &list, const QString &folder, const QStringList &extensions, bool recurse);

