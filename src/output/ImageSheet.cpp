#include "output/ImageSheet.h"

#include "output/ImageFiles.h"
#include "output/ImageSave.h"
#include "output/RunWindows.h"
#include "output/SheetLimits.h"
#include "platform/Dialogs.h"
#include "util/Errors.h"

#include <QGuiApplication>
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

struct FormatInfo
{
    QString filter;
    QString extension;
};

FormatInfo formatInfo(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Bmp:
        return {QStringLiteral("BMP (*.bmp)|*.bmp"), QStringLiteral(".bmp")};
    case ImageFormat::Jpeg:
        return {QStringLiteral("JPG (*.jpg)|*.jpg"), QStringLiteral(".jpg")};
    case ImageFormat::Gif:
        return {QStringLiteral("GIF (*.gif)|*.gif"), QStringLiteral(".gif")};
    }
    return {};
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

// Sets the line of one entry on the image at position y and returns the position of the next.
int setImageLine(GrowingImage &image, const LineSetter &setter, const SheetLine &line, int y, int spacing)
{
    const LineMetrics metrics = setter.measure(line);
    if (qint64(image.width()) < qint64(metrics.width) + 40)
        image.setWidth(int(std::min<qint64>(qint64(metrics.width) + 40, std::numeric_limits<int>::max())));
    const int h = metrics.height;
    const qint64 next = qint64(y) + h + spacing;
    const qint64 height = next + h + 20;
    if (height > std::numeric_limits<int>::max() || next < std::numeric_limits<int>::min())
        throw util::Error(QStringLiteral("The image cannot be that high."));
    image.setHeight(int(height));

    QImage view = image.view();
    QPainter painter(&view);
    // Form A writes in black; form B keeps the font's default colour, the window text colour.
    painter.setPen(line.formB ? QGuiApplication::palette().color(QPalette::WindowText) : QColor(Qt::black));
    setter.draw(painter, line, metrics, 20, y + spacing);
    return int(next);
}

void saveWithDialog(ImageFormat format, const QImage &image, RunWindows &windows, bool german)
{
    // The name chosen is kept for the next proposal also when the file cannot be written.
    QString fileName = windows.lastFileName();
    const auto keepName = qScopeGuard([&] { windows.setLastFileName(fileName); });
    switch (format) {
    case ImageFormat::Bmp:
        SaveBmpWithDialog(image, fileName, german);
        break;
    case ImageFormat::Jpeg:
        SaveJpgWithDialog(image, fileName, german);
        break;
    case ImageFormat::Gif:
        SaveGifWithDialog(image, fileName, german);
        break;
    }
}

void saveToName(ImageFormat format, const QImage &image, const QString &path, bool german)
{
    switch (format) {
    case ImageFormat::Bmp:
        SaveBmpToName(image, path, german);
        break;
    case ImageFormat::Jpeg:
        SaveJpgToName(image, path, german);
        break;
    case ImageFormat::Gif:
        SaveGifToName(image, path, german);
        break;
    }
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
    const FormatInfo info = formatInfo(format);
    // Cancelling the name ends the split run: parts are never written anywhere unasked.
    QString fileName = windows.lastFileName();
    const QString chosen = askImageFileName(info.filter, info.extension, fileName);
    if (chosen.isEmpty())
        return;
    windows.setLastFileName(chosen);
    const QString base = withoutExtension(chosen);
    const int n = linesPerPart(f);
    try {
        RunScope run(windows, sheet.count());
        WorkingImage work(numbers, style);
        GrowingImage &image = work.image;
        int k = 0;
        int c = 0;
        int y = 20;
        for (qsizetype i = 0; i < sheet.count(); ++i) {
            if (windows.abortRequested())
                break;
            const int next = setImageLine(image, work.setter, sheet.line(i), y, numbers.spacing);
            ++c;
            windows.lineDone(i);
            if (c == n || i == sheet.count() - 1) {
                image.setHeight(image.height() + 20);
                saveToName(format, image.view(), partFileName(base, k, info.extension), style.german);
                c = 0;
                image.empty();
                image.setWidth(20);
                image.setHeight(20);
                ++k;
                y = 20;
            } else {
                y = next;
            }
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
    }
}

} // namespace

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

void imageSheet(const QString &target, const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet,
                RunWindows &windows)
{
    ImageFormat format = ImageFormat::Bmp;
    if (target.startsWith(QLatin1String("BMP-")))
        format = ImageFormat::Bmp;
    else if (target.startsWith(QLatin1String("JPG-")))
        format = ImageFormat::Jpeg;
    else if (target.startsWith(QLatin1String("GIF-")))
        format = ImageFormat::Gif;
    else
        return;
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
