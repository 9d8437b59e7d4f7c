#include "platform/FileAccess.h"

#include "util/FilePaths.h"

#include <QFile>

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Retries a system call that a signal interrupted.
template<typename Call>
auto retried(Call call)
{
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

int openPath(const QByteArray &nativePath, int flags)
{
    if (nativePath.isEmpty() || nativePath.contains('\0')) {
        errno = ENOENT;
        return -1;
    }
    const int fd = retried([&] { return ::open(nativePath.constData(), flags, 0666); });
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;

    // Too long as a whole: the folders on the way are opened in stretches that each fit the
    // limit, every stretch relative to the folder reached before it. Links on the way are
    // followed, as they are for a short path.
    const qsizetype lastSlash = nativePath.lastIndexOf('/');
    const QByteArray name = nativePath.mid(lastSlash + 1);
    int dir = nativePath.startsWith('/') ? retried([] { return ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC); })
                                         : retried([] { return ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC); });
    qsizetype from = 0;
    while (dir >= 0 && from < lastSlash) {
        while (from < lastSlash && nativePath.at(from) == '/')
            ++from;
        if (from >= lastSlash)
            break;
        // The longest run of whole folder names from `from` that stays within the limit.
        qsizetype end = from;
        for (qsizetype slash = nativePath.indexOf('/', from); slash >= 0 && slash <= lastSlash && slash - from < PATH_MAX;
             slash = nativePath.indexOf('/', slash + 1))
            end = slash;
        if (end == from) {
            // One folder name alone is longer than the limit: no file system holds such a name.
            ::close(dir);
            errno = ENAMETOOLONG;
            return -1;
        }
        const QByteArray stretch = nativePath.mid(from, end - from);
        const int next = retried([&] { return ::openat(dir, stretch.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC); });
        const int saved = errno;
        ::close(dir);
        errno = saved;
        dir = next;
        from = end;
    }
    if (dir < 0)
        return -1;
    const int result = retried([&] { return ::openat(dir, name.isEmpty() ? "." : name.constData(), flags, 0666); });
    const int saved = errno;
    ::close(dir);
    errno = saved;
    return result;
}

bool readFile(const QString &path, QByteArray &contents)
{
    const int fd = openPath(util::encodePath(path), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        QFile file;
        // QFile reads from the descriptor it is given, whatever the path's length.
        ok = file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
        if (ok) {
            contents = file.readAll();
            ok = file.error() == QFileDevice::NoError;
        }
    }
    ::close(fd);
    return ok;
}

} // namespace platform
