#include "util/WideFunc.h"

#include <QFile>
#include <QtNumeric>

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void SplitText(QStringList &parts, const QString &separator, const QString &text)
{
    // An empty separator would match everywhere without consuming anything.
    if (separator.isEmpty()) {
        parts.append(text);
        return;
    }

    // Working on one copy with the separator appended lets an occurrence reach into the
    // appended separator ("a," at ",," gives "a", ""). Positions move forward instead of
    // cutting the front off the copy, so the split stays linear in the text length.
    // Held apart from `parts`, which may be growing the list the separator came from.
    const QString sep = separator;
    const QString w = text + sep;
    const qsizetype length = w.size();
    const qsizetype sepLength = sep.size();
    qsizetype pos = 0;
    do {
        const qsizetype hit = w.indexOf(sep, pos, Qt::CaseSensitive);
        if (hit < 0) {
            // What is left is shorter than the separator or holds no occurrence: it is
            // dropped and the piece is empty.
            parts.append(QString());
            break;
        }
        parts.append(w.mid(pos, hit - pos));
        pos = hit + sepLength;
    } while (pos < length);
}

bool IsInList(const QStringList &list, const QString &text)
{
    const QString wanted = text.toUpper();
    for (const QString &element : list) {
        // Equal texts are equal upper-cased too; this spares the conversion for exact hits.
        if (element == text || element.toUpper() == wanted)
            return true;
    }
    return false;
}

bool AppendToList(QStringList &list, const QString &text)
{
    list.append(text);
    return true;
}

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

/// State of one FindFiles call: the target list, the extensions and the directories walked so far.
class FileWalker
{
public:
    FileWalker(QStringList &list, const QStringList &extensions, bool recurse)
        : m_list(list), m_extensions(extensions), m_recurse(recurse)
    {
    }

    /// Walks `dirPath` (ending in "/"); `rawDirPath` is the same path encoded for the file system.
    void walk(const QString &dirPath, const QByteArray &rawDirPath)
    {
        std::vector<DirEntry> entries;
        if (!readListing(rawDirPath, entries))
            return;

        if (m_recurse) {
            for (const DirEntry &e : entries) {
                if (!e.isDir)
                    continue;
                walk(dirPath + e.name + QLatin1Char('/'), rawDirPath + e.rawName + '/');
            }
        }

        for (const QString &ext : m_extensions) {
            for (const DirEntry &e : entries) {
                // A name that is only the extension matches too, as "*.ttf" matches ".ttf".
                if (!e.isDir && e.name.endsWith(ext, Qt::CaseInsensitive))
                    m_list.append(dirPath + e.name);
            }
        }
    }

private:
    /// Reads the directory once into `entries`, sorted by name ignoring case. False when the
    /// directory cannot be opened or was walked before in this call.
    bool readListing(const QByteArray &rawDirPath, std::vector<DirEntry> &entries)
    {
        const int fd = ::open(rawDirPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;

        // The identity of the opened directory itself, so a folder reached through a link (or
        // through two links) is walked once and a link back to an ancestor ends the descent.
        struct stat st;
        if (::fstat(fd, &st) != 0 || !m_walked.emplace(st.st_dev, st.st_ino).second) {
            ::close(fd);
            return false;
        }

        DIR *dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return false;
        }
        const int dfd = ::dirfd(dir);
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
                if (::fstatat(dfd, name, &target, 0) != 0)
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
            e.name = QFile::decodeName(name);
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
    std::set<std::pair<dev_t, ino_t>> m_walked;
};

} // namespace

void FindFiles(QStringList &list, const QString &folder, const QStringList &extensions, bool recurse)
{
    QString base = folder;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    FileWalker walker(list, extensions, recurse);
    walker.walk(base, QFile::encodeName(base));
}

void ReplaceAll(const QString &source, const QString &oldText, const QString &newText, QString &result)
{
    const qsizetype sourceLength = source.size();
    const qsizetype oldLength = oldText.size();
    if (oldText == newText || sourceLength == 0 || oldLength == 0) {
        result = source;
        return;
    }

    // Find every match first (leftmost, not overlapping), so the result can be sized exactly.
    std::vector<qsizetype> matches;
    for (qsizetype at = source.indexOf(oldText, 0, Qt::CaseSensitive); at >= 0;
         at = source.indexOf(oldText, at + oldLength, Qt::CaseSensitive))
        matches.push_back(at);
    if (matches.empty()) {
        result = source;
        return;
    }

    const qsizetype newLength = newText.size();
    qsizetype growth = 0;
    qsizetype total = 0;
    if (qMulOverflow(newLength - oldLength, qsizetype(matches.size()), &growth)
        || qAddOverflow(sourceLength, growth, &total))
        qBadAlloc();

    // Built apart from `result`, which may be the same object as one of the inputs.
    QString built(total, Qt::Uninitialized);
    QChar *out = built.data();
    const QChar *in = source.constData();
    const QChar *replacement = newText.constData();
    qsizetype from = 0;
    for (const qsizetype at : matches) {
        std::copy(in + from, in + at, out);
        out += at - from;
        std::copy(replacement, replacement + newLength, out);
        out += newLength;
        from = at + oldLength;
    }
    std::copy(in + from, in + sourceLength, out);
    result = std::move(built);
}
