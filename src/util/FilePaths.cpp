#include "util/FilePaths.h"

#include <QFile>

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {

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

constexpr char16_t kEscapeBase = 0xDC00;

/// True when the character at `i` of `text` is a byte carried by decodePath(): a low surrogate
/// of U+DC80..U+DCFF that is not the second half of a pair.
bool isEscapedByte(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF && (i == 0 || !text[i - 1].isHighSurrogate());
}

/// The number of bytes of the UTF-8 sequence that starts with `lead`; 0 for a byte no valid
/// sequence starts with.
qsizetype sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2)
        return 0; // a continuation byte, or the start of an overlong form
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return lead < 0xF5 ? 4 : 0;
}

} // namespace

QString decodePath(QByteArrayView native)
{
    if (native.isValidUtf8())
        return QString::fromUtf8(native);
    // Valid stretches go through Qt's decoder as they are; a byte that starts no valid
    // sequence (or whose sequence is cut short, overlong or a surrogate) is carried alone, and
    // decoding goes on with the next byte.
    QString text;
    text.reserve(native.size());
    qsizetype stretch = 0;
    qsizetype at = 0;
    while (at < native.size()) {
        const auto lead = static_cast<unsigned char>(native[at]);
        const qsizetype length = sequenceLength(lead);
        if (length > 0 && at + length <= native.size() && native.sliced(at, length).isValidUtf8()) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(native.sliced(stretch, at - stretch));
        text += QChar(char16_t(kEscapeBase + lead));
        stretch = ++at;
    }
    text += QString::fromUtf8(native.sliced(stretch));
    return text;
}

QByteArray encodePath(const QString &path)
{
    QByteArray native;
    qsizetype stretch = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isEscapedByte(path, i))
            continue;
        native += QStringView(path).sliced(stretch, i - stretch).toUtf8();
        native += char(path[i].unicode() - kEscapeBase);
        stretch = i + 1;
    }
    if (stretch == 0)
        return path.toUtf8();
    native += QStringView(path).sliced(stretch).toUtf8();
    return native;
}

QString readablePath(const QString &text)
{
    QString readable = text;
    for (qsizetype i = 0; i < readable.size(); ++i) {
        if (isEscapedByte(text, i)) {
            const char16_t byte = text[i].unicode() - kEscapeBase;
            readable[i] = byte >= 0xA0 ? QChar(byte) : QChar(QChar::ReplacementCharacter);
        }
    }
    return readable;
}

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
    const int fd = openPath(encodePath(path), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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

} // namespace util
