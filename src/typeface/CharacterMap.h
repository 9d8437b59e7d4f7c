#pragma once
// What characters a font can show, and what scripts they belong to: read from a font file's own
// character map, or asked of the font system for an installed typeface.

#include <QByteArray>
#include <QList>
#include <QString>

struct FT_FaceRec_;
struct FT_LibraryRec_;

namespace platform {

/// The Unicode characters a font maps to glyphs, kept as sorted, disjoint ranges: a CJK font of
/// 60,000 characters takes a few hundred ranges.
class CharacterMap
{
public:
    /// A run of consecutive characters, both ends included.
    struct Range
    {
        char32_t first = 0;
        char32_t last = 0;
        friend bool operator==(const Range &, const Range &) = default;
    };

    CharacterMap() = default;

    /// The map of `codePoints`, given in any order, repeats allowed.
    static CharacterMap fromCodePoints(QList<char32_t> codePoints);

    /// The map of `ranges`, sorted and disjoint, holding `count` characters in all.
    static CharacterMap fromRanges(QList<Range> ranges, qsizetype count)
    {
        CharacterMap map;
        map.m_ranges = std::move(ranges);
        map.m_count = count;
        return map;
    }

    /// Whether `c` is mapped.
    bool contains(char32_t c) const;

    /// Whether every character of `text` is mapped, spaces and controls left out (a font is not
    /// asked for them).
    bool covers(const QString &text) const;

    /// How many characters are mapped.
    qsizetype characterCount() const { return m_count; }

    /// The ranges, in order.
    const QList<Range> &ranges() const { return m_ranges; }

    /// Whether nothing is mapped.
    bool isEmpty() const { return m_ranges.isEmpty(); }

    /// The first `n` characters mapped, in code point order, spaces and controls left out.
    QList<char32_t> firstCharacters(qsizetype n) const;

    /// The bytes the map holds, for budgets and benches.
    qsizetype memoryBytes() const { return qsizetype(sizeof(CharacterMap)) + m_ranges.capacity() * qsizetype(sizeof(Range)); }

    friend bool operator==(const CharacterMap &a, const CharacterMap &b) { return a.m_ranges == b.m_ranges; }

private:
    QList<Range> m_ranges;
    qsizetype m_count = 0;
};

/// The character map of font `face` (0 for a single font, the index in a collection) of a font
/// file's `bytes`: the characters the drawing of its face shows with glyphs of its own
/// (faceCharacterMap()). Empty when the file has no such font or no map; `opened` (when given)
/// tells whether FreeType could open the font at all. Nothing is read from disk.
CharacterMap readCharacterMap(const QByteArray &bytes, int face, bool *opened = nullptr);

/// The character map of the FreeType face `face`, opened by the caller: the characters the
/// drawing engine finds a glyph for, looking them up in the maps it chooses as it chooses them
/// (the font's last Unicode map, then its symbol map), and only in subtables FreeType accepted.
/// So every question asked of the map (can it show this text, what script is it for, how many
/// characters has it) is answered as the sheet draws. Linear in the size of the map, and never
/// more than the 1,114,112 characters Unicode has; the face's selected map may change.
CharacterMap faceCharacterMap(FT_FaceRec_ *face);

/// A FreeType library of the calling thread's own, made at its first use and kept until the
/// thread ends: making one for each of thousands of files would cost more than reading them.
FT_LibraryRec_ *threadFreeType();

/// The characters the font system (fontconfig) gives the installed typeface `family`: the
/// character set of its best match. Empty when the family is unknown.
CharacterMap typefaceCharacterMap(const QString &family);

/// The font file and face the font system draws the installed typeface `family` from.
struct TypefaceFile
{
    QString path;  ///< empty when the family is unknown
    int face = 0;
};

/// The file and face fontconfig resolves `family` to (its best match).
TypefaceFile typefaceFile(const QString &family);

/// How many characters of a map belong to one script.
struct ScriptCount
{
    QString code;          ///< the script's ISO 15924 code: "Latn", "Arab", "Hani", "Hira"...
    qsizetype characters = 0;
    friend bool operator==(const ScriptCount &, const ScriptCount &) = default;
};

/// The scripts the characters of `map` belong to (by Unicode's script property), with their
/// counts, largest first, equal counts by code. Characters of no script of their own (Common,
/// Inherited, Unknown) are left out.
QList<ScriptCount> scriptCounts(const CharacterMap &map);

/// The first `n` characters of `map` that belong to the script of ISO 15924 code `code`, in code
/// point order.
QList<char32_t> firstCharactersOfScript(const CharacterMap &map, const QString &code, qsizetype n);

/// The English name of the script of ISO 15924 code `code` ("Latin", "Arabic", "Han"); the code
/// itself for a script without a name here.
QString scriptName(const QString &code);

} // namespace platform
