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
#include <ctime>
#include <limits>
#include <utility>

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

// A folder writeFontConfiguration() made, as removeUnusedFontCopies() weighs it.
struct FontFolder
{
    QByteArray name;
    bool hasConfiguration = false; ///< whether its fonts.conf is there (device and inode below)
    dev_t device = 0;
    ino_t inode = 0;
    qint64 made = 0; ///< when it was made (ns since the epoch), or earlier
};

// What the user's running processes say about the font folders: which fonts.conf files their
// FONTCONFIG_FILE names, and what cannot be told.
struct FolderUse
{
    QSet<std::pair<dev_t, ino_t>> configurations; ///< the files named, by device and inode
    QSet<QByteArray> names; ///< folders named by a path that cannot be looked up here
    qint64 unknownUntil = std::numeric_limits<qint64>::min(); ///< see mayName()

    // Whether a process may read `folder`. A process whose environment cannot be read may name
    // any folder whose random name existed when it started, none made after: it started with the
    // environment it was handed, and the name of a folder made later was not known to the
    // process that handed it on.
    bool mayName(const FontFolder &folder) const
    {
        return names.contains(folder.name) || folder.made <= unknownUntil
               || (folder.hasConfiguration && configurations.contains({folder.device, folder.inode}));
    }
};

// How a read of a file of /proc went.
enum class ProcRead { Read, Gone, Refused };

// Reads the file `name` of the open folder `folder` into `contents`: at most `limit` bytes and
// one more, which tells a longer file.
ProcRead readBounded(int folder, const char *name, qsizetype limit, QByteArray &contents)
{
    contents.clear();
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ESRCH ? ProcRead::Gone : ProcRead::Refused;
    char block[65536];
    while (contents.size() <= limit) {
        const ssize_t n = ::read(fd, block, std::min(sizeof block, size_t(limit + 1 - contents.size())));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return error == ESRCH ? ProcRead::Gone : ProcRead::Refused;
        }
        if (n == 0)
            break;
        contents.append(block, n);
    }
    ::close(fd);
    return ProcRead::Read;
}

// A process as its /proc/PID/stat tells it.
struct ProcessState
{
    bool gone = false;     ///< ended (a zombie too), or a kernel thread, which has no environment
    bool execing = false;  ///< between two programs: its new environment is not yet in place
    qint64 started = std::numeric_limits<qint64>::max(); ///< ns since the epoch; max when unknown
};

// The state of the process whose /proc folder is open as `process`.
ProcessState processState(int process)
{
    ProcessState state;
    QByteArray line;
    const ProcRead read = readBounded(process, "stat", 4096, line);
    state.gone = read == ProcRead::Gone || (read == ProcRead::Read && line.isEmpty());
    if (read != ProcRead::Read || state.gone)
        return state;
    // The program's name (field 2, in parentheses) may hold anything; the fields after it may not.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const auto field = [&fields](int number) { return fields.value(number - 3).trimmed().toULongLong(); };
    constexpr unsigned long long kernelThread = 0x00200000; // PF_KTHREAD
    state.gone = fields.value(0) == "Z" || fields.value(0) == "X" || (field(9) & kernelThread) != 0;
    // The bounds of the environment (field 51) are zero until exec() has set them up, and for a
    // reader that may not see them, who cannot read the environment either.
    state.execing = fields.size() >= 49 && field(51) == 0;
    const long hertz = ::sysconf(_SC_CLK_TCK);
    timespec now, sinceBoot;
    if (fields.size() >= 20 && hertz > 0 && ::clock_gettime(CLOCK_REALTIME, &now) == 0
        && ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot) == 0) {
        const auto ns = [](const timespec &t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
        const qint64 ticks = qint64(field(22));
        state.started = ns(now) - ns(sinceBoot) + ticks / hertz * 1000000000 + ticks % hertz * 1000000000 / hertz;
    }
    return state;
}

// Notes the folder that the FONTCONFIG_FILE value `value` of a process with the HOME `home` names.
// fontconfig reads "~..." in HOME and a relative name among its own folders. Only a path that
// ends, cleaned, in "Glyphworks-fonts-.../fonts.conf" is looked up, so nothing that could lead
// anywhere (or block) is; and it is compared by the file it names, not by its spelling.
void noteConfiguration(FolderUse &use, const QByteArray &value, const QByteArray &home)
{
    // Without a HOME to read it in, "~..." stays as it is: a name that is not looked up.
    const QByteArray path = value.startsWith('~') && home.startsWith('/') ? home + '/' + value.mid(1) : value;
    const QString cleaned = QDir::cleanPath(QFile::decodeName(path));
    const QStringList parts = cleaned.split(QLatin1Char('/'));
    if (parts.size() < 2 || parts.last() != QLatin1String("fonts.conf")
        || !parts.at(parts.size() - 2).startsWith(QLatin1String(kFontFolderPrefix)))
        return;
    struct stat st;
    if (path.startsWith('/') && ::stat(QFile::encodeName(cleaned).constData(), &st) == 0) {
        use.configurations.insert({st.st_dev, st.st_ino});
        return;
    }
    // Not found here (the process may see other mounts, or another folder): its name decides.
    use.names.insert(QFile::encodeName(parts.at(parts.size() - 2)));
}

// What the user's running processes say about the font folders (FolderUse). A process's
// environment is read as it was when its program started, bounded.
FolderUse foldersInUse()
{
    constexpr qsizetype kMaxEnvironment = 4 * 1024 * 1024;
    // A program being started has no environment to read for a moment: a few looks at it, a
    // millisecond apart, see the one it gets. One that still has none is not known.
    constexpr int kExecLooks = 50;
    // A process's start is known to a clock tick; the slack covers that, and a small step of
    // the clock.
    constexpr qint64 kStartSlack = qint64(2) * 1000000000;
    static const QByteArray variable = "FONTCONFIG_FILE=";
    static const QByteArray homeVariable = "HOME=";
    FolderUse use;
    DIR *processes = ::opendir("/proc");
    if (!processes) {
        use.unknownUntil = std::numeric_limits<qint64>::max();
        return use;
    }
    const uid_t user = ::geteuid();
    QSet<QByteArray> seen;
    while (const dirent *entry = ::readdir(processes)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        // The process's folder stays this process's, even if its number is taken again.
        const int process = ::openat(::dirfd(processes), entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (process < 0)
            continue;
        struct stat st;
        ProcessState state;
        if (::fstat(process, &st) != 0 || st.st_uid != user || (state = processState(process)).gone) {
            ::close(process);
            continue;
        }
        QByteArray environment;
        ProcRead read = readBounded(process, "environ", kMaxEnvironment, environment);
        // An empty environment is looked at again: the state read after it tells whether the
        // process was between two programs (then it waits a moment) or had its environment in
        // place by then, so that the next read is the last word.
        for (int look = 0; read == ProcRead::Read && environment.isEmpty() && look < kExecLooks; ++look) {
            state = processState(process);
            if (state.gone) {
                read = ProcRead::Gone;
                break;
            }
            if (state.execing) {
                const timespec pause{0, 1000000};
                ::nanosleep(&pause, nullptr);
            }
            read = readBounded(process, "environ", kMaxEnvironment, environment);
            if (!state.execing)
                break;
        }
        ::close(process);
        if (read == ProcRead::Gone)
            continue;
        if (read == ProcRead::Refused || environment.isEmpty() || environment.size() > kMaxEnvironment) {
            const bool startKnown = state.started != std::numeric_limits<qint64>::max();
            use.unknownUntil = std::max(use.unknownUntil, startKnown ? state.started + kStartSlack : state.started);
            if (read == ProcRead::Refused || environment.isEmpty())
                continue;
        }
        QByteArrayList values;
        QByteArray home;
        bool homeSeen = false;
        for (const QByteArray &setting : environment.split('\0')) {
            if (setting.startsWith(variable))
                values << setting.mid(variable.size());
            else if (!homeSeen && setting.startsWith(homeVariable)) {
                home = setting.mid(homeVariable.size());
                homeSeen = true;
            }
        }
        for (const QByteArray &value : std::as_const(values)) {
            // Most processes inherit the value of the one that started them: each is looked up once.
            const QByteArray key = (value.startsWith('~') ? home : QByteArray()) + '\0' + value;
            if (!seen.contains(key)) {
                seen.insert(key);
                noteConfiguration(use, value, home);
            }
        }
    }
    ::closedir(processes);
    return use;
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

// The folder `name` of the open folder `parent` as removeUnusedFontCopies() weighs it.
FontFolder fontFolder(int parent, const QByteArray &name)
{
    FontFolder folder;
    folder.name = name;
    struct stat st;
    if (::fstatat(parent, (name + "/fonts.conf").constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        folder.hasConfiguration = true;
        folder.device = st.st_dev;
        folder.inode = st.st_ino;
    }
    // Its birth where the file system keeps it; else its last change, which is when it was made,
    // since nothing changes the folder itself after (fontconfig writes into its cache folder).
    struct statx sx;
    if (::statx(parent, name.constData(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_CTIME, &sx) != 0)
        folder.made = std::numeric_limits<qint64>::min();
    else {
        const statx_timestamp &t = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime;
        folder.made = qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    return folder;
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
    const qint64 graceEnd = QDateTime::currentSecsSinceEpoch() - 3600;
    const uid_t user = ::geteuid();
    QList<FontFolder> candidates;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        struct stat st;
        if (name.startsWith(kFontFolderPrefix) && ::fstatat(::dirfd(listing), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISDIR(st.st_mode) && st.st_uid == user && st.st_mtime <= graceEnd)
            candidates.append(fontFolder(::dirfd(listing), name));
    }
    ::closedir(listing);
    int removed = 0;
    if (!candidates.isEmpty()) {
        const FolderUse use = foldersInUse();
        for (const FontFolder &folder : std::as_const(candidates)) {
            // removeRecursively() removes links, never what they point to.
            if (!use.mayName(folder) && QDir(parent + QLatin1Char('/') + QFile::decodeName(folder.name)).removeRecursively())
                ++removed;
        }
    }

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
