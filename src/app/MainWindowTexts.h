#pragma once
// The texts of the main window in German and English, side by side, for `Tprog::Sprache`.

#include "ui/Captions.h"

#include <QString>

class Tprog;

namespace app {

/// Puts the German (`german`) or English texts on the main window `window`: every caption, the
/// donation label, the output targets (choosing the standard printer again), the sample box's
/// default sentence (which replaces the sample text) and its custom entry, the font count, and
/// which help menu is shown and which language item is ticked.
void applyMainWindowTexts(Tprog &window, bool german);

/// The file name the save dialog proposes after a language switch.
extern const ui::TextPair kSaveFileName;
/// The mark after a font list entry whose font cannot be read.
extern const ui::TextPair kUnusableMark;

/// Whether `text` is the sample box's custom entry, in either language ("Benutzerdefiniert.." or
/// "Custom..").
bool isCustomEntry(const QString &text);

} // namespace app
