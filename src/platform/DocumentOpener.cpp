#include "platform/DocumentOpener.h"

#include "platform/Errors.h"

#include <QProcess>
#include <QStandardPaths>

namespace platform {
namespace {

constexpr char kDocxType[] = "application/vnd.openxmlformats-officedocument.wordprocessingml.document";

DocumentOpener *&standIn()
{
    static DocumentOpener *opener = nullptr;
    return opener;
}

} // namespace

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

void DesktopOpener::openAsNew(const QString &path)
{
    // Started detached: LibreOffice takes seconds to start and outlives the run; the interface
    // must not wait for it. "-n" makes a new, untitled document from the file, so the user saves
    // it where they like instead of over the file in the cache.
    const QString office = officeProgram();
    if (!office.isEmpty() && QProcess::startDetached(office, {QStringLiteral("-n"), path}))
        return;
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty() && QProcess::startDetached(xdgOpen, {path}))
        return;
    throw Error(QStringLiteral("No word processor could be started for %1.").arg(path));
}

} // namespace platform
