#pragma once
// Encoders of the image targets: a finished sheet image written as a Windows bitmap, a JPEG file
// (libjpeg, quality 85) or a GIF file (giflib, fixed 216-colour palette without dithering).
//
// Every function here reports failure by throwing util::Error whose message is the reason
// given by the system or the encoder ("No space left on device", "Maximum supported image
// dimension is 65500 pixels"), or RefusedTarget for a name a save does not write to; callers
// add the file name and the interface language. Encoder objects and buffers are released before
// the exception leaves.

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

/// A file name a save refuses to write to.
class RefusedTarget : public util::Error
{
public:
    enum Reason {
        PlantedLink, ///< a link another user put into a shared (sticky) folder
        NotAFile,    ///< a FIFO, device or socket, or a link to one
    };
    RefusedTarget(Reason reason, const QString &message)
        : util::Error(message)
        , m_reason(reason)
    {
    }
    /// Why the name was refused.
    Reason reason() const { return m_reason; }

private:
    Reason m_reason;
};

/// Writes `bytes` as the file `path`. The file is written under a temporary name in the folder
/// of the file it replaces and renamed into place only when complete, so an existing file of that
/// name is replaced then, and left untouched when writing fails. A link at `path` is followed to
/// the file it names, unless another user planted it in a shared folder: a link in a sticky
/// folder writable by all that belongs neither to the user nor to the folder's owner, which the
/// kernel's protection of links would not follow either. A name that leads to something other
/// than a regular file (a FIFO, a device) is not replaced. Both throw RefusedTarget.
void saveBytes(const QByteArray &bytes, const QString &path);

/// Writes the file `path` through `write`, which is handed the open, empty new file and writes
/// it from its start; the file is replaced as saveBytes() does once `write` returns and everything
/// reached the disk. A failed write of the file (a full disk) throws util::Error with the
/// system's reason, whether or not `write` noticed it. Anything `write` throws leaves the run
/// without a file: the new file is removed and an existing one keeps its contents.
void saveThrough(const QString &path, const std::function<void(QFile &)> &write);

/// Encodes `image` in `format` straight into the file `path`, replaced as saveBytes() does.
void saveImage(const QImage &image, ImageFormat format, const QString &path);

} // namespace output
