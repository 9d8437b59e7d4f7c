#include "platform/RunFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char kLockName[] = ".lock";
// mkdtemp's unique part.
constexpr int kUniqueLength = 6;

/// Removes the entries right inside the folder `dir` (open on the folder `name` of the folder
/// `parent`), then the folder itself. unlinkat() removes a link, never what it leads to; a folder
/// inside is left, and the folder with it.
bool removeFolder(int parent, const char *name, int dir)
{
    const int listing = ::dup(dir);
    if (listing < 0)
        return false;
    DIR *entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return false;
    }
    while (const dirent *entry = ::readdir(entries)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            ::unlinkat(dir, entry->d_name, 0);
    }
    ::closedir(entries);
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

/// The process id a run folder's name `name` gives after `prefix`; 0 when the name is not one
/// of a run folder.
pid_t folderProcess(const QByteArray &name, const QByteArray &prefix)
{
    if (!name.startsWith(prefix))
        return 0;
    const QByteArray rest = name.mid(prefix.size());
    const qsizetype dash = rest.indexOf('-');
    if (dash <= 0 || rest.size() - dash - 1 != kUniqueLength)
        return 0;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (i == dash)
            continue;
        const char c = rest[i];
        const bool digit = c >= '0' && c <= '9';
        if (i < dash ? !digit : !(digit || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return 0;
    }
    bool ok = false;
    const qlonglong pid = rest.left(dash).toLongLong(&ok);
    return ok && pid > 0 && pid <= 0x7FFFFFFF ? pid_t(pid) : 0;
}

/// Whether the run folder `dir` belongs to no living run. Its lock decides: a run holds it
/// locked while it lives, and the system lets go of it when the run ends however it ends. A
/// folder without one (its run ended between making it and locking it) goes when its process
/// is gone.
bool abandoned(int dir, pid_t pid, int &lock)
{
    lock = ::openat(dir, kLockName, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (lock >= 0) {
        struct stat st;
        return ::fstat(lock, &st) == 0 && S_ISREG(st.st_mode) && ::flock(lock, LOCK_EX | LOCK_NB) == 0;
    }
    if (errno != ENOENT)
        return false;
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

RunFolder::RunFolder(const QString &parent, const QString &prefix)
{
    QByteArray name = QFile::encodeName(QStringLiteral("%1/%2%3-").arg(parent, prefix).arg(::getpid()));
    name.append(QByteArray(kUniqueLength, 'X'));
    if (!::mkdtemp(name.data()))
        return;
    const int dir = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) {
        ::rmdir(name.constData());
        return;
    }
    // O_CLOEXEC: a program started from here must not keep the lock, and the folder, alive.
    const int lock = ::openat(dir, kLockName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        if (lock >= 0)
            ::close(lock);
        const qsizetype slash = name.lastIndexOf('/');
        const int parentDir = ::open(name.left(slash).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parentDir >= 0) {
            removeFolder(parentDir, name.constData() + slash + 1, dir);
            ::close(parentDir);
        }
        ::close(dir);
        return;
    }
    ::close(dir);
    m_lock = lock;
    m_path = QFile::decodeName(name);
}

RunFolder::~RunFolder()
{
    if (m_lock < 0)
        return;
    const QByteArray name = QFile::encodeName(m_path);
    const qsizetype slash = name.lastIndexOf('/');
    const int parent = ::open(name.left(slash).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int dir = parent < 0 ? -1
                               : ::openat(parent, name.constData() + slash + 1,
                                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir >= 0)
        removeFolder(parent, name.constData() + slash + 1, dir);
    if (dir >= 0)
        ::close(dir);
    if (parent >= 0)
        ::close(parent);
    // Unlocked last: until the folder is gone, no other run takes it for abandoned.
    ::close(m_lock);
}

QString RunFolder::filePath(const QString &name) const
{
    return m_path + QLatin1Char('/') + name;
}

QString runFolderParent()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime.startsWith('/') && ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return QFile::decodeName(runtime);
    return QDir::tempPath();
}

int removeAbandonedRunFolders(const QString &parent, const QString &prefix)
{
    const int parentDir = ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentDir < 0)
        return 0;
    const int listing = ::dup(parentDir);
    DIR *entries = listing < 0 ? nullptr : ::fdopendir(listing);
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        ::close(parentDir);
        return 0;
    }
    const QByteArray namePrefix = QFile::encodeName(prefix);
    const uid_t user = ::geteuid();
    int removed = 0;
    while (const dirent *entry = ::readdir(entries)) {
        const QByteArray name(entry->d_name);
        const pid_t pid = folderProcess(name, namePrefix);
        if (pid == 0)
            continue;
        // Only the user's own folders, never a link of that name to anywhere; the folder opened
        // is checked to be the one looked at.
        struct stat seen;
        if (::fstatat(parentDir, name.constData(), &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(seen.st_mode)
            || seen.st_uid != user)
            continue;
        const int dir = ::openat(parentDir, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dir < 0)
            continue;
        struct stat opened;
        int lock = -1;
        if (::fstat(dir, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino
            && opened.st_uid == user && abandoned(dir, pid, lock) && removeFolder(parentDir, name.constData(), dir))
            ++removed;
        if (lock >= 0)
            ::close(lock);
        ::close(dir);
    }
    ::closedir(entries);
    ::close(parentDir);
    return removed;
}

} // namespace platform
