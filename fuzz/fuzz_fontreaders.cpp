// Fuzz entry point of every reader a listed font file meets after its name: the bounded read in
// the face the list chose, the character map the coverage question and the drawing share, the
// facts of the information window and the listing, the signature and byte comparison of the
// duplicate question, and the choice of a sheet line's own-script sample. Every input becomes
// the contents of two in-memory files, listed as a folder load lists them. A result that breaks
// the readers' bounds aborts: more characters than Unicode has, ranges out of order, more axes,
// instances or name bytes than kept, a half character in a name, a file its own duplicate's
// duplicate. A slow input counts as a hang (the fuzz script's one-second limit).

#include "fuzz/FuzzEntry.h"
#include "fuzz/MemoryFile.h"

#include "fonts/FontEntry.h"
#include "fonts/FontFileName.h"
#include "fonts/ListQuestions.h"
#include "fonts/ScriptSamples.h"
#include "typeface/CharacterMap.h"
#include "typeface/FileFaces.h"
#include "typeface/FontFacts.h"
#include "typeface/FontFile.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char *what, long long value)
{
    std::fprintf(stderr, "%s: %lld\n", what, value);
    std::abort();
}

/// Aborts when `text` is longer than `maxCharacters` or holds half a character.
void checkText(const char *what, const QString &text, qsizetype maxCharacters)
{
    if (text.size() > maxCharacters)
        broken(what, text.size());
    if (!text.isValidUtf16())
        broken(what, -1);
}

void checkMap(const platform::CharacterMap &map)
{
    qsizetype count = 0;
    char32_t next = 0;
    for (const platform::CharacterMap::Range &range : map.ranges()) {
        if (range.first < next || range.last < range.first || range.last > 0x10FFFF)
            broken("character ranges out of order", range.first);
        count += range.last - range.first + 1;
        next = range.last + 2; // adjacent ranges are joined
    }
    if (count != map.characterCount())
        broken("characters counted", map.characterCount());
}

void checkFacts(const platform::FontFacts &facts, const platform::CharacterMap &map)
{
    if (facts.axes.size() > platform::kMaxAxes)
        broken("axes kept", facts.axes.size());
    if (facts.instances.size() > platform::kMaxInstances)
        broken("instances kept", facts.instances.size());
    for (const platform::NamedInstance &instance : facts.instances) {
        if (instance.coordinates.size() > facts.axes.size())
            broken("coordinates of an instance", instance.coordinates.size());
        checkText("instance name", instance.name, platform::kMaxNameBytes);
    }
    for (const platform::FontAxis &axis : facts.axes)
        checkText("axis name", axis.name, platform::kMaxNameBytes);
    for (const QString *name : {&facts.family, &facts.style, &facts.fullName, &facts.postScriptName, &facts.version,
                                &facts.designer, &facts.manufacturer})
        checkText("name", *name, platform::kMaxNameBytes);
    for (const QString *text : {&facts.copyright, &facts.licence, &facts.licenceUrl, &facts.description})
        checkText("long name", *text, platform::kMaxLongNameBytes);
    // The facts count the very map the list asks.
    if (facts.characters != map.characterCount())
        broken("characters of the facts", facts.characters);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzzfiles::MemoryFile first;
    static fuzzfiles::MemoryFile second;
    first.setContents(data, size);
    second.setContents(data, size);
    static const QString firstPath = first.path();
    static const QString secondPath = second.path();

    // Listed as a folder load lists a file: its name, identity and face.
    auto &faces = platform::FileFaces::instance();
    const FontFileNames names = ReadFontFileNames(firstPath);
    faces.setListedFile(firstPath, names.identity, names.face);
    faces.setListedFile(secondPath, ReadFontFileNames(secondPath).identity, names.face);

    const platform::FontFileBytes file = platform::readFontFile(firstPath, names.identity);
    if (file.fault == platform::FontFileFault::None) {
        const platform::CharacterMap map = platform::readCharacterMap(file.bytes, names.face);
        checkMap(map);
        bool opened = false;
        const platform::FontFacts facts = platform::readFontFacts(file.bytes, names.face, firstPath, {}, &opened);
        if (opened)
            checkFacts(facts, map);
        // A sample from the font's own letters: a few dozen characters at most.
        checkText("own-script sample", fonts::ownScriptSample(map, QStringLiteral("Hamburg")), 256);
    }

    const FontFileSignature signature = ReadFontFileSignature(firstPath, names.face);
    checkText("PostScript name", signature.postScriptName, platform::kMaxNameBytes);
    checkText("version", signature.version, platform::kMaxNameBytes);

    // Two files of the same bytes: the second is a duplicate of the first or of nothing.
    const QList<qsizetype> duplicates = fonts::duplicateOf(
        {fonts::FontListEntry::file(QStringLiteral("A"), firstPath), fonts::FontListEntry::file(QStringLiteral("B"), secondPath)});
    if (duplicates.size() != 2 || duplicates[0] != -1 || duplicates[1] > 0)
        broken("duplicate of", duplicates.value(1, -2));
    return 0;
}
