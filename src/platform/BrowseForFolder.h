#pragma once

#include <QString>

/// Shows the folder choice dialog (through the dialog layer) with `title` above it and, when the
/// user confirms a folder, sets `path` to it. On cancel `path` is left as it was. `root` names the
/// place the dialog starts in; 0 (the only value callers pass) is the user's home folder, the
/// Linux desktop's root of personal files.
void BrowseForFolder(int root, const QString &title, QString &path);
