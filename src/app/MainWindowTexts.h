#pragma once
// The texts of the main window in German and English, side by side, for `Tprog::Sprache`.

#include "ui/Captions.h"

#include <QString>

#include <span>

class QCheckBox;
class QPushButton;
class Tprog;

namespace app {

/// A caption of the main window: its title, or one of its labels, buttons, check boxes, menu items
/// or menus.
using MainWindowCaption = ui::Caption<Tprog, QLabel, QPushButton, QCheckBox, QAction, QMenu>;

/// The captions of the main window, one row per control.
std::span<const MainWindowCaption> mainWindowCaptions();

/// The texts of the output box's first entries, the output targets, in box order; the installed
/// printers that follow them keep their names.
std::span<const ui::TextPair> outputTargetTexts();

/// What follows the donation address in the label `laspenden`.
extern const ui::TextPair kDonationThanks;
/// The word that names the sample box's custom entry, "Benutzerdefiniert" or "Custom".
extern const ui::TextPair kCustomWord;
/// The file name the save dialog proposes after a language switch.
extern const ui::TextPair kSaveFileName;
/// The mark after a font list entry whose font cannot be read.
extern const ui::TextPair kUnusableMark;

/// Whether `text` is the sample box's custom entry, in either language ("Benutzerdefiniert.." or
/// "Custom..").
bool isCustomEntry(const QString &text);

} // namespace app
