#pragma once
// The look the program's windows share: their font, their text colour and the colour of links.

#include <QColor>
#include <QFont>

class QWidget;

namespace ui {

/// The font of the program's windows: Tahoma, 11 pixels high (8 points), where it is installed;
/// otherwise the Arial-metric face, closest in width, so the texts fit the places made for them.
QFont windowFont();

/// The font of the two sample boxes (the main window's and the preview window's) at `pixelSize`
/// pixels: MS Sans Serif where it is installed, otherwise its metric stand-in, so that both boxes
/// show the same face.
QFont sampleBoxFont(int pixelSize);

/// The text colour of the program's windows, RGB(15, 63, 111).
QColor textColour();

/// The colour of the labels that open web pages, RGB(0, 51, 102).
QColor linkColour();

/// Gives `window` the program's window font and its text colour for every control in it.
void applyWindowLook(QWidget *window);

} // namespace ui
