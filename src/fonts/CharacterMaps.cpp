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

CharacterMaps::Key CharacterMaps::keyOf(const FontListEntry &entry)
{
    if (!entry.isFile())
        return {entry.name, {}, -1};
    auto &faces = platform::FileFaces::instance();
    return {entry.path, faces.listedIdentity(entry.path), faces.listedFace(entry.path)};
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
    const Key key = keyOf(entry);
    auto found = m_maps.constFind(key);
    if (found == m_maps.cend()) {
        Kept kept;
        if (!entry.isFile()) {
            kept.map = platform::typefaceCharacterMap(entry.name);
        } else if (key.identity.isKnown()) {
            kept = readFile(entry.path, key.identity, key.face);
        } else {
            // Never listed, or listed where no file could be opened: the list's files say why,
            // and nothing is read.
            kept.fault = platform::FileFaces::instance().fileBytes(entry.path).fault;
        }
        found = m_maps.insert(key, kept);
    }
    if (fault)
        *fault = found->fault;
    return found->map;
}

void CharacterMaps::prepare(const FontListEntries &entries)
{
    QList<Key> wanted;
    QSet<Key> keys;
    for (const FontListEntry &entry : entries) {
        if (!entry.isFile())
            continue;
        const Key key = keyOf(entry);
        if (!key.identity.isKnown() || m_maps.contains(key) || keys.contains(key))
            continue;
        keys.insert(key);
        wanted.append(key);
    }
    QList<Kept> read(wanted.size());
    util::forEachIndex(wanted.size(), [&](qsizetype i) {
        const Key &file = wanted.at(i);
        read[i] = readFile(file.name, file.identity, file.face);
    });
    for (qsizetype i = 0; i < wanted.size(); ++i)
        m_maps.insert(wanted.at(i), read.at(i));
}

void CharacterMaps::clear()
{
    m_maps.clear();
}

qsizetype CharacterMaps::memoryBytes() const
{
    qsizetype bytes = 0;
    for (auto it = m_maps.cbegin(); it != m_maps.cend(); ++it)
        bytes += it.value().map.memoryBytes() + qsizetype(sizeof(Key)) + qsizetype(sizeof(Kept));
    return bytes;
}

} // namespace fonts
