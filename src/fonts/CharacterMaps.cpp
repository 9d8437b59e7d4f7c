#include "fonts/CharacterMaps.h"

#include "typeface/FileFaces.h"

namespace fonts {

CharacterMaps &CharacterMaps::instance()
{
    static CharacterMaps maps;
    return maps;
}

platform::CharacterMap CharacterMaps::map(const FontListEntry &entry, platform::FontFileFault *fault)
{
    auto &faces = platform::FileFaces::instance();
    // A file's key holds the file it was listed as and the font drawn from it, so that a reload
    // listing another file at the same path never finds this one's map; a typeface is its name.
    QString key;
    if (entry.isFile()) {
        const platform::FileIdentity identity = faces.listedIdentity(entry.path);
        key = QStringLiteral("%1:%2:%3|").arg(identity.device).arg(identity.inode).arg(faces.listedFace(entry.path))
            + entry.path;
    } else {
        key = QLatin1Char('@') + entry.name;
    }
    auto found = m_maps.constFind(key);
    if (found == m_maps.cend()) {
        Kept kept;
        if (entry.isFile()) {
            const platform::FontFileBytes file = faces.fileBytes(entry.path);
            kept.fault = file.fault;
            if (file.fault == platform::FontFileFault::None) {
                bool opened = false;
                kept.map = platform::readCharacterMap(file.bytes, faces.listedFace(entry.path), &opened);
                // Bytes FreeType cannot open as a font are the fault drawing would meet too.
                if (!opened)
                    kept.fault = platform::FontFileFault::Damaged;
            }
        } else {
            kept.map = platform::typefaceCharacterMap(entry.name);
        }
        found = m_maps.insert(key, kept);
    }
    if (fault)
        *fault = found->fault;
    return found->map;
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
