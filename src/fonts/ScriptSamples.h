#pragma once
// Short sample texts, one per script, and the choice of the sample a font's sheet line shows when
// the sheet's own text is in letters the font does not have: a font made for one script then
// shows that script rather than a row of empty boxes.

#include "typeface/CharacterMap.h"

#include <QString>

#include <span>
#include <string_view>

namespace fonts {

/// A short text in one script.
struct ScriptSample
{
    std::u16string_view code; ///< the script's ISO 15924 code ("Arab", "Hira")
    std::u16string_view text;
};

/// The sample texts, one per script, by code in alphabetical order.
std::span<const ScriptSample> scriptSamples();

/// The sample text of the script of ISO 15924 code `code`; empty for a script without one.
QString scriptSample(const QString &code);

/// How many of its first characters a font of no script with a sample shows.
inline constexpr qsizetype kFirstCharactersShown = 20;

/// The sample a font with the character map `map` shows in place of the sheet's `sample`:
/// `sample` itself when the font has all its characters (spaces and controls are not asked for)
/// or when the map is empty (nothing is known of the font); otherwise the sample of the first of
/// the font's scripts, most characters first, whose sample the font shows whole (a font whose
/// largest script has no sample here shows the first kFirstCharactersShown letters of that
/// script); failing that,
/// the sample of its largest script with a sample, without the characters the font lacks (an
/// accented letter it lacks shown as its letter where the font has that); and a
/// font of no such script (symbols, dingbats, private characters) shows its first
/// kFirstCharactersShown characters.
QString ownScriptSample(const platform::CharacterMap &map, const QString &sample);

} // namespace fonts
