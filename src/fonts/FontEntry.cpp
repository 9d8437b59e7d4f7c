#include "fonts/FontEntry.h"

#include <QStringList>

namespace fonts {

FontListEntry FontListEntry::typeface(const QString &name)
{
    return {name, name, QString()};
}

FontListEntry FontListEntry::file(const QString &name, const QString &path)
{
    return {FontFileEntry(name, path), name, path};
}

QStringList entryTexts(const FontListEntries &entries)
{
    QStringList texts;
    texts.reserve(entries.size());
    for (const FontListEntry &entry : entries)
        texts.append(entry.text);
    return texts;
}

} // namespace fonts

QString FontNameOfEntry(const QString &entry)
{
    const QStringView separator(fonts::kEntrySeparator);
    const qsizetype at = entry.indexOf(separator);
    // A file entry whose name could not be read starts with the separator; its name is empty.
    return at < 0 ? entry : entry.left(at);
}

QString FontFileEntry(const QString &name, const QString &path)
{
    const QStringView separator(fonts::kEntrySeparator);
    QString entry;
    entry.reserve(name.size() + separator.size() + path.size());
    entry += name;
    entry += separator;
    entry += path;
    return entry;
}
