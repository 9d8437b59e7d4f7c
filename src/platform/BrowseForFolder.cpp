#include "platform/BrowseForFolder.h"

#include "platform/Dialogs.h"

#include <QDir>

void BrowseForFolder(int root, const QString &title, QString &path)
{
    // Root 0 is the desktop on Windows; its Linux counterpart is the home folder, where the
    // user's own folders live. No other root is ever asked for.
    const QString start = root == 0 ? QDir::homePath() : QDir::rootPath();
    const QString chosen = dialogs::chooseFolder(title, start);
    // Only a confirmed folder changes the caller's path; cancel leaves it as it was.
    if (!chosen.isEmpty())
        path = QDir::toNativeSeparators(QDir::cleanPath(chosen));
}
