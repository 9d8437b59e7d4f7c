#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

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
