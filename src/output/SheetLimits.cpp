#include "output/SheetLimits.h"

namespace output {

QString sizeProblem(const SheetNumbers &numbers, bool german)
{
    if (numbers.size >= 1 && numbers.size <= kMaxSheetFontSize)
        return {};
    return german ? QStringLiteral("Die Schriftgröße %1 geht nicht: Ein Schriftmusterblatt nimmt Größen von 1 bis %2 "
                                   "Punkt an.")
                        .arg(numbers.size)
                        .arg(kMaxSheetFontSize)
                  : QStringLiteral("The font size %1 cannot be used: a font sheet takes sizes from 1 to %2 points.")
                        .arg(numbers.size)
                        .arg(kMaxSheetFontSize);
}

QString pageProblem(const SheetNumbers &numbers, QSize page, int dpi, bool german)
{
    // A line is set `spacing` below the top margin of each page, and its text hangs about an em
    // below that: a line that would begin its letters below the page is never seen. Sums in 64
    // bits: the settings may hold any 32-bit number.
    const qint64 em = (qint64(numbers.size) * dpi + 71) / 72;
    if (qint64(numbers.top) + numbers.spacing + em >= page.height())
        return german ? QStringLiteral("Oberer Rand (%1), Zeilenabstand (%2) und Schriftgröße (%3 Punkt, %4 Pixel) "
                                       "reichen zusammen über die Höhe der Seite (%5 Pixel) hinaus: Keine Zeile wäre "
                                       "auf dem Papier zu sehen.")
                            .arg(numbers.top)
                            .arg(numbers.spacing)
                            .arg(numbers.size)
                            .arg(em)
                            .arg(page.height())
                      : QStringLiteral("The top margin (%1), the line spacing (%2) and the font size (%3 points, %4 "
                                       "pixels) together reach past the height of the page (%5 pixels): no line would "
                                       "be seen on the paper.")
                            .arg(numbers.top)
                            .arg(numbers.spacing)
                            .arg(numbers.size)
                            .arg(em)
                            .arg(page.height());
    if (numbers.left >= page.width())
        return german ? QStringLiteral("Der linke Rand (%1) reicht über die Breite der Seite (%2 Pixel) hinaus: Keine "
                                       "Zeile wäre auf dem Papier zu sehen.")
                            .arg(numbers.left)
                            .arg(page.width())
                      : QStringLiteral("The left margin (%1) reaches past the width of the page (%2 pixels): no line "
                                       "would be seen on the paper.")
                            .arg(numbers.left)
                            .arg(page.width());
    return {};
}

QString imageProblem(const SheetNumbers &numbers, int maxHeight, bool german)
{
    // An image begins and ends with a 20-pixel edge, and every line has the spacing above it.
    if (qint64(numbers.spacing) + 40 < maxHeight)
        return {};
    return german ? QStringLiteral("Der Zeilenabstand (%1) ist höher, als ein Bild sein kann (%2 Pixel).")
                        .arg(numbers.spacing)
                        .arg(maxHeight)
                  : QStringLiteral("The line spacing (%1) is higher than an image can be (%2 pixels).")
                        .arg(numbers.spacing)
                        .arg(maxHeight);
}

} // namespace output
