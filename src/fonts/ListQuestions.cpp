#include "fonts/ListQuestions.h"

#include "fonts/CharacterMaps.h"
#include "fonts/FontFileName.h"
#include "typeface/FileFaces.h"

#include <QHash>
#include <QLocale>

#include <numeric>

namespace fonts {

namespace {

// Groups of entries joined one pair at a time; each group's root is its smallest index, the
// entry that comes first in the list.
class Groups
{
public:
    explicit Groups(qsizetype count)
        : m_parent(count)
    {
        std::iota(m_parent.begin(), m_parent.end(), qsizetype(0));
    }

    qsizetype root(qsizetype i)
    {
        while (m_parent[i] != i) {
            m_parent[i] = m_parent[m_parent[i]];
            i = m_parent[i];
        }
        return i;
    }

    void join(qsizetype a, qsizetype b)
    {
        a = root(a);
        b = root(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

private:
    QList<qsizetype> m_parent;
};

// A key that holds the parts of a font's signature apart whatever they contain.
QString fontKey(const FontFileSignature &signature)
{
    return QString::number(signature.glyphCount) + QChar(u'\0') + QString::number(signature.postScriptName.size())
        + QChar(u'\0') + signature.postScriptName + signature.version;
}

} // namespace

QList<bool> cannotShow(const FontListEntries &entries, const QString &text)
{
    auto &maps = CharacterMaps::instance();
    maps.prepare(entries);
    QList<bool> result(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        platform::FontFileFault fault = platform::FontFileFault::None;
        const platform::CharacterMap map = maps.map(entries.at(i), &fault);
        result[i] = fault != platform::FontFileFault::None || !map.covers(text);
    }
    return result;
}

QList<qsizetype> duplicateOf(const FontListEntries &entries)
{
    auto &faces = platform::FileFaces::instance();
    const qsizetype count = entries.size();
    Groups groups(count);
    QList<qint64> sizes(count, -1);
    // Files read whole to compare their bytes, by size and by what of a signature they have.
    QHash<QPair<qint64, QString>, QList<qsizetype>> bySize;
    QHash<QString, qsizetype> byFont;
    QHash<QPair<quint64, quint64>, qsizetype> byIdentity;
    for (qsizetype i = 0; i < count; ++i) {
        const FontListEntry &entry = entries.at(i);
        if (!entry.isFile())
            continue;
        const platform::FileIdentity listed = faces.listedIdentity(entry.path);
        // A file swapped since it was listed is not the font the row shows: it takes no part.
        const FontFileSignature signature = ReadFontFileSignature(entry.path, faces.listedFace(entry.path));
        if (!listed.isKnown() || signature.identity != listed)
            continue;
        // The same file listed twice, or under two names (hard links), is its own duplicate
        // without a byte read.
        const auto identity = qMakePair(listed.device, listed.inode);
        if (const auto seen = byIdentity.constFind(identity); seen != byIdentity.cend()) {
            groups.join(*seen, i);
            continue;
        }
        byIdentity.insert(identity, i);
        sizes[i] = signature.size;
        const QString key = fontKey(signature);
        if (!signature.postScriptName.isEmpty() && signature.glyphCount > 0) {
            // Equal bytes give an equal signature, so the font rule already joins every file
            // with the same bytes as this one: its bytes need no reading.
            if (const auto same = byFont.constFind(key); same != byFont.cend())
                groups.join(*same, i);
            else
                byFont.insert(key, i);
        } else {
            bySize[qMakePair(signature.size, key)].append(i);
        }
    }

    // The files without a whole signature (Type 1 and bitmap fonts, fonts without a PostScript
    // name): one of a size no other such file has holds bytes of its own; the others are read,
    // hashed, and compared byte by byte with the first file of the same hash (a hash is no proof).
    for (auto group = bySize.cbegin(); group != bySize.cend(); ++group) {
        const QList<qsizetype> &members = group.value();
        if (members.size() < 2)
            continue;
        QHash<size_t, QList<qsizetype>> byHash;
        for (const qsizetype i : members) {
            const platform::FontFileBytes file = faces.fileBytes(entries.at(i).path);
            if (file.fault != platform::FontFileFault::None || file.bytes.size() != sizes[i])
                continue;
            QList<qsizetype> &sameHash = byHash[qHash(file.bytes)];
            bool found = false;
            for (const qsizetype first : std::as_const(sameHash)) {
                const platform::FontFileBytes other = faces.fileBytes(entries.at(first).path);
                if (other.fault == platform::FontFileFault::None && other.bytes == file.bytes) {
                    groups.join(first, i);
                    found = true;
                    break;
                }
            }
            if (!found)
                sameHash.append(i);
        }
    }

    QList<qsizetype> result(count, -1);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype first = groups.root(i);
        if (first != i)
            result[i] = first;
    }
    return result;
}

QList<bool> unreadable(const FontListEntries &entries)
{
    QList<bool> result(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        result[i] = !unreadableReason(entries.at(i), false).isEmpty();
    return result;
}

QString unreadableReason(const FontListEntry &entry, bool german)
{
    if (!entry.isFile())
        return {};
    platform::FontFileFault fault = platform::FontFileFault::None;
    CharacterMaps::instance().map(entry, &fault);
    return faultText(fault, german);
}

QString faultText(platform::FontFileFault fault, bool german)
{
    using platform::FontFileFault;
    switch (fault) {
    case FontFileFault::None:
        return {};
    case FontFileFault::Missing:
        return german ? QStringLiteral("Die Datei ist nicht mehr da") : QStringLiteral("The file is gone");
    case FontFileFault::NotAFile:
        return german ? QStringLiteral("Keine gewöhnliche Datei (Ordner, Gerät oder Pipe)")
                      : QStringLiteral("Not a regular file (a folder, device or pipe)");
    case FontFileFault::Unreadable:
        return german ? QStringLiteral("Die Datei kann nicht gelesen werden") : QStringLiteral("The file cannot be read");
    case FontFileFault::TooLarge:
        return german ? QStringLiteral("Die Datei ist zu groß für eine Schrift")
                      : QStringLiteral("The file is too large for a font");
    case FontFileFault::Replaced:
        return german ? QStringLiteral("Die Datei wurde seit dem Laden ersetzt")
                      : QStringLiteral("The file was replaced since the list was loaded");
    case FontFileFault::Damaged:
        return german ? QStringLiteral("Die Datei ist beschädigt oder keine Schrift")
                      : QStringLiteral("The file is damaged or not a font");
    }
    return {};
}

QString markedCountText(qsizetype count, bool german)
{
    const QLocale locale(german ? QLocale::German : QLocale::English);
    if (count == 0)
        return german ? QStringLiteral("Keine Schrift markiert") : QStringLiteral("No fonts marked");
    if (count == 1)
        return german ? QStringLiteral("1 Schrift markiert") : QStringLiteral("1 font marked");
    return locale.toString(count) + (german ? QStringLiteral(" Schriften markiert") : QStringLiteral(" fonts marked"));
}

FontListEntries coveringEntries(const FontListEntries &entries, const QString &text)
{
    const QList<bool> lacking = cannotShow(entries, text);
    FontListEntries kept;
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (!lacking.at(i))
            kept.append(entries.at(i));
    return kept;
}

FontListEntries withoutDuplicates(const FontListEntries &entries)
{
    const QList<qsizetype> first = duplicateOf(entries);
    FontListEntries kept;
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (first.at(i) < 0)
            kept.append(entries.at(i));
    return kept;
}

} // namespace fonts
