#include "platform/DocumentOpener.h"

#include "platform/SafeSave.h"
#include "util/Errors.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QSet>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

using util::Error;

namespace {

constexpr char kDocxType[] = "application/vnd.openxmlformats-officedocument.wordprocessingml.document";

DocumentOpener *&standIn()
{
    static DocumentOpener *opener = nullptr;
    return opener;
}

// The usual suffix of a font file with these contents; fontconfig reads any, people look at them.
QString fontSuffix(const QByteArray &bytes)
{
    if (bytes.startsWith("OTTO"))
        return QStringLiteral(".otf");
    if (bytes.startsWith("ttcf"))
        return QStringLiteral(".ttc");
    return QStringLiteral(".ttf");
}

// Writes `bytes` as a new file: never over an existing file, never through a link.
void writeNewFile(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Error(QStringLiteral("%1 cannot be written: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            throw Error(QStringLiteral("%1 cannot be written: %2").arg(path, QString::fromLocal8Bit(std::strerror(error))));
        }
        done += n;
    }
    if (::close(fd) != 0)
        throw Error(QStringLiteral("%1 cannot be written: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
}

// The folders a word processor runs with: the fontconfig files named in the environments of the
// user's running processes. A process's environment is read as it was when it started, bounded.
QSet<QByteArray> configurationsInUse()
{
    constexpr qsizetype kMaxEnvironment = 4 * 1024 * 1024;
    static const QByteArray variable = "FONTCONFIG_FILE=";
    QSet<QByteArray> inUse;
    DIR *processes = ::opendir("/proc");
    if (!processes)
        return inUse;
    const uid_t user = ::geteuid();
    while (const dirent *entry = ::readdir(processes)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const QByteArray folder = QByteArray("/proc/") + entry->d_name;
        struct stat st;
        if (::stat(folder.constData(), &st) != 0 || st.st_uid != user)
            continue;
        const int fd = ::open((folder + "/environ").constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        QByteArray environment;
        char block[65536];
        ssize_t n = 0;
        while (environment.size() < kMaxEnvironment && (n = ::read(fd, block, sizeof block)) > 0)
            environment.append(block, n);
        ::close(fd);
        for (const QByteArray &setting : environment.split('\0'))
            if (setting.startsWith(variable))
                inUse.insert(setting.mid(variable.size()));
    }
    ::closedir(processes);
    return inUse;
}

// Opens the folder `name` of `parent` as removeOldDocuments() does: never through a link, and
// only when it is the user's own; with `create`, made first when missing, for the user alone.
int openOwnFolder(const QByteArray &parent, const char *name, bool create)
{
    const QByteArray path = parent + '/' + name;
    if (create && ::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return -1;
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid())) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

// The name of the shared copy of a font file: its contents' hash, and the usual suffix.
QByteArray copyName(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(40)
           + QFile::encodeName(fontSuffix(bytes));
}

// Whether the open file `fd` holds `bytes`, no more and no less.
bool holds(int fd, const QByteArray &bytes)
{
    char block[65536];
    qsizetype done = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 && done == bytes.size();
        if (n > bytes.size() - done || std::memcmp(block, bytes.constData() + done, size_t(n)) != 0)
            return false;
        done += n;
    }
}

// Opens the copy `name` of the store `store` when it is one of the program's own making: a
// regular file of the user that holds `bytes`. Returns its descriptor, -1 for anything else. The
// checks are made on the open file, so what is linked later is what was checked, whatever takes
// the name meanwhile.
int openCopy(int store, const QByteArray &name, const QByteArray &bytes)
{
    struct stat st;
    // Looked at first, so that a device or FIFO at the name is not even opened.
    if (::fstatat(store, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const int fd = ::openat(store, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_size == bytes.size()
        && holds(fd, bytes))
        return fd;
    ::close(fd);
    return -1;
}

// The copy of `bytes` named `name` in the store `store`, open as openCopy() opens it: the one
// there, or else a new one written in its place; -1 when none can be had.
int sharedCopy(int store, const QByteArray &name, const QByteArray &bytes)
{
    const int kept = openCopy(store, name, bytes);
    if (kept >= 0)
        return kept;
    // Nothing at the name is followed or opened. A link, FIFO, device or socket is removed (the
    // name, never what a link leads to); a regular file of another owner or with other bytes is
    // replaced by the new copy's rename; a folder stays, and refuses the save.
    struct stat st;
    if (::fstatat(store, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        ::unlinkat(store, name.constData(), 0);
    try {
        saveBytesIn(store, name, bytes);
    } catch (const Error &) {
        return -1;
    }
    return openCopy(store, name, bytes);
}

// Links the open file `fd` as the new name `path`: that very file, whatever bears its old name by
// now.
bool linkOpenFile(int fd, const QString &path)
{
    const QByteArray target = QFile::encodeName(path);
    // AT_EMPTY_PATH needs a privilege most users lack; the descriptor's entry in /proc links the
    // same file without it.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) == 0
           || ::linkat(fd, "", AT_FDCWD, target.constData(), AT_EMPTY_PATH) == 0;
}

} // namespace

int removeUnusedFontCopies(const QString &parent, qint64 limit)
{
    const QByteArray base = QFile::encodeName(parent);
    DIR *listing = ::opendir(base.constData());
    if (!listing)
        return 0;
    // Which folders a word processor may still read. One this program started for a document reads
    // its fonts as the text needs them, for as long as it runs, and it runs with the folder's
    // configuration in its environment: a folder no running process names is needed by none. An
    // hour of grace covers a folder whose word processor is only being started (by this or another
    // instance of the program), and a word processor that was handed the document by one started
    // for it and ended, keeps the fonts it started with, not this folder's.
    const QSet<QByteArray> inUse = configurationsInUse();
    const qint64 graceEnd = QDateTime::currentSecsSinceEpoch() - 3600;
    const uid_t user = ::geteuid();
    int removed = 0;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        struct stat st;
        if (!name.startsWith(kFontFolderPrefix) || ::lstat((base + '/' + name).constData(), &st) != 0
            || !S_ISDIR(st.st_mode) || st.st_uid != user || st.st_mtime > graceEnd
            || inUse.contains(base + '/' + name + "/fonts.conf"))
            continue;
        // removeRecursively() removes links, never what they point to.
        if (QDir(parent + QLatin1Char('/') + QFile::decodeName(name)).removeRecursively())
            ++removed;
    }
    ::closedir(listing);

    // The copies the remaining folders link are in use; the others stay for later documents up to
    // the limit, the least recently handed on going first.
    const int store = openOwnFolder(base, kFontCopiesFolder, false);
    DIR *copies = store < 0 ? nullptr : ::fdopendir(store);
    if (!copies) {
        if (store >= 0)
            ::close(store);
        return removed;
    }
    struct Copy
    {
        QByteArray name;
        qint64 size;
        qint64 used;
    };
    QList<Copy> unlinked;
    qint64 total = 0;
    while (const dirent *entry = ::readdir(copies)) {
        struct stat st;
        // Hidden names are the saves' unfinished files, which the saves themselves remove.
        if (entry->d_name[0] == '.' || ::fstatat(store, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        // The store holds regular files of the user alone: anything else is not followed, only
        // removed (a folder cannot be, and stays).
        if (!S_ISREG(st.st_mode) || st.st_uid != user) {
            if (!S_ISDIR(st.st_mode))
                ::unlinkat(store, entry->d_name, 0);
            continue;
        }
        total += st.st_size;
        if (st.st_nlink == 1)
            unlinked.append({entry->d_name, st.st_size, st.st_mtime});
    }
    std::sort(unlinked.begin(), unlinked.end(), [](const Copy &a, const Copy &b) { return a.used < b.used; });
    for (const Copy &copy : std::as_const(unlinked)) {
        if (total <= limit)
            break;
        if (::unlinkat(store, copy.name.constData(), 0) == 0) {
            total -= copy.size;
            ++removed;
        }
    }
    ::closedir(copies);
    return removed;
}

QString writeFontConfiguration(const QString &parent, const QByteArrayList &files)
{
    // A fresh folder (mkdtemp: a new name, mode 0700), so nothing in it was planted by others.
    QTemporaryDir folder(parent + QLatin1Char('/') + QLatin1String(kFontFolderPrefix) + QStringLiteral("XXXXXX"));
    if (!folder.isValid())
        throw Error(QStringLiteral("No font folder can be made in %1: %2").arg(parent, folder.errorString()));
    const QString fonts = folder.filePath(QStringLiteral("fonts"));
    const QString cache = folder.filePath(QStringLiteral("cache"));
    if (!QDir(folder.path()).mkdir(fonts) || !QDir(folder.path()).mkdir(cache))
        throw Error(QStringLiteral("No font folder can be made in %1.").arg(folder.path()));
    // fontconfig adds fonts by folder only, not by file: each document's folder holds its fonts,
    // as links to one copy of each file that every folder shares.
    const int store = openOwnFolder(QFile::encodeName(parent), kFontCopiesFolder, true);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QByteArray &bytes = files.at(i);
        const QString link = QStringLiteral("%1/font-%2%3").arg(fonts).arg(i + 1).arg(fontSuffix(bytes));
        const int copy = store < 0 ? -1 : sharedCopy(store, copyName(bytes), bytes);
        bool shared = false;
        if (copy >= 0) {
            // Linked copies count as handed on now: the least recently handed on go first.
            ::futimens(copy, nullptr);
            shared = linkOpenFile(copy, link);
            ::close(copy);
        }
        // Where no copy can be shared (a file system without links, a name the store cannot
        // take), the folder has its own.
        if (!shared)
            writeNewFile(link, bytes);
    }
    if (store >= 0)
        ::close(store);

    // The configuration in force stays in force (the system's, or one this process was given);
    // the folder's fonts come on top. The cache comes first, so the folder's cache is written beside it, not among
    // the user's caches where it would outlive the folder.
    QString base = qEnvironmentVariable("FONTCONFIG_FILE");
    if (!QDir::isAbsolutePath(base))
        base = QStringLiteral("/etc/fonts/fonts.conf");
    const QString configuration = QStringLiteral(
                                      "<?xml version=\"1.0\"?>\n"
                                      "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                                      "<fontconfig>\n"
                                      "  <cachedir>%1</cachedir>\n"
                                      "  <include ignore_missing=\"yes\">%2</include>\n"
                                      "  <dir>%3</dir>\n"
                                      "</fontconfig>\n")
                                      .arg(cache.toHtmlEscaped(), base.toHtmlEscaped(), fonts.toHtmlEscaped());
    const QString path = folder.filePath(QStringLiteral("fonts.conf"));
    writeNewFile(path, configuration.toUtf8());
    // The word processor reads the folder long after this call returns.
    folder.setAutoRemove(false);
    removeUnusedFontCopies(parent);
    return path;
}

DocumentOpener &documentOpener()
{
    static DesktopOpener desktop;
    return standIn() ? *standIn() : desktop;
}

DocumentOpener *setDocumentOpener(DocumentOpener *opener)
{
    DocumentOpener *previous = standIn();
    standIn() = opener;
    return previous;
}

QString DesktopOpener::officeProgram()
{
    QString program = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    return program;
}

bool DesktopOpener::hasDocxHandler()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(kDocxType)});
    // A short look-up of the desktop's settings; one that hangs counts as no handler.
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
           && !query.readAllStandardOutput().trimmed().isEmpty();
}

bool DesktopOpener::available()
{
    return !officeProgram().isEmpty() || hasDocxHandler();
}

QProcessEnvironment DesktopOpener::officeEnvironment(const QString &fontConfiguration)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!fontConfiguration.isEmpty())
        environment.insert(QStringLiteral("FONTCONFIG_FILE"), fontConfiguration);
    return environment;
}

void DesktopOpener::openAsNew(const QString &path)
{
    openAsNewWithFonts(path, {});
}

void DesktopOpener::openAsNewWithFonts(const QString &path, const QString &fontConfiguration)
{
    // Started detached: LibreOffice takes seconds to start and outlives the run; the interface
    // must not wait for it. "-n" makes a new, untitled document from the file, so the user saves
    // it where they like instead of over the file in the cache.
    //
    // The fonts of `fontConfiguration` reach a LibreOffice that this call starts. Where one runs
    // already (for the same user), the new soffice hands the file to it and ends: that process
    // keeps the fonts it started with, so it shows the document's embedded TrueType fonts but
    // not its .otf folder fonts, until it is closed and the document is opened again.
    const QProcessEnvironment environment = officeEnvironment(fontConfiguration);
    const auto start = [&environment](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setProcessEnvironment(environment);
        return process.startDetached();
    };
    const QString office = officeProgram();
    if (!office.isEmpty() && start(office, {QStringLiteral("-n"), path}))
        return;
    // The desktop's handler starts as a child of xdg-open and so takes the same fonts.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty() && start(xdgOpen, {path}))
        return;
    throw Error(QStringLiteral("No word processor could be started for %1.").arg(path));
}

} // namespace platform
