#include "platform/SafeSave.h"

#include "util/FilePaths.h"

#include <QFile>
#include <QRandomGenerator>

#include <utility>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

using util::Error;

bool namelessDisabled = false;

// The system's reason for the failure `error`, as its file functions give it.
Error systemError(int error)
{
    return Error(qt_error_string(error));
}

RefusedTarget notAFile()
{
    return RefusedTarget(RefusedTarget::NotAFile, QStringLiteral("The name belongs to a device or pipe, not a file."));
}

// The file a save writes: the folder it lies in and its name there, after following the links
// that may be followed; and the mode of the file it replaces, if one exists.
struct SaveTarget
{
    QByteArray folder;
    QByteArray name;
    bool exists = false;
    mode_t mode = 0;
};

// Whether the link `link` in the folder `folder` is one the kernel would not follow for this
// process where links are protected: the folder is sticky and writable by all (a shared folder
// such as /tmp), and the link belongs neither to the user nor to the folder's owner. Another user
// may have planted it there to have the save replace a file the user can write and they cannot.
bool isPlantedLink(const struct stat &link, const struct stat &folder)
{
    const mode_t shared = S_ISVTX | S_IWOTH;
    return (folder.st_mode & shared) == shared && link.st_uid != ::geteuid() && link.st_uid != folder.st_uid;
}

// Where a save to `path` writes: links are followed as the save's rename would otherwise not,
// unless one was planted (isPlantedLink()); the name found at the end must be a regular file or
// nothing. Throws RefusedTarget or the system's reason.
SaveTarget saveTarget(const QString &path)
{
    QByteArray current = util::encodePath(path);
    for (int links = 0;; ++links) {
        if (links > 40)
            throw systemError(ELOOP);
        const qsizetype slash = current.lastIndexOf('/');
        SaveTarget target;
        target.folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : current.left(slash);
        target.name = current.mid(slash + 1);
        if (target.name.isEmpty() || target.name == "." || target.name == "..")
            throw systemError(EISDIR);
        struct stat st;
        if (::lstat(current.constData(), &st) != 0) {
            if (errno == ENOENT)
                return target;
            throw systemError(errno);
        }
        if (S_ISDIR(st.st_mode))
            throw systemError(EISDIR);
        if (!S_ISLNK(st.st_mode)) {
            if (!S_ISREG(st.st_mode))
                throw notAFile();
            target.exists = true;
            target.mode = st.st_mode;
            return target;
        }
        struct stat folder;
        if (::stat(target.folder.constData(), &folder) != 0)
            throw systemError(errno);
        if (isPlantedLink(st, folder))
            throw RefusedTarget(RefusedTarget::PlantedLink,
                                QStringLiteral("The name is a link that another user put into a shared folder."));
        QByteArray link(qsizetype(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), link.data(), size_t(link.size()));
        if (length < 0)
            throw systemError(errno);
        link.truncate(length);
        current = link.startsWith('/') ? link : target.folder + '/' + link;
    }
}

constexpr char kPartialPrefix[] = ".glyphworks-";
constexpr char kPartialSuffix[] = ".part";
constexpr int kPartialLetters = 12;

// A fresh name of the partialFileName() kind. The name does not contain the target's: a target of
// the longest name a folder takes still has room for its unfinished file.
QByteArray partialFileName()
{
    static const char letters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QByteArray name = kPartialPrefix;
    for (int i = 0; i < kPartialLetters; ++i)
        name += letters[QRandomGenerator::global()->bounded(36)];
    return name + kPartialSuffix;
}

// Removes the unfinished files that saves into the folder `folder` left when their process was
// ended before it could remove them (a SIGKILL, a power cut on a file system without nameless
// files): regular files of the user with the saves' own names only, and only when no process
// writes them any more. A writer holds a lock on its file for as long as it lives, and the
// system lets go of it when the process ends however it ends; so a file whose lock can be had is
// a leftover, one whose lock cannot is a save under way in another process, left alone.
void removeLeftovers(int folder)
{
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *listing = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!listing) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    const uid_t user = ::geteuid();
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        struct stat st;
        if (!isPartialFileName(name) || ::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(st.st_mode) || st.st_uid != user)
            continue;
        // O_NONBLOCK and O_NOFOLLOW: whatever was put there since cannot block or lead elsewhere.
        const int fd = ::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened;
        struct stat now;
        if (::fstat(fd, &opened) == 0 && opened.st_ino == st.st_ino && opened.st_dev == st.st_dev
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(folder, entry->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == st.st_ino
            && now.st_dev == st.st_dev)
            ::unlinkat(folder, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(listing);
}

// The new file of a save, in the target's folder. Where the file system can, it has no name until
// it is complete (O_TMPFILE): a process ended by SIGKILL leaves nothing. Elsewhere it has a hidden
// name of the saves' own (isPartialFileName()), locked while it is written, and is removed when it
// is not committed; one left by a process that could not remove it goes at a later save into the
// folder. commit() renames it over the target's name, which replaces whatever bears the name then,
// never what a link there points to.
class TemporaryFile
{
public:
    explicit TemporaryFile(const SaveTarget &target)
        : TemporaryFile(openFolder(target.folder), target)
    {
    }
    // The new file in the open folder `folder`, which the temporary file takes over.
    TemporaryFile(int folder, const SaveTarget &target)
        : m_target(target)
        , m_folder(folder)
    {
        // The existing file's permissions carry over to its replacement.
        const mode_t mode = target.exists ? (target.mode & 0777) : 0666;
        removeLeftovers(m_folder);
        if (!namelessDisabled)
            m_fd = ::openat(m_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (m_fd < 0) {
            for (int attempt = 0; attempt < 100; ++attempt) {
                m_name = partialFileName();
                m_fd = ::openat(m_folder, m_name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
                if (m_fd >= 0 || errno != EEXIST)
                    break;
            }
        }
        if (m_fd < 0) {
            const int error = errno;
            ::close(m_folder);
            throw systemError(error);
        }
        // Marks the file as being written for removeLeftovers() of other processes.
        ::flock(m_fd, LOCK_EX | LOCK_NB);
        if (target.exists)
            ::fchmod(m_fd, mode);
    }
    ~TemporaryFile()
    {
        if (!m_name.isEmpty() && !m_committed)
            ::unlinkat(m_folder, m_name.constData(), 0);
        if (m_fd >= 0)
            ::close(m_fd);
        ::close(m_folder);
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    int descriptor() const { return m_fd; }

    // Puts the written file in the target's place.
    void commit()
    {
        if (::fdatasync(m_fd) != 0)
            throw systemError(errno);
        // The name may have been taken by something else since it was looked at.
        struct stat st;
        if (::fstatat(m_folder, m_target.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
            throw notAFile();
        if (m_name.isEmpty())
            giveName();
        if (::renameat(m_folder, m_name.constData(), m_folder, m_target.name.constData()) != 0)
            throw systemError(errno);
        m_committed = true;
        // The new name reaches the disk with the folder; a failure here leaves the file in place.
        ::fsync(m_folder);
    }

private:
    static int openFolder(const QByteArray &path)
    {
        const int folder = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0)
            throw systemError(errno);
        return folder;
    }

    // A link can only make a new name, never replace one: the nameless file gets a hidden name of
    // its own first, then is renamed over the target's.
    void giveName()
    {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = partialFileName();
            // AT_EMPTY_PATH needs a privilege most users lack; the descriptor's entry in /proc
            // links the same file without it.
            if (::linkat(m_fd, "", m_folder, name.constData(), AT_EMPTY_PATH) == 0
                || (errno != EEXIST
                    && ::linkat(AT_FDCWD, self.constData(), m_folder, name.constData(), AT_SYMLINK_FOLLOW) == 0)) {
                m_name = name;
                return;
            }
            if (errno != EEXIST)
                throw systemError(errno);
        }
        throw systemError(EEXIST);
    }

    SaveTarget m_target;
    QByteArray m_name; ///< empty while the file has no name
    int m_folder = -1;
    int m_fd = -1;
    bool m_committed = false;
};

// Writes out what `file` holds in its buffer; false when that or an earlier write failed. A write
// cut short by a full disk leaves no reason (the system gives one only to a write that writes
// nothing), so after a failure the rest of the buffer is tried once more to have it.
bool flushed(QFile &file)
{
    if (file.error() == QFileDevice::NoError && file.flush() && file.error() == QFileDevice::NoError)
        return true;
    file.flush();
    return false;
}

// Writes the new file `temporary` through `write` and puts it in place, as saveThrough() says.
void writeAndCommit(TemporaryFile &temporary, const std::function<void(QFile &)> &write)
{
    {
        QFile file;
        if (!file.open(temporary.descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            throw Error(file.errorString());
        try {
            write(file);
        } catch (const Error &) {
            // Failures of the writer itself stand as they are; a failed write of the file is
            // reported below with the system's reason ("No space left on device").
            if (file.error() == QFileDevice::NoError)
                throw;
        }
        // The tail of the data may still sit in the file's buffer: a short write near a full disk
        // leaves the rest of a large block to go there.
        if (!flushed(file))
            throw Error(file.errorString());
    }
    temporary.commit();
}

// Writes all of `bytes` to `file`.
void writeAll(QFile &file, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            throw Error(file.errorString());
        done += written;
    }
}

} // namespace

bool isPartialFileName(const QByteArray &name)
{
    const qsizetype prefix = qsizetype(sizeof kPartialPrefix) - 1;
    const qsizetype suffix = qsizetype(sizeof kPartialSuffix) - 1;
    if (name.size() != prefix + kPartialLetters + suffix || !name.startsWith(kPartialPrefix)
        || !name.endsWith(kPartialSuffix))
        return false;
    for (qsizetype i = prefix; i < prefix + kPartialLetters; ++i) {
        const char c = name.at(i);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

void setNamelessFilesDisabled(bool disabled)
{
    namelessDisabled = disabled;
}

void saveThrough(const QString &path, const std::function<void(QFile &)> &write)
{
    // Without a commit (any failure) the new file goes and an existing file keeps its contents.
    TemporaryFile temporary(saveTarget(path));
    writeAndCommit(temporary, write);
}

void saveBytes(const QByteArray &bytes, const QString &path)
{
    saveThrough(path, [&bytes](QFile &file) { writeAll(file, bytes); });
}

void saveBytesIn(int folder, const QByteArray &name, const QByteArray &bytes)
{
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/'))
        throw systemError(EINVAL);
    SaveTarget target;
    target.name = name;
    // Nothing at the name is followed: only a regular file there is replaced (commit() looks
    // again just before the rename).
    struct stat st;
    if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode))
            throw systemError(EISDIR);
        if (!S_ISREG(st.st_mode))
            throw notAFile();
        target.exists = true;
        target.mode = st.st_mode;
    } else if (errno != ENOENT) {
        throw systemError(errno);
    }
    const int own = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        throw systemError(errno);
    TemporaryFile temporary(own, target);
    writeAndCommit(temporary, [&bytes](QFile &file) { writeAll(file, bytes); });
}

} // namespace platform
