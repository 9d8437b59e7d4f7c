#pragma once
// Fonts of a PDF document written by Qt's engine, written out as the document goes.

class QPainter;

namespace platform {

/// Writes the fonts that the pages of the PDF document `painter` paints on have used so far into
/// the document, and lets go of them. Qt's engine otherwise holds every font (its face and file
/// data) until the document ends, however many pages ago it was last used; a font used again later
/// is embedded again then, with the glyphs used from then on. Call it between pages, right after a
/// new page began. Nothing happens when `painter` paints on anything but a PDF document.
void writeUsedFonts(QPainter &painter);

} // namespace platform
