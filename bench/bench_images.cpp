// Times the three image encoders on one large sheet-like image (black text lines on white) and
// ImageMagick's `convert` writing the same image to the same format and quality.
// Usage: bench_images [width] [height] [runs]

#include "output/ImageFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

// A font sheet: numbered lines in a few typefaces and sizes, black on white, antialiased.
QImage sheetImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    const QStringList families = {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif"),
                                  QStringLiteral("Liberation Mono"), QStringLiteral("Noto Sans")};
    int y = 20;
    for (int line = 1; y < height - 20; ++line) {
        QFont font(families.at(line % families.size()));
        font.setPixelSize(14 + (line % 3) * 4);
        font.setItalic(line % 5 == 0);
        painter.setFont(font);
        const QString text = QStringLiteral("%1  --  %2  --  The quick brown fox jumps over the lazy dog 0123456789 "
                                            "ÄÖÜ äöü ß — Sphinx of black quartz, judge my vow.")
                                 .arg(line)
                                 .arg(font.family());
        y += painter.fontMetrics().height() + 5;
        painter.drawText(20, y, text);
    }
    return image;
}

bool writePpm(const QImage &image, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("P6\n%1 %2\n255\n").arg(image.width()).arg(image.height()).toLatin1());
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < rgb.height(); ++y)
        file.write(reinterpret_cast<const char *>(rgb.constScanLine(y)), qint64(rgb.width()) * 3);
    return file.error() == QFileDevice::NoError;
}

// Best wall time of `runs` calls, in seconds; negative when a call failed.
double bestOf(int runs, const std::function<bool()> &run)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return -1;
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

bool runConvert(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("convert"), arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "convert %s failed\n", qPrintable(arguments.join(QLatin1Char(' '))));
        return false;
    }
    return true;
}

QString sizeText(const QString &path)
{
    return QStringLiteral("%1 KiB").arg(QFileInfo(path).size() / 1024);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int width = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int height = argc > 2 ? std::atoi(argv[2]) : 20000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;

    QTemporaryDir dir;
    // ImageMagick's packaged policy caps images at 16,000 pixels a side and 256 MiB of memory
    // (beyond which it pages to disk); a policy of our own lifts that for the comparison.
    QFile policy(dir.filePath(QStringLiteral("policy.xml")));
    if (!policy.open(QIODevice::WriteOnly))
        return 1;
    policy.write("<policymap>\n"
                 "  <policy domain=\"resource\" name=\"memory\" value=\"8GiB\"/>\n"
                 "  <policy domain=\"resource\" name=\"map\" value=\"8GiB\"/>\n"
                 "  <policy domain=\"resource\" name=\"width\" value=\"1MP\"/>\n"
                 "  <policy domain=\"resource\" name=\"height\" value=\"1MP\"/>\n"
                 "  <policy domain=\"resource\" name=\"area\" value=\"8GP\"/>\n"
                 "  <policy domain=\"resource\" name=\"disk\" value=\"16GiB\"/>\n"
                 "</policymap>\n");
    policy.close();
    qputenv("MAGICK_CONFIGURE_PATH", QFile::encodeName(dir.path()));

    std::printf("sheet %d x %d, RGB32, best of %d runs\n", width, height, runs);
    QElapsedTimer drawing;
    drawing.start();
    const QImage image = sheetImage(width, height);
    std::printf("drawn in %.2f s\n", double(drawing.nsecsElapsed()) / 1e9);
    const QString source = dir.filePath(QStringLiteral("source.ppm"));
    // The palette image for -remap: the 216 colours, one pixel each.
    QImage paletteImage(216, 1, QImage::Format_RGB32);
    for (int i = 0; i < 216; ++i)
        paletteImage.setPixel(i, 0, output::gifPaletteColour(i));
    const QString palette = dir.filePath(QStringLiteral("palette.ppm"));
    if (!writePpm(image, source) || !writePpm(paletteImage, palette))
        return 1;

    const double readOnly = bestOf(runs, [&] { return runConvert({source, QStringLiteral("null:")}); });
    std::printf("convert reading the source only (source.ppm null:): %.3f s\n\n", readOnly);
    std::printf("%-5s %12s %12s %8s   %s\n", "fmt", "ours [s]", "convert [s]", "ratio", "sizes (ours / convert)");

    struct Case
    {
        const char *name;
        output::ImageFormat format;
        QStringList convertArguments;
        QString ours;
        QString theirs;
    };
    const QString oursBmp = dir.filePath(QStringLiteral("ours.bmp")), theirsBmp = dir.filePath(QStringLiteral("theirs.bmp"));
    const QString oursJpg = dir.filePath(QStringLiteral("ours.jpg")), theirsJpg = dir.filePath(QStringLiteral("theirs.jpg"));
    const QString oursGif = dir.filePath(QStringLiteral("ours.gif")), theirsGif = dir.filePath(QStringLiteral("theirs.gif"));
    const QList<Case> cases = {
        {"BMP", output::ImageFormat::Bmp, {source, QStringLiteral("BMP3:") + theirsBmp}, oursBmp, theirsBmp},
        {"JPEG", output::ImageFormat::Jpeg, {source, QStringLiteral("-quality"), QStringLiteral("85"), theirsJpg},
         oursJpg, theirsJpg},
        {"GIF", output::ImageFormat::Gif,
         {source, QStringLiteral("+dither"), QStringLiteral("-remap"), palette, theirsGif}, oursGif, theirsGif},
    };
    for (const Case &c : cases) {
        const double ours = bestOf(runs, [&] {
            try {
                output::saveImage(image, c.format, c.ours);
                return true;
            } catch (const std::exception &e) {
                std::fprintf(stderr, "%s: %s\n", c.name, e.what());
                return false;
            }
        });
        const double theirs = bestOf(runs, [&] { return runConvert(c.convertArguments); });
        std::printf("%-5s %12.3f %12.3f %8.2f   %s / %s\n", c.name, ours, theirs, theirs / ours,
                    qPrintable(sizeText(c.ours)), qPrintable(sizeText(c.theirs)));
    }
    std::printf("\nratio = convert time / our time (above 1: ours is faster). convert includes reading the "
                "source, see the read-only line.\n");
    return 0;
}
