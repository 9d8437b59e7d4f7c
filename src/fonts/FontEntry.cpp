#include "fonts/FontEntry.h"

QString FontNameOfEntry(const QString &entry)
{
    const QStringView separator(fonts::kEntrySeparator);
    const qsizetype at = entry.indexOf(separator);
    // A file entry whose name could not be read starts with the separator; its name is empty.
    return at < 0 ? entry : entry.left(at);
}

QString FontFileOfEntry(const QString &entry)
{
    const QStringView separator(fonts::kEntrySeparator);
    const qsizetype at = entry.indexOf(separator);
    return at < 0 ? QString() : entry.mid(at + separator.size());
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
