#include "fonts/CharacterMaps.h"

#include "typeface/FileFaces.h"
#include "util/Parallel.h"

#include <QSet>

#include <new>

namespace fonts {

CharacterMaps &CharacterMaps::instance()
{
    static CharacterMaps maps;
    return maps;
}

QString CharacterMaps::keyOf(const FontListEntry &entry)
{
    // A file's key holds the file it was listed as and the font drawn from it, so that a reload
    // listing another file at the same path never finds this one's map; a typeface is its name.
    if (!entry.isFile())
        return QLatin1Char('@') + entry.name;
    auto &faces = platform::FileFaces::instance();
    const platform::FileIdentity identity = faces.listedIdentity(entry.path);
    return QStringLiteral("%1:%2:%3:%4:%5:%6|")
               .arg(identity.device)
               .arg(identity.inode)
               .arg(identity.size)
               .arg(identity.modifiedNs)
               .arg(identity.changedNs)
               .arg(faces.listedFace(entry.path))
        + entry.path;
}

CharacterMaps::Kept CharacterMaps::readFile(const QString &path, const platform::FileIdentity &identity, int face)
{
    Kept kept;
    try {
        const platform::FontFileBytes file = platform::readFontFile(path, identity);
        kept.fault = file.fault;
        if (file.fault == platform::FontFileFault::None) {
            bool opened = false;
            kept.map = platform::readCharacterMap(file.bytes, face, &opened);
            // Bytes FreeType cannot open as a font are the fault drawing would meet too.
            if (!opened)
                kept.fault = platform::FontFileFault::Damaged;
        }
    } catch (const std::bad_alloc &) {
        // Memory ran out on this file alone (its bytes are up to the size limit): it cannot be
        // used, and the question goes on with the others.
        kept = Kept();
        kept.fault = platform::FontFileFault::Damaged;
    }
    return kept;
}

platform::CharacterMap CharacterMaps::map(const FontListEntry &entry, platform::FontFileFault *fault)
{
    const QString key = keyOf(entry);
    auto found = m_maps.constFind(key);
    if (found == m_maps.cend()) {
        Kept kept;
        auto &faces = platform::FileFaces::instance();
        if (!entry.isFile()) {
            kept.map = platform::typefaceCharacterMap(entry.name);
        } else if (const platform::FileIdentity identity = faces.listedIdentity(entry.path); identity.isKnown()) {
            kept = readFile(entry.path, identity, faces.listedFace(entry.path));
        } else {
            // Never listed, or listed where no file could be opened: the list's files say why,
            // and nothing is read.
            kept.fault = faces.fileBytes(entry.path).fault;
        }
        found = m_maps.insert(key, kept);
    }
    if (fault)
        *fault = found->fault;
    return found->map;
}

void CharacterMaps::prepare(const FontListEntries &entries)
{
    struct Wanted
    {
        QString key;
        QString path;
        platform::FileIdentity identity;
        int face = 0;
    };
    auto &faces = platform::FileFaces::instance();
    QList<Wanted> wanted;
    QSet<QString> keys;
    for (const FontListEntry &entry : entries) {
        if (!entry.isFile())
            continue;
        const platform::FileIdentity identity = faces.listedIdentity(entry.path);
        const QString key = keyOf(entry);
        if (!identity.isKnown() || m_maps.contains(key) || keys.contains(key))
            continue;
        keys.insert(key);
        wanted.append({key, entry.path, identity, faces.listedFace(entry.path)});
    }
    QList<Kept> read(wanted.size());
    util::forEachIndex(wanted.size(), [&](qsizetype i) {
        const Wanted &file = wanted.at(i);
        read[i] = readFile(file.path, file.identity, file.face);
    });
    for (qsizetype i = 0; i < wanted.size(); ++i)
        m_maps.insert(wanted.at(i).key, read.at(i));
}

void CharacterMaps::clear()
{
    m_maps.clear();
}

qsizetype CharacterMaps::memoryBytes() const
{
    qsizetype bytes = 0;
    for (auto it = m_maps.cbegin(); it != m_maps.cend(); ++it)
        bytes += it.value().map.memoryBytes() + it.key().size() * qsizetype(sizeof(QChar)) + qsizetype(sizeof(Kept));
    return bytes;
}

} // namespace fonts
