#include "platform/FindFiles.h"

#include "platform/FileAccess.h"
#include "util/FilePaths.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// One directory entry read from a listing, with what the walk needs to order and classify it.
struct DirEntry
{
    QString name;
    QByteArray rawName; // the name as the file system holds it, for opening sub-folders
    bool isDir = false;
};

bool entryLess(const DirEntry &a, const DirEntry &b)
{
    // Names that differ only in case fall back to the exact order, so the order is total.
    if (const int c = QString::compare(a.name, b.name, Qt::CaseInsensitive); c != 0)
        return c < 0;
    return a.name < b.name;
}

/// One folder on the way down: its sorted listing, how far its sub-folders have been walked and
/// a descriptor for opening them.
struct Folder
{
    QString path;       ///< ends in "/"
    QByteArray rawName; ///< the name within its parent, as the file system holds it
    std::vector<DirEntry> entries;
    size_t next = 0;    ///< the next entry to look at for a sub-folder
    int fd = -1;        ///< -1 while closed to save descriptors (see FileWalker::kHeldFolders)
};

/// State of one FindFiles call: the target list, the extensions and the directories walked so far.
/// The walk keeps its own stack of folders instead of recursing, and opens every folder relative
/// to its parent, so neither the call stack nor the system's path limit bounds the depth.
class FileWalker
{
public:
    FileWalker(QStringList &list, const QStringList &extensions, bool recurse)
        : m_list(list), m_extensions(extensions), m_recurse(recurse)
    {
    }

    ~FileWalker()
    {
        for (const Folder &f : m_stack)
            if (f.fd >= 0)
                ::close(f.fd);
    }

    FileWalker(const FileWalker &) = delete;
    FileWalker &operator=(const FileWalker &) = delete;

    /// Walks the folder `dirPath` (ending in "/").
    void walk(const QString &dirPath)
    {
        if (!enter(platform::openPath(util::encodePath(dirPath), O_RDONLY | O_DIRECTORY | O_CLOEXEC), dirPath, {}))
            return;
        while (!m_stack.empty()) {
            const size_t top = m_stack.size() - 1;
            if (m_recurse && descend(top))
                continue;
            listFiles(m_stack.back());
            if (m_stack.back().fd >= 0)
                ::close(m_stack.back().fd);
            m_stack.pop_back();
        }
    }

private:
    // The folders nearest the top of the tree keep their descriptors open; deeper ones close
    // theirs while a sub-folder is walked and are opened again from the deepest open one when
    // needed, so a walk holds a few descriptors at any depth.
    static constexpr size_t kHeldFolders = 16;

    /// Opens the next sub-folder of folder `index` and puts it on the stack; false when it has no
    /// further sub-folder.
    bool descend(size_t index)
    {
        while (m_stack[index].next < m_stack[index].entries.size()) {
            const DirEntry &e = m_stack[index].entries[m_stack[index].next++];
            if (!e.isDir)
                continue;
            const int parent = folderFd(index);
            if (parent < 0)
                return false;
            const int fd = ::openat(parent, e.rawName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (index >= kHeldFolders) {
                ::close(m_stack[index].fd);
                m_stack[index].fd = -1;
            }
            // `e` is read before enter() may move the listing it lives in.
            const QString path = m_stack[index].path + e.name + QLatin1Char('/');
            const QByteArray rawName = e.rawName;
            if (enter(fd, path, rawName))
                return true;
        }
        return false;
    }

    /// The descriptor of folder `index`, opened again through its ancestors when it was closed;
    /// -1 when it cannot be.
    int folderFd(size_t index)
    {
        size_t open = index;
        while (m_stack[open].fd < 0 && open > 0)
            --open;
        for (size_t i = open + 1; i <= index && m_stack[open].fd >= 0; ++i) {
            const int fd = ::openat(m_stack[open].fd, m_stack[i].rawName.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (open >= kHeldFolders) {
                ::close(m_stack[open].fd);
                m_stack[open].fd = -1;
            }
            if (fd < 0)
                return -1;
            m_stack[i].fd = fd;
            open = i;
        }
        return m_stack[index].fd;
    }

    /// Reads the listing of the folder opened as `fd` and puts the folder on the stack. False
    /// (and `fd` closed) when it cannot be read or was walked before in this call.
    bool enter(int fd, const QString &path, const QByteArray &rawName)
    {
        Folder folder;
        folder.path = path;
        folder.rawName = rawName;
        folder.fd = fd;
        if (fd < 0 || !readListing(fd, folder.entries)) {
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        m_stack.push_back(std::move(folder));
        return true;
    }

    /// Appends the folder's files that match, extension by extension.
    void listFiles(const Folder &folder)
    {
        for (const QString &ext : m_extensions) {
            for (const DirEntry &e : folder.entries) {
                // A name that is only the extension matches too, as "*.ttf" matches ".ttf".
                if (!e.isDir && e.name.endsWith(ext, Qt::CaseInsensitive))
                    m_list.append(folder.path + e.name);
            }
        }
    }

    /// Reads the directory open as `fd` once into `entries`, sorted by name ignoring case. False
    /// when it cannot be listed or was walked before in this call. `fd` stays open.
    bool readListing(int fd, std::vector<DirEntry> &entries)
    {
        // The identity of the opened directory itself, so a folder reached through a link (or
        // through two links) is walked once and a link back to an ancestor ends the descent.
        struct stat st;
        if (::fstat(fd, &st) != 0 || !m_walked.emplace(st.st_dev, st.st_ino).second)
            return false;

        // The listing reads through a descriptor of its own, which closedir() closes.
        const int listFd = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
        if (!dir) {
            if (listFd >= 0)
                ::close(listFd);
            return false;
        }
        while (const dirent *d = ::readdir(dir)) {
            const char *name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;

            bool isDir = false;
            switch (d->d_type) {
            case DT_DIR:
                isDir = true;
                break;
            case DT_REG:
                break;
            case DT_LNK:
            case DT_UNKNOWN: {
                // Links count as what they lead to; broken links and entries that vanished
                // since the listing are skipped.
                struct stat target;
                if (::fstatat(fd, name, &target, 0) != 0)
                    continue;
                if (S_ISDIR(target.st_mode))
                    isDir = true;
                else if (!S_ISREG(target.st_mode))
                    continue;
                break;
            }
            default:
                // Pipes, sockets and devices are no font files, and opening a pipe to read
                // its name would block the loader.
                continue;
            }

            DirEntry e;
            // Kept losslessly: a name that is not valid UTF-8 must still open as the file it names.
            e.name = util::decodePath(name);
            if (isDir)
                e.rawName = QByteArray(name, qsizetype(std::strlen(name)));
            e.isDir = isDir;
            entries.push_back(std::move(e));
        }
        ::closedir(dir);

        // The file system gives no useful order; sorting makes the result the same on every run.
        std::sort(entries.begin(), entries.end(), entryLess);
        return true;
    }

    QStringList &m_list;
    const QStringList &m_extensions;
    const bool m_recurse;
    std::vector<Folder> m_stack;
    std::set<std::pair<dev_t, ino_t>> m_walked;
};

} // namespace

void FindFiles(QStringList &list, const QString &folder, const QStringList &extensions, bool recurse)
{
    QString base = folder;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    FileWalker walker(list, extensions, recurse);
    walker.walk(base);
}

