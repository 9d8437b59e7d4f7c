#include "typeface/CharacterMap.h"

#include "typeface/FontFile.h"

#include <QLocale>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>

#include <algorithm>
#include <map>

namespace platform {
namespace {

// Characters a font is never asked for: spaces, line and paragraph separators and controls.
bool isAskedFor(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category != QChar::Separator_Space && category != QChar::Separator_Line
        && category != QChar::Separator_Paragraph && category != QChar::Other_Control
        && category != QChar::Other_Format;
}


// Builds sorted, disjoint ranges from code points that arrive in ascending order.
class RangeBuilder
{
public:
    void add(char32_t c)
    {
        if (!m_ranges.isEmpty() && m_ranges.last().last + 1 == c)
            m_ranges.last().last = c;
        else if (m_ranges.isEmpty() || c > m_ranges.last().last)
            m_ranges.append({c, c});
        else
            return;
        ++m_count;
    }
    QList<CharacterMap::Range> ranges() { return std::move(m_ranges); }
    qsizetype count() const { return m_count; }

private:
    QList<CharacterMap::Range> m_ranges;
    qsizetype m_count = 0;
};

} // namespace

FT_Library threadFreeType()
{
    struct Library
    {
        FT_Library library = nullptr;
        Library() { FT_Init_FreeType(&library); }
        ~Library()
        {
            if (library)
                FT_Done_FreeType(library);
        }
    };
    thread_local Library library;
    return library.library;
}

CharacterMap CharacterMap::fromCodePoints(QList<char32_t> codePoints)
{
    std::sort(codePoints.begin(), codePoints.end());
    RangeBuilder builder;
    for (const char32_t c : codePoints)
        builder.add(c);
    QList<Range> ranges = builder.ranges();
    ranges.squeeze();
    return fromRanges(std::move(ranges), builder.count());
}

bool CharacterMap::contains(char32_t c) const
{
    // The first range that does not end before c.
    const auto it = std::lower_bound(m_ranges.cbegin(), m_ranges.cend(), c,
                                     [](const Range &range, char32_t value) { return range.last < value; });
    return it != m_ranges.cend() && it->first <= c;
}

bool CharacterMap::covers(const QString &text) const
{
    for (const char32_t c : text.toUcs4())
        if (isAskedFor(c) && !contains(c))
            return false;
    return true;
}

QList<char32_t> CharacterMap::firstCharacters(qsizetype n) const
{
    QList<char32_t> first;
    for (const Range &range : m_ranges)
        for (char32_t c = range.first; first.size() < n; ++c) {
            if (isAskedFor(c))
                first.append(c);
            if (c == range.last)
                break;
        }
    return first;
}

CharacterMap readCharacterMap(const QByteArray &bytes, int face, bool *opened)
{
    FT_Library library = threadFreeType();
    FT_Face ftFace = nullptr;
    const bool open = library && !bytes.isEmpty() && face >= 0
        && FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte *>(bytes.constData()), FT_Long(bytes.size()),
                              FT_Long(face), &ftFace)
            == 0;
    if (opened)
        *opened = open;
    if (!open)
        return {};
    CharacterMap map = faceCharacterMap(ftFace);
    FT_Done_Face(ftFace);
    return map;
}

namespace {

// Calls `add` with each character `charmap` of `face` maps to a glyph of the face, in ascending
// order, up to the last character Unicode has: a map may name codes up to 2^32, which no text
// holds and no walk should take.
template<typename Add>
void walkCharmap(FT_Face face, FT_CharMap charmap, Add add)
{
    if (!charmap || FT_Set_Charmap(face, charmap) != 0)
        return;
    FT_UInt glyph = 0;
    for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0 && c <= 0x10FFFF;
         c = FT_Get_Next_Char(face, c, &glyph))
        add(char32_t(c));
}

} // namespace

CharacterMap faceCharacterMap(FT_Face ftFace)
{
    // The maps the drawing engine looks characters up in, chosen as it chooses them when it
    // makes a face: the last map of Unicode's encoding in the font's order (or, where none comes
    // before it, an Apple Roman or Adobe Latin-1 one), else the map FreeType chose at opening;
    // then, for characters that one lacks, the first symbol map (a symbol font's own codes,
    // U+F020…). FreeType has already set aside every subtable it found broken (groups out of
    // order or overlapping, glyphs past the font's count), so the answer is what a sheet draws.
    FT_CharMap primary = nullptr;
    FT_CharMap symbol = nullptr;
    for (FT_Int i = 0; i < ftFace->num_charmaps; ++i) {
        FT_CharMap charmap = ftFace->charmaps[i];
        switch (charmap->encoding) {
        case FT_ENCODING_UNICODE:
            primary = charmap;
            break;
        case FT_ENCODING_APPLE_ROMAN:
        case FT_ENCODING_ADOBE_LATIN_1:
            if (!primary || primary->encoding != FT_ENCODING_UNICODE)
                primary = charmap;
            break;
        case FT_ENCODING_MS_SYMBOL:
        case FT_ENCODING_ADOBE_CUSTOM:
            if (!symbol)
                symbol = charmap;
            break;
        default:
            break;
        }
    }
    if (!primary)
        primary = ftFace->charmap;
    if (symbol == primary)
        symbol = nullptr;

    // The symbol map, where there is one, is short (its codes lie in one 16-bit page): it is
    // gathered first and merged in while the other map is walked in order.
    QList<char32_t> symbolCharacters;
    walkCharmap(ftFace, symbol, [&](char32_t c) { symbolCharacters.append(c); });
    RangeBuilder builder;
    qsizetype next = 0;
    walkCharmap(ftFace, primary, [&](char32_t c) {
        for (; next < symbolCharacters.size() && symbolCharacters.at(next) <= c; ++next)
            builder.add(symbolCharacters.at(next));
        builder.add(c);
    });
    for (; next < symbolCharacters.size(); ++next)
        builder.add(symbolCharacters.at(next));
    QList<CharacterMap::Range> ranges = builder.ranges();
    ranges.squeeze();
    return CharacterMap::fromRanges(std::move(ranges), builder.count());
}

namespace {

// fontconfig's best match for `family`, when its family is that one; the caller destroys it.
FcPattern *matchFamily(const QString &family)
{
    FcPattern *pattern = FcPatternCreate();
    const QByteArray name = family.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(name.constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return nullptr;
    // fontconfig always finds something; a typeface of another family is not this one's.
    FcChar8 *found = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &found) == FcResultMatch; ++i)
        if (QString::fromUtf8(reinterpret_cast<const char *>(found)).compare(family, Qt::CaseInsensitive) == 0)
            return match;
    FcPatternDestroy(match);
    return nullptr;
}

} // namespace

CharacterMap typefaceCharacterMap(const QString &family)
{
    FcPattern *match = matchFamily(family);
    if (!match)
        return {};
    FcCharSet *set = nullptr;
    RangeBuilder builder;
    if (FcPatternGetCharSet(match, FC_CHARSET, 0, &set) == FcResultMatch) {
        FcChar32 page[FC_CHARSET_MAP_SIZE];
        FcChar32 next = 0;
        // Pages of 256 characters come in ascending order, each a bitmap of 8 words.
        for (FcChar32 base = FcCharSetFirstPage(set, page, &next); base != FC_CHARSET_DONE;
             base = FcCharSetNextPage(set, page, &next))
            for (int word = 0; word < FC_CHARSET_MAP_SIZE; ++word)
                for (int bit = 0; page[word] != 0 && bit < 32; ++bit)
                    if (page[word] & (FcChar32(1) << bit))
                        builder.add(char32_t(base + FcChar32(word) * 32 + FcChar32(bit)));
    }
    FcPatternDestroy(match);
    QList<CharacterMap::Range> ranges = builder.ranges();
    ranges.squeeze();
    return CharacterMap::fromRanges(std::move(ranges), builder.count());
}

TypefaceFile typefaceFile(const QString &family)
{
    FcPattern *match = matchFamily(family);
    if (!match)
        return {};
    TypefaceFile file;
    FcChar8 *path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file.path = QString::fromLocal8Bit(reinterpret_cast<const char *>(path));
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
        file.face = index & 0xFFFF; // the upper bits name a variable font's instance
    FcPatternDestroy(match);
    return file;
}

QList<ScriptCount> scriptCounts(const CharacterMap &map)
{
    hb_unicode_funcs_t *unicode = hb_unicode_funcs_get_default();
    std::map<hb_script_t, qsizetype> counts;
    for (const CharacterMap::Range &range : map.ranges()) {
        for (char32_t c = range.first;; ++c) {
            const hb_script_t script = hb_unicode_script(unicode, c);
            if (script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED && script != HB_SCRIPT_UNKNOWN
                && script != HB_SCRIPT_INVALID)
                ++counts[script];
            if (c == range.last)
                break;
        }
    }
    QList<ScriptCount> list;
    for (const auto &[script, characters] : counts) {
        char tag[5] = {};
        hb_tag_to_string(hb_script_to_iso15924_tag(script), tag);
        list.append({QString::fromLatin1(tag, 4), characters});
    }
    std::sort(list.begin(), list.end(), [](const ScriptCount &a, const ScriptCount &b) {
        return a.characters != b.characters ? a.characters > b.characters : a.code < b.code;
    });
    return list;
}

QList<char32_t> firstCharactersOfScript(const CharacterMap &map, const QString &code, qsizetype n)
{
    const QByteArray tag = code.toLatin1();
    const hb_script_t wanted = hb_script_from_string(tag.constData(), int(tag.size()));
    hb_unicode_funcs_t *unicode = hb_unicode_funcs_get_default();
    QList<char32_t> first;
    for (const CharacterMap::Range &range : map.ranges())
        for (char32_t c = range.first; first.size() < n; ++c) {
            if (hb_unicode_script(unicode, c) == wanted)
                first.append(c);
            if (c == range.last)
                break;
        }
    return first;
}

QString scriptName(const QString &code)
{
    const QLocale::Script script = QLocale::codeToScript(code);
    return script == QLocale::AnyScript ? code : QLocale::scriptToString(script);
}

} // namespace platform
