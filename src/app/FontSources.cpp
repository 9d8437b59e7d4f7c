#include "app/FontSources.h"

#include "typeface/FileFaces.h"
#include "typeface/FontResources.h"
#include "typeface/SystemFonts.h"
#include "util/EscapedText.h"
#include "util/FilePaths.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace app {

QString ResourceSink::addFontFile(const QString &path)
{
    return platform::FontResources::instance().addFontFile(path);
}

void ResourceSink::listFontFile(const QString &path, const platform::FileIdentity &identity, int face)
{
    platform::FileFaces::instance().setListedFile(path, identity, face);
}

void ResourceSink::postFontChange()
{
    platform::FontResources::instance().postFontChange();
}

QStringList installedFonts()
{
    return fonts::buildInstalledFonts(platform::printerTypefaces(), platform::screenTypefaces());
}

fonts::FontListEntries loadFontList(const fonts::LoadRequest &request, const QStringList &installed,
                                    QStringList &filePaths, bool german)
{
    ResourceSink sink;
    fonts::FontListEntries entries = fonts::loadFontEntries(
        request, request.system ? platform::printerTypefaces() : QStringList(), installed, filePaths, sink);
    fonts::sortEntries(entries, fonts::entryCollator(german));
    return entries;
}

void releaseFontFiles(QStringList &filePaths)
{
    auto &resources = platform::FontResources::instance();
    for (const QString &path : std::as_const(filePaths))
        resources.removeFontFile(path);
    resources.postFontChange();
    filePaths.clear();
}

QString folderProblem(const QString &path, bool german)
{
    const QString folder = util::escapeControls(path);
    struct stat st;
    // stat() follows a link to the folder it names, as the search does, and never opens anything.
    if (::stat(util::encodePath(path).constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return german ? QStringLiteral("Der Ordner \u201E%1\u201C ist nicht da.").arg(folder)
                          : QStringLiteral("The folder \"%1\" does not exist.").arg(folder);
        return (german ? QStringLiteral("Der Ordner \u201E%1\u201C ist nicht zu erreichen: %2")
                       : QStringLiteral("The folder \"%1\" cannot be reached: %2"))
            .arg(folder, QString::fromLocal8Bit(std::strerror(error)));
    }
    if (S_ISDIR(st.st_mode))
        return {};
    const char *what = nullptr;
    if (S_ISREG(st.st_mode))
        what = german ? "eine Datei" : "a file";
    else if (S_ISFIFO(st.st_mode))
        what = german ? "eine benannte Pipe (FIFO)" : "a named pipe (FIFO)";
    else if (S_ISSOCK(st.st_mode))
        what = german ? "ein Socket" : "a socket";
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        what = german ? "ein Gerät" : "a device";
    else
        what = german ? "etwas anderes" : "something else";
    return (german ? QStringLiteral("\u201E%1\u201C ist kein Ordner, sondern %2.")
                   : QStringLiteral("\"%1\" is not a folder: it is %2."))
        .arg(folder, QString::fromUtf8(what));
}

} // namespace app
