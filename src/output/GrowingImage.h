#pragma once
// The working image of an image sheet: a white 32-bit image that grows line by line. Its visible
// size follows every enlargement exactly, while its storage grows ahead (in place where the
// allocator allows), so a sheet of N lines costs time and memory linear in N. An enlargement can
// fail: beyond the size limits, or when memory cannot be had.

#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

namespace output {

/// The largest working image allowed.
struct ImageLimits
{
    int maxWidth = 32767;
    int maxHeight = 65500; ///< the highest image every writer (JPEG: 65500) can save
    /// 320 MB of 32-bit pixels: a sheet larger than that goes to numbered part images, so the
    /// program's memory stays within half a gigabyte whatever the list holds.
    qint64 maxPixels = 80'000'000;
};

/// Whether an image of `width` × `height` pixels is within `limits`.
bool withinLimits(const ImageLimits &limits, qint64 width, qint64 height);

/// The largest size within `limits` that an image of `width` × `height` pixels is cut to: the
/// height first, then the width, each at least 1.
QSize clippedSize(const ImageLimits &limits, qint64 width, qint64 height);

/// The storage to reserve for `needed` units when `current` are reserved: at least `needed`,
/// and 1/`growthDivisor` more than before when it grows, never more than `limit` (unless
/// `needed` is).
qint64 grownCapacity(qint64 needed, qint64 current, qint64 limit, int growthDivisor = 4);

/// Lines per part image of a split run after a failure at entry `f` (0-based, so f lines were
/// complete): 100 from f = 100 on, otherwise four fifths of f rounded down to a multiple of four.
int linesPerPart(int f);

/// The file of part `k` of a split run: `base`, the number, the extension (".bmp").
QString partFileName(const QString &base, int k, const QString &extension);

/// `path` without the extension of its file name part ("sheet.gif" gives "sheet").
QString withoutExtension(const QString &path);

class GrowingImage
{
public:
    explicit GrowingImage(const ImageLimits &limits = ImageLimits(), int dotsPerMeter = 3780);
    ~GrowingImage();
    GrowingImage(const GrowingImage &) = delete;
    GrowingImage &operator=(const GrowingImage &) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }

    /// Sets the visible width; what is drawn keeps its place and new area is white. Throws
    /// util::Error when the size is beyond the limits or memory cannot be had; the image is
    /// unchanged then.
    void setWidth(int width);
    /// Sets the visible height, as setWidth(); a smaller height drops the rows below it.
    void setHeight(int height);
    /// Empties the image (0 × 0) and releases its storage.
    void clear();

    /// Empties the image (0 × 0) but keeps its storage for the next image of about its size: the
    /// parts of a split run are drawn one after the other in the same memory, which then needs
    /// no new pages from the system for each part.
    void empty();

    /// The visible image, sharing the pixels (valid until the next size change); draw on it with
    /// QPainter or hand it to a writer. Null while the image is empty.
    QImage view();

    /// The bytes reserved for pixels.
    qint64 reservedBytes() const { return qint64(m_stride) * m_capacityRows; }

private:
    void reserve(int columns, int rows);
    void whiten(int fromRow, int toRow);
    /// Moves the rows in use to a stride of `columns`, fewer than now, keeping the storage.
    void narrow(int columns);
    void checkLimits(qint64 width, qint64 height) const;

    ImageLimits m_limits;
    int m_dotsPerMeter;
    uchar *m_data = nullptr;
    qsizetype m_stride = 0; ///< bytes per row of storage
    int m_capacityRows = 0;
    int m_readyRows = 0;    ///< rows from the top that are initialised (drawn on or white)
    int m_width = 0;
    int m_height = 0;
};

} // namespace output
