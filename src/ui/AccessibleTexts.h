#pragma once
// What a screen reader says about a window's controls, in German and English side by side: one
// row per control that its caption does not name, or does not explain, and the routine that puts
// one language's names on a window.

#include "ui/Captions.h"

#include <QString>

#include <span>

class QWidget;

namespace ui {

/// The accessible name and description of the control named `control` (its object name within
/// the window); an empty name keeps the one the control's caption gives it.
struct AccessibleText
{
    const char *control;
    TextPair name;
    TextPair description;
};

/// The description of a label that opens a web page.
inline constexpr TextPair kLinkDescription{u"Verknüpfung", u"Link"};

/// `caption` as it is read: without its accelerator marks ("&&" stands for "&"), without a colon
/// at its end and without surrounding blanks.
QString spokenCaption(const QString &caption);

/// Names the controls of `window` in German (`german`) or English: every button and check box by
/// its caption, every control with a label as its buddy by that label, an editable drop-down's
/// line and a page control's tab row by their control, every link label by its text and as a
/// link, and then the controls of `texts` by their rows. Runs wherever the window applies its
/// language, so that the names follow a switch.
void applyAccessibleTexts(QWidget *window, std::span<const AccessibleText> texts, bool german);

} // namespace ui
