#include "fonts/FontListLoader.h"

#include "fonts/FontEntry.h"
#include "fonts/FontFileName.h"
#include "platform/FindFiles.h"
#include "util/WideFunc.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <numeric>
#include <vector>

namespace fonts {

FontListEntries loadFontEntries(const LoadRequest &request, const QStringList &systemTypefaces,
                                const QStringList &installedFonts, QStringList &fileFontPaths, FontSink &sink)
{
    FontListEntries entries;
    if (request.system) {
        entries.reserve(systemTypefaces.size());
        for (const QString &typeface : systemTypefaces)
            entries.append(FontListEntry::typeface(typeface));
    }

    if (request.folder && !request.folderText.isEmpty() && QFileInfo(request.folderText).isDir()) {
        QStringList extensions;
        SplitText(extensions, QStringLiteral(","), QString::fromUtf16(kFontFileExtensions));
        QStringList paths;
        FindFiles(paths, request.folderText, extensions, true);
        entries.reserve(entries.size() + paths.size());
        // The installed names upper-cased once per load: the same rule as IsInList (equal when
        // upper-cased), without upper-casing every installed name again for every file.
        QSet<QString> installed;
        installed.reserve(installedFonts.size());
        for (const QString &font : installedFonts)
            installed.insert(font.toUpper());
        for (const QString &path : std::as_const(paths)) {
            const FontFileNames names = ReadFontFileNames(path);
            const QString &name = names.name;
            sink.listFontFile(path, names.identity, names.face);
            if (!installed.contains(name.toUpper()))
                AppendToList(fileFontPaths, sink.addFontFile(path));
            sink.postFontChange();
            entries.append(FontListEntry::file(name, path));
        }
    }

    removeVerticalFontEntries(entries);
    return entries;
}

void removeVerticalFontEntries(FontListEntries &entries)
{
    entries.removeIf([](const FontListEntry &e) { return e.text.startsWith(QLatin1Char('@')); });
}

QCollator entryCollator(bool german)
{
    QCollator collator(german ? QLocale(QLocale::German, QLocale::Germany)
                              : QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

void sortEntries(FontListEntries &entries, const QCollator &collator)
{
    // Each entry's sort key is made once; comparing keys is much cheaper than collating the
    // texts again in every comparison of a list of thousands.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(entries.size()));
    for (const FontListEntry &entry : std::as_const(entries))
        keys.push_back(collator.sortKey(entry.text));
    std::vector<qsizetype> order(size_t(entries.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    FontListEntries sorted;
    sorted.reserve(entries.size());
    for (const qsizetype i : order)
        sorted.append(entries.at(i));
    entries = std::move(sorted);
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
