#pragma once
// The characters each font of the list can show, read once per font and kept for the run: the
// questions asked of a whole list (which fonts show this text, which script a font is for) ask
// every font again and again.

#include "fonts/FontEntry.h"
#include "typeface/CharacterMap.h"
#include "typeface/FontFile.h"

#include <QHash>

namespace fonts {

/// The character maps of list entries, kept by the font they belong to. One instance per process,
/// used on the GUI thread.
class CharacterMaps
{
public:
    /// The process-wide instance.
    static CharacterMaps &instance();

    /// The map of `entry`'s font. A font file's own map, of the font of the file its row is drawn
    /// in, read through the same bounded, identity-checked read as its drawing (a file swapped
    /// since the load is not read); an installed typeface's as the font system holds it. Empty
    /// when the file cannot be used; `fault` (when given) then says why. Read once for each file
    /// as it was listed: a reload that lists it again reads it again.
    platform::CharacterMap map(const FontListEntry &entry, platform::FontFileFault *fault = nullptr);

    /// Reads the maps of the font files of `entries` not read yet, on every core, each through
    /// the same bounded, identity-checked read as map(): a question asked of the whole list
    /// reads its files at once. Typefaces and files that were never opened are left to map().
    void prepare(const FontListEntries &entries);

    /// Forgets every map.
    void clear();

    /// How many maps are kept and the bytes they take: for benches and tests.
    qsizetype count() const { return m_maps.size(); }
    qsizetype memoryBytes() const;

private:
    CharacterMaps() = default;

    struct Kept
    {
        platform::CharacterMap map;
        platform::FontFileFault fault = platform::FontFileFault::None;
    };
    /// What a map is kept by: a file's path, the file it was listed as and the face drawn from it
    /// (so that a reload listing another file at the same path never finds this one's map), or a
    /// typeface's name (face -1).
    struct Key
    {
        QString name;
        platform::FileIdentity identity;
        int face = -1;
        friend bool operator==(const Key &, const Key &) = default;
        friend size_t qHash(const Key &key, size_t seed = 0) noexcept
        {
            return qHashMulti(seed, key.name, key.identity.inode, key.identity.changedNs, key.face);
        }
    };
    /// The key of `entry`'s font.
    static Key keyOf(const FontListEntry &entry);
    /// The map and fault of the listed file `path` read as `identity`, drawn in font `face`.
    static Kept readFile(const QString &path, const platform::FileIdentity &identity, int face);
    QHash<Key, Kept> m_maps;
};

} // namespace fonts
