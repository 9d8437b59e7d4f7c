#pragma once
// How well a text colour stands out from the colour it is drawn on, as the accessibility
// guidelines for web content measure it.

#include <QColor>

namespace ui {

/// The relative luminance of `colour` (0 for black to 1 for white): its sRGB channels made
/// linear and weighted by how bright the eye sees them.
double relativeLuminance(const QColor &colour);

/// The contrast ratio of `a` and `b`, from 1 (the same luminance) to 21 (black on white); the
/// order does not matter. Body text wants at least 4.5.
double contrastRatio(const QColor &a, const QColor &b);

/// The ratio a text colour must reach against its background to be read without difficulty.
inline constexpr double kMinimumTextContrast = 4.5;

} // namespace ui
