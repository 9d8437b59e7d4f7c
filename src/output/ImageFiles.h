#pragma once
// Encoders of the image targets: a finished sheet image written as a Windows bitmap, a JPEG file
// (libjpeg, quality 85) or a GIF file (giflib, fixed 216-colour palette without dithering).
//
// Every function here reports failure by throwing util::Error whose message is the reason
// given by the system or the encoder ("No space left on device", "Maximum supported image
// dimension is 65500 pixels"), or platform::RefusedTarget for a name a save does not write to; callers
// add the file name and the interface language. Encoder objects and buffers are released before
// the exception leaves.

#include "platform/SafeSave.h"
#include "util/Errors.h"

#include <QByteArray>
#include <QRgb>
#include <QString>

#include <functional>

class QFile;
class QImage;
class QIODevice;

namespace output {

/// The three file formats of the image targets.
enum class ImageFormat { Bmp, Jpeg, Gif };

/// The JPEG quality the image target writes with.
inline constexpr int kJpegQuality = 85;

/// The level (0 to 5) of the six-level palette that a channel value 0 to 255 maps to:
/// (v + 3) div 51, so 0..47 -> 0, 48..98 -> 1, …, 252..255 -> 5.
constexpr int gifLevel(int channel)
{
    return (channel + 3) / 51;
}

/// The entry of the 216-colour palette that `colour` maps to, each channel on its own and
/// without dithering: 36 × red level + 6 × green level + blue level. Alpha is ignored.
constexpr int gifPaletteIndex(QRgb colour)
{
    return 36 * gifLevel(qRed(colour)) + 6 * gifLevel(qGreen(colour)) + gifLevel(qBlue(colour));
}

/// The colour of palette entry `index` (0 to 215): 51 × each level, opaque.
constexpr QRgb gifPaletteColour(int index)
{
    return qRgb(51 * (index / 36), 51 * (index / 6 % 6), 51 * (index % 6));
}

/// Writes `image` to `device` as an uncompressed Windows bitmap: at the image's own depth where
/// it has a palette, 24 bits per pixel otherwise.
void writeBmp(const QImage &image, QIODevice &device);

/// Writes `image` to `device` as a sequential JFIF file with three components (RGB taken in,
/// YCbCr stored), libjpeg's default parameters and quality `kJpegQuality` with baseline tables.
void writeJpeg(const QImage &image, QIODevice &device);

/// Writes `image` to `device` as a single-image GIF with LZW compression, every pixel mapped
/// alone to the 216-colour palette (gifPaletteIndex); the colour map has 256 entries, the 216
/// palette colours first and black after them.
void writeGif(const QImage &image, QIODevice &device);

/// Writes `image` in `format` to `device`.
void writeImage(const QImage &image, ImageFormat format, QIODevice &device);

/// The file contents of `image` in `format`, encoded in memory.
QByteArray encodeImage(const QImage &image, ImageFormat format);

// Every file target writes through the one safe save.
using platform::RefusedTarget;
using platform::saveBytes;
using platform::saveThrough;

/// Encodes `image` in `format` straight into the file `path`, replaced as platform::saveThrough()
/// does.
void saveImage(const QImage &image, ImageFormat format, const QString &path);

} // namespace output
