#include "output/ImageSheet.h"

#include "output/ImageFiles.h"
#include "output/ImageSave.h"
#include "output/RunWindows.h"
#include "output/SheetLimits.h"
#include "platform/Dialogs.h"
#include "util/Errors.h"

#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QScopeGuard>
#include <QScreen>

#include <cmath>
#include <limits>
#include <exception>

namespace output {
namespace {

ImageLimits &limitsInForce()
{
    static ImageLimits limits;
    return limits;
}

// Dots per metre of the screen: point sizes on images are converted at the screen's resolution.
int screenDotsPerMeter()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return int(std::lround(dpi / 0.0254));
}

// A 1 × 1 image that measures text at `dotsPerMeter`.
QImage measuringDevice(int dotsPerMeter)
{
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    return device;
}

// The working image of a run, created at 20 × 20, with the run's drawing font.
struct WorkingImage
{
    WorkingImage(const SheetNumbers &numbers, const RunStyle &style)
        : image(limitsInForce(), screenDotsPerMeter())
        , device(measuringDevice(screenDotsPerMeter()))
        , setter(&device, numbers.size, style.italic, style.bold, style.german)
    {
        image.setWidth(20);
        image.setHeight(20);
    }

    GrowingImage image;
    QImage device;
    LineSetter setter;
};

// Where a measured line goes on the image when set at position y: the image's size with it (the
// width only grows; the height is the next position, one more line height and 20) and the
// position of the next line.
struct LinePlace
{
    qint64 width = 0;
    qint64 height = 0;
    qint64 next = 0;
};

LinePlace placeLine(const GrowingImage &image, const LineMetrics &metrics, int y, int spacing)
{
    const int h = metrics.height;
    const qint64 next = qint64(y) + h + spacing;
    return {std::max<qint64>(image.width(), qint64(metrics.width) + 40), next + h + 20, next};
}

// Sets a measured line on the image at position y, the image taking the size `place` gives;
// returns the position of the next line. What lies beyond that size is cut off.
int drawLine(GrowingImage &image, const LineSetter &setter, const SheetLine &line, const LineMetrics &metrics,
             const LinePlace &place, int y, int spacing)
{
    if (place.height > std::numeric_limits<int>::max() || place.next < std::numeric_limits<int>::min()
        || place.width > std::numeric_limits<int>::max())
        throw util::Error(QStringLiteral("The image cannot be that large."));
    if (image.width() < place.width)
        image.setWidth(int(place.width));
    image.setHeight(int(place.height));

    QImage view = image.view();
    QPainter painter(&view);
    // Form A writes in black; form B keeps the font's default colour, the window text colour.
    painter.setPen(line.formB ? QGuiApplication::palette().color(QPalette::WindowText) : QColor(Qt::black));
    setter.draw(painter, line, metrics, 20, y + spacing);
    return int(place.next);
}

// Sets the line of one entry on the image at position y and returns the position of the next.
int setImageLine(GrowingImage &image, const LineSetter &setter, const SheetLine &line, int y, int spacing)
{
    const LineMetrics metrics = setter.measure(line);
    return drawLine(image, setter, line, metrics, placeLine(image, metrics, y, spacing), y, spacing);
}

void saveWithDialog(ImageFormat format, const QImage &image, RunWindows &windows, bool german)
{
    // The name chosen is kept for the next proposal also when the file cannot be written.
    QString fileName = windows.lastFileName();
    const auto keepName = qScopeGuard([&] { windows.setLastFileName(fileName); });
    saveImageWithDialog(image, format, fileName, german);
}

// The one image run. Returns the failure index f when it failed, -1 when it ended normally.
int singleRun(ImageFormat format, const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet,
              RunWindows &windows)
{
    int done = 0;
    try {
        RunScope run(windows, sheet.count());
        WorkingImage work(numbers, style);
        GrowingImage &image = work.image;
        int y = 20;
        for (qsizetype i = 0; i < sheet.count(); ++i) {
            if (windows.abortRequested())
                break;
            y = setImageLine(image, work.setter, sheet.line(i), y, numbers.spacing);
            windows.lineDone(i);
            ++done;
        }
        image.setHeight(image.height() + 20);
        run.end();
        // A run ended by the program's end offers nothing for saving.
        if (!windows.exitRequested())
            saveWithDialog(format, image.view(), windows, style.german);
    } catch (const FileWriteError &) {
        // The image was built but its file could not be written: more memory or a split would
        // not help. The run ends with the failure, reported with the file and the reason.
        throw;
    } catch (const std::exception &) {
        // Any failure in making or converting the image: the image is gone and the windows are
        // back before the user is told.
        return done;
    }
    return -1;
}

void splitRun(ImageFormat format, int f, const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet,
              RunWindows &windows)
{
    const ImageFileType type = imageFileType(format);
    // Cancelling the name ends the split run: parts are never written anywhere unasked.
    QString fileName = windows.lastFileName();
    const QString chosen = askImageFileName(type.partsFilter, type.extension, fileName);
    if (chosen.isEmpty())
        return;
    windows.setLastFileName(chosen);
    const QString base = withoutExtension(chosen);
    const int n = linesPerPart(f);
    const ImageLimits limits = limitsInForce();
    // Lines cut off at the edge of the parts written.
    int clipped = 0;
    try {
        RunScope run(windows, sheet.count());
        WorkingImage work(numbers, style);
        GrowingImage &image = work.image;
        int k = 0;
        int c = 0;
        int clippedInPart = 0;
        int y = 20;
        const auto writePart = [&] {
            image.setHeight(image.height() + 20);
            saveImageToName(image.view(), format, partFileName(base, k, type.extension), style.german);
            c = 0;
            clipped += clippedInPart;
            clippedInPart = 0;
            image.empty();
            image.setWidth(20);
            image.setHeight(20);
            ++k;
            y = 20;
        };
        for (qsizetype i = 0; i < sheet.count(); ++i) {
            if (windows.abortRequested())
                break;
            const SheetLine line = sheet.line(i);
            const LineMetrics metrics = work.setter.measure(line);
            // A part holds as many lines as fit within the limits, the 20 pixels added below its
            // last line included, and at most n: a line that would not fit begins the next part.
            LinePlace place = placeLine(image, metrics, y, numbers.spacing);
            if (c > 0 && !withinLimits(limits, place.width, place.height + 20)) {
                writePart();
                place = placeLine(image, metrics, y, numbers.spacing);
            }
            if (!withinLimits(limits, place.width, place.height + 20)) {
                // Larger than any image on its own: drawn cut off at the edges of its part.
                const QSize size = clippedSize(limits, place.width, place.height + 20);
                place.width = size.width();
                place.height = std::max(size.height() - 20, 1);
                ++clippedInPart;
            }
            const int next = drawLine(image, work.setter, line, metrics, place, y, numbers.spacing);
            ++c;
            windows.lineDone(i);
            if (c == n || i == sheet.count() - 1)
                writePart();
            else
                y = next;
        }
    } catch (const FileWriteError &) {
        // The parts written so far stay; the run ends with the failure as it is.
        throw;
    } catch (const std::exception &) {
        dialogs::message(dialogs::MessageKind::ErrorQuestion,
                         style.german
                             ? QStringLiteral("Die Speicherverhältnisse haben sich geändert, so dass eine Neuberechnung "
                                              "nötig\r\nwurde. Bitte versuchen Sie es noch einmal.")
                             : QStringLiteral("The memory has changed, so that it is necessary to calculate the "
                                              "ressources \r\nonce again. Please try it again."));
        return;
    }
    if (clipped > 0 && !windows.exitRequested())
        dialogs::message(dialogs::MessageKind::Information, clippedLinesText(clipped, style.german));
}

} // namespace

QString clippedLinesText(int lines, bool german)
{
    const ImageLimits limits = limitsInForce();
    const QString size = QStringLiteral("%1 × %2").arg(limits.maxWidth).arg(limits.maxHeight);
    const QString pixels = QLocale(german ? QLocale::German : QLocale::English).toString(limits.maxPixels);
    if (german) {
        const QString text = lines == 1
            ? QStringLiteral("Eine Zeile war größer, als ein Bild sein kann (höchstens %1 Pixel, %2 Pixel "
                             "insgesamt).\r\nSie wurde am Rand ihres Bildes abgeschnitten; mit einer kleineren "
                             "Schriftgröße ist sie ganz zu sehen.")
            : QStringLiteral("%3 Zeilen waren größer, als ein Bild sein kann (höchstens %1 Pixel, %2 Pixel "
                             "insgesamt).\r\nSie wurden am Rand ihrer Bilder abgeschnitten; mit einer kleineren "
                             "Schriftgröße sind sie ganz zu sehen.");
        return lines == 1 ? text.arg(size, pixels) : text.arg(size, pixels, QString::number(lines));
    }
    const QString text = lines == 1
        ? QStringLiteral("One line was larger than an image can be (at most %1 pixels, %2 pixels in all).\r\nIt "
                         "was cut off at the edge of its image; a smaller font size shows it whole.")
        : QStringLiteral("%3 lines were larger than an image can be (at most %1 pixels, %2 pixels in all).\r\n"
                         "They were cut off at the edges of their images; a smaller font size shows them whole.");
    return lines == 1 ? text.arg(size, pixels) : text.arg(size, pixels, QString::number(lines));
}

void setImageLimits(const ImageLimits &limits)
{
    limitsInForce() = limits;
}

ImageLimits imageLimits()
{
    return limitsInForce();
}

QString splitQuestionText(bool german)
{
    return german
        ? QStringLiteral("Leider ist nicht genügend Speicher vorhanden, um alle Schriften\r\nauf einem Bild "
                         "auszugeben. Es ist aber möglich, mehrere\r\nEinzelbilder anzulegen.\r\n\r\nMöchten Sie "
                         "die Schriften auf mehreren einzelnen Bildern\r\nausgeben lassen?")
        : QStringLiteral("Unfortunately, you have not enough free memory to print all of\r\nyour selected fonts on "
                         "one image. But it is possible, to\r\ncreate more than one single images..\r\n\r\nDo you "
                         "want to print your fonts on some different images?");
}

void imageSheet(ImageFormat format, const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet,
                RunWindows &windows)
{
    // A line spacing no image can hold would end in the memory question, which would not help.
    if (const QString problem = imageProblem(numbers, limitsInForce().maxHeight, style.german); !problem.isEmpty()) {
        dialogs::message(dialogs::MessageKind::Error, problem);
        return;
    }

    const int f = singleRun(format, numbers, style, sheet, windows);
    if (f < 0 || windows.exitRequested())
        return;
    if (f >= 6) {
        const QString question = splitQuestionText(style.german);
        if (dialogs::message(dialogs::MessageKind::ErrorQuestion, question) == dialogs::Answer::Ok)
            splitRun(format, f, numbers, style, sheet, windows);
        return;
    }
    dialogs::message(dialogs::MessageKind::ErrorQuestion,
                     style.german ? QStringLiteral("Leider ist nicht genügend Speicher vorhanden, um alle Schriften\r\n"
                                                   "auf einem Bild auszugeben. Bitte wählen Sie weniger Schriften.")
                                  : QStringLiteral("Unfortunately, you have not enough free memory to print all of "
                                                   "your selected\r\nfonts on one image. Please select a smaller "
                                                   "amount of fonts."));
}

} // namespace output
