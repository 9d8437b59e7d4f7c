#pragma once
// What a sheet's numbers must keep to for its lines to show at all. A run with numbers outside
// these is refused, with the reason, before anything is written: otherwise a size beyond what the
// font engines draw gives pages of black boxes, and a margin or line spacing past the page gives
// pages without text, and both would end as if the sheet had been made.

#include "output/DocxWriter.h"
#include "output/PrintSheet.h"

#include <QSize>
#include <QString>

namespace output {

/// The largest font size of a sheet, in points, on every target: the largest a word-processor
/// document can hold, far beyond any line that fits on a page.
inline constexpr int kMaxSheetFontSize = docx::kMaxFontSize;

/// Why no target can set a sheet in `numbers`' font size (outside 1 to kMaxSheetFontSize
/// points), in the interface language; empty when it can.
QString sizeProblem(const SheetNumbers &numbers, bool german);

/// Why `numbers` leave no line of a sheet on a page whose printable area is `page` device pixels
/// at `dpi` dots per inch: the top margin, the line spacing and one em of the font size
/// together reach below the page (a line's baseline lies about an em below its top), or the left
/// margin lies beyond its right edge. Empty when lines show on the page.
QString pageProblem(const SheetNumbers &numbers, QSize page, int dpi, bool german);

/// Why no line of a sheet fits on an image at most `maxHeight` pixels high: the line spacing
/// alone, with the image's edges, is higher. Empty when it fits.
QString imageProblem(const SheetNumbers &numbers, int maxHeight, bool german);

} // namespace output
