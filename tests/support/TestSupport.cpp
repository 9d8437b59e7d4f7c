#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gwtest {

QStringList packageFontFiles(const QString &package)
{
    QProcess dpkg;
    dpkg.start(QStringLiteral("dpkg-query"), {QStringLiteral("-L"), package});
    if (!dpkg.waitForFinished(30000) || dpkg.exitCode() != 0)
        return {};
    QStringList files;
    const QStringList lines = QString::fromUtf8(dpkg.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString lower = line.toLower();
        if ((lower.endsWith(QLatin1String(".ttf")) || lower.endsWith(QLatin1String(".otf"))
             || lower.endsWith(QLatin1String(".ttc")))
            && QFileInfo(line).isFile())
            files << line;
    }
    files.sort();
    return files;
}

QString packageFontFile(const QString &package, const QString &fileName)
{
    const QStringList files = packageFontFiles(package);
    for (const QString &f : files)
        if (QFileInfo(f).fileName() == fileName)
            return f;
    qWarning("font file %s of package %s is missing", qPrintable(fileName), qPrintable(package));
    return {};
}

bool copyFile(const QString &source, const QString &targetPath)
{
    QDir().mkpath(QFileInfo(targetPath).absolutePath());
    QFile::remove(targetPath);
    return QFile::copy(source, targetPath);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

bool writeNativeFile(const QByteArray &nativePath, const QByteArray &bytes)
{
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

QString deepFolder(const QString &root, int levels)
{
    QString path = root;
    for (int level = 1; level <= levels; ++level)
        path += QStringLiteral("/d%1").arg(level);
    return path;
}

bool writeDeepFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(path);
    const QList<QByteArray> parts = native.split('/');
    int dir = ::open(native.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype i = 0; dir >= 0 && i + 1 < parts.size(); ++i) {
        if (parts[i].isEmpty())
            continue;
        ::mkdirat(dir, parts[i].constData(), 0755);
        const int next = ::openat(dir, parts[i].constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(dir);
        dir = next;
    }
    if (dir < 0)
        return false;
    const int fd = ::openat(dir, parts.last().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::close(dir);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

bool removeTree(const QString &path)
{
    return QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QStringLiteral("--"), path}) == 0;
}

QString toolOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString sourceDir()
{
    return QStringLiteral(GW_SOURCE_DIR);
}

} // namespace gwtest
