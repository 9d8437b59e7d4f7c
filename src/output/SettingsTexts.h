#pragma once
// The texts of the settings dialog in German and English, side by side, for `Teinst::LocalSpr`.

#include "ui/AccessibleTexts.h"
#include "ui/Captions.h"

#include <span>

class QPushButton;
class QRadioButton;
class Teinst;

namespace ui {
class ClickLabel;
}

namespace output {

/// A caption of the settings dialog: its title, or one of its group boxes, labels, buttons or
/// radio buttons.
using SettingsCaption = ui::Caption<Teinst, QGroupBox, QLabel, ui::ClickLabel, QPushButton, QRadioButton>;

/// The captions of the settings dialog, one row per control.
std::span<const SettingsCaption> settingsCaptions();

/// What a screen reader says of the settings dialog's fields beyond their captions.
std::span<const ui::AccessibleText> settingsAccessibleTexts();

} // namespace output
