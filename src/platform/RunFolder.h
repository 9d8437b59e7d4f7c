#pragma once
// Folders that belong to one run of the program and go with it: made afresh when first needed,
// readable by their owner only, removed when the run ends. A run that ends without its clean-up
// (killed, or the machine lost power) leaves its folder behind; every later run removes such
// folders, and only those: each folder names the process it belongs to and holds a lock file
// that its process keeps locked for as long as it lives.

#include <QString>

namespace platform {

/// A folder of this run's own, named `<prefix><pid>-XXXXXX` (XXXXXX made unique by mkdtemp),
/// mode 0700, holding a locked file `.lock`. Its files are removed with it when it is destroyed.
/// Files are put in it flat: folders within it are not removed.
class RunFolder
{
public:
    /// Makes the folder in `parent`. Invalid when it cannot be made or locked.
    RunFolder(const QString &parent, const QString &prefix);
    ~RunFolder();
    RunFolder(const RunFolder &) = delete;
    RunFolder &operator=(const RunFolder &) = delete;

    /// True when the folder was made and is locked.
    bool isValid() const { return m_lock >= 0; }

    /// The folder's path; empty when invalid.
    QString path() const { return m_path; }

    /// The path of `name` in the folder.
    QString filePath(const QString &name) const;

private:
    QString m_path;
    int m_lock = -1;
};

/// Where run folders go: $XDG_RUNTIME_DIR (private to the user, emptied at log-out) when it is
/// set to an absolute path of a folder, else the temporary folder.
QString runFolderParent();

/// Removes from `parent` the run folders named with `prefix` of runs that no longer live:
/// folders of the user's own, not links, whose lock file no process holds, or which have none
/// and whose process is gone. Only the entries right inside such a folder are removed, never
/// anything a link in it leads to. Returns how many folders went.
int removeAbandonedRunFolders(const QString &parent, const QString &prefix);

} // namespace platform
