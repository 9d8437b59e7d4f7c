#include "fonts/FontListLoader.h"

#include "fonts/FontEntry.h"
#include "fonts/FontFileName.h"
#include "util/WideFunc.h"

#include <QFileInfo>
#include <algorithm>

namespace fonts {

QStringList loadFontEntries(const LoadRequest &request, const QStringList &systemTypefaces,
                            const QStringList &installedFonts, QStringList &fileFontPaths, FontSink &sink)
{
    QStringList entries;
    if (request.system)
        entries = systemTypefaces;

    if (request.folder && !request.folderText.isEmpty() && QFileInfo(request.folderText).isDir()) {
        QStringList extensions;
        SplitText(extensions, QStringLiteral(","), QString::fromUtf16(kFontFileExtensions));
        QStringList paths;
        FindFiles(paths, request.folderText, extensions, true);
        entries.reserve(entries.size() + paths.size());
        for (const QString &path : std::as_const(paths)) {
            const QString name = ReadFontFileName(path);
            if (!IsInList(installedFonts, name)) {
                AppendToList(fileFontPaths, path);
                sink.addFontFile(path);
            }
            sink.postFontChange();
            entries.append(FontFileEntry(name, path));
        }
    }

    removeVerticalFontEntries(entries);
    return entries;
}

void removeVerticalFontEntries(QStringList &entries)
{
    entries.removeIf([](const QString &e) { return e.startsWith(QLatin1Char('@')); });
}

void sortEntries(QStringList &entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
}

QString fontCountText(qsizetype count, bool german)
{
    return QString::number(count)
        + (german ? QStringLiteral(" Schriftarten wurden entdeckt!") : QStringLiteral(" Fonts Detected!"));
}

QStringList buildInstalledFonts(const QStringList &printerTypefaces, const QStringList &screenTypefaces)
{
    QStringList installed = printerTypefaces;
    for (const QString &name : screenTypefaces)
        if (!IsInList(installed, name))
            AppendToList(installed, name);
    return installed;
}

} // namespace fonts
