#include "platform/DocumentOpener.h"

#include "util/Errors.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

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

} // namespace

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
    for (qsizetype i = 0; i < files.size(); ++i)
        writeNewFile(QStringLiteral("%1/font-%2%3").arg(fonts).arg(i + 1).arg(fontSuffix(files.at(i))), files.at(i));

    // The configuration in force stays in force (the system's, or one this process was given);
    // the folder's fonts come on top. fontconfig adds fonts by folder only, not by file, hence
    // the copies. The cache comes first, so the folder's cache is written beside it, not among
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
