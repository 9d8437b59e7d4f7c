#include "output/GrowingImage.h"

#include "util/Errors.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <limits>

#include <sys/mman.h>

namespace output {
namespace {
constexpr int kBytesPerPixel = 4;

// The pixels live in an anonymous mapping: mremap grows it by moving page tables, never by
// copying, so the old and new storage never take memory side by side, however large the image.
uchar *resizeMapping(uchar *data, size_t oldBytes, size_t newBytes)
{
    void *result = data ? mremap(data, oldBytes, newBytes, MREMAP_MAYMOVE)
                        : mmap(nullptr, newBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return result == MAP_FAILED ? nullptr : static_cast<uchar *>(result);
}
} // namespace

bool withinLimits(const ImageLimits &limits, qint64 width, qint64 height)
{
    return width >= 0 && height >= 0 && width <= limits.maxWidth && height <= limits.maxHeight
        && width * height <= limits.maxPixels;
}

QSize clippedSize(const ImageLimits &limits, qint64 width, qint64 height)
{
    const qint64 highest = std::max<qint64>(1, std::min<qint64>(limits.maxHeight, limits.maxPixels));
    const qint64 h = std::clamp<qint64>(height, 1, highest);
    const qint64 widest = std::max<qint64>(1, std::min<qint64>(limits.maxWidth, limits.maxPixels / h));
    return QSize(int(std::clamp<qint64>(width, 1, widest)), int(h));
}

qint64 grownCapacity(qint64 needed, qint64 current, qint64 limit, int growthDivisor)
{
    if (needed <= current)
        return current;
    return std::min(std::max(needed, current + current / growthDivisor), std::max(needed, limit));
}

int linesPerPart(int f)
{
    return f >= 100 ? 100 : 4 * (f / 5);
}

QString partFileName(const QString &base, int k, const QString &extension)
{
    return base + QString::number(k) + extension;
}

QString withoutExtension(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? path.left(dot) : path;
}

GrowingImage::GrowingImage(const ImageLimits &limits, int dotsPerMeter)
    : m_limits(limits)
    , m_dotsPerMeter(dotsPerMeter)
{
}

GrowingImage::~GrowingImage()
{
    clear();
}

void GrowingImage::checkLimits(qint64 width, qint64 height) const
{
    if (!withinLimits(m_limits, width, height))
        throw util::Error(QStringLiteral("An image of %1 × %2 pixels cannot be made.").arg(width).arg(height));
}

void GrowingImage::whiten(int fromRow, int toRow)
{
    if (toRow <= fromRow)
        return;
    uchar *start = m_data + qsizetype(fromRow) * m_stride;
    const size_t bytes = size_t(qsizetype(toRow - fromRow) * m_stride);
#ifdef MADV_POPULATE_WRITE
    // Every page of the range is written now: have the kernel provide them in one call rather
    // than one fault at a time. Only a hint; older kernels refuse it.
    const auto page = uintptr_t(4096);
    const auto first = (reinterpret_cast<uintptr_t>(start) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<uintptr_t>(start) + bytes) & ~(page - 1);
    if (end > first)
        madvise(reinterpret_cast<void *>(first), end - first, MADV_POPULATE_WRITE);
#endif
    std::memset(start, 0xFF, bytes);
}

void GrowingImage::reserve(int columns, int rows)
{
    int oldColumns = int(m_stride / kBytesPerPixel);
    // Rows are added with every line, so their reserve grows by a quarter; a wider line is rarer,
    // and every column reserved ahead costs memory in every row, so columns grow by a sixteenth.
    int newColumns = std::max(1, int(grownCapacity(columns, oldColumns, m_limits.maxWidth, 16)));
    if (newColumns == oldColumns && qint64(oldColumns) * rows > m_limits.maxPixels) {
        // Storage kept wide from an earlier, wider image, for rows that would take more than the
        // pixel limit at that width: the rows move to a width of their own, in the same storage.
        const int needed = std::max({1, columns, m_width});
        newColumns = int(std::min<qint64>(oldColumns, needed + needed / 16));
        if (newColumns < oldColumns) {
            narrow(newColumns);
            oldColumns = newColumns;
        }
    }
    int newRows = int(grownCapacity(rows, m_capacityRows, m_limits.maxHeight));
    // The reserve ahead stays within the pixel limit too, but never drops rows in use: storage
    // kept wide from an earlier, wider image can hold more rows than the limit gives.
    if (qint64(newColumns) * newRows > m_limits.maxPixels)
        newRows = std::max({rows, m_height, int(m_limits.maxPixels / newColumns)});
    // Rows are released only when the rows are moved to a new width: until then the rows
    // whitened ahead (m_readyRows) stay in storage.
    if (newColumns == oldColumns)
        newRows = std::max(newRows, m_capacityRows);
    newRows = std::max(newRows, 1);
    if (newColumns == oldColumns && newRows == m_capacityRows)
        return;

    const qsizetype newStride = qsizetype(newColumns) * kBytesPerPixel;
    uchar *data = resizeMapping(m_data, size_t(reservedBytes()), size_t(newStride) * size_t(newRows));
    if (!data)
        throw util::Error(QStringLiteral("There is not enough memory for an image of %1 × %2 pixels.")
                                  .arg(columns)
                                  .arg(rows));
    m_data = data;
    if (newStride != m_stride) {
        // Wider rows: move each used row to its new place, the last first, so no row is
        // overwritten before it has moved, and whiten its new columns. Rows below the used ones
        // are whitened when they come into use.
        for (int row = m_height - 1; row >= 0; --row) {
            std::memmove(m_data + row * newStride, m_data + row * m_stride, size_t(m_stride));
            std::memset(m_data + row * newStride + m_stride, 0xFF, size_t(newStride - m_stride));
        }
        m_stride = newStride;
        m_readyRows = m_height;
    }
    m_capacityRows = newRows;
}

void GrowingImage::narrow(int columns)
{
    const qsizetype newStride = qsizetype(columns) * kBytesPerPixel;
    // Each used row moves to its place at the narrower width, the first first, so no row is
    // overwritten before it has moved. The columns kept beyond the visible width are white.
    for (int row = 1; row < m_height; ++row)
        std::memmove(m_data + row * newStride, m_data + row * m_stride, size_t(newStride));
    // The storage holds whole rows of the new width; the bytes left over are given back (a
    // mapping shrinks in place).
    const size_t oldBytes = size_t(reservedBytes());
    const qint64 rowsHeld = std::min<qint64>(qint64(oldBytes) / newStride, std::numeric_limits<int>::max());
    const size_t newBytes = size_t(newStride) * size_t(rowsHeld);
    if (newBytes < oldBytes) {
        if (uchar *data = resizeMapping(m_data, oldBytes, newBytes))
            m_data = data;
    }
    m_capacityRows = int(rowsHeld);
    m_stride = newStride;
    m_readyRows = m_height;
}

void GrowingImage::setWidth(int width)
{
    checkLimits(width, m_height);
    reserve(width, m_height);
    if (width < m_width) {
        // The dropped columns stay in storage; they are white again when the image widens.
        for (int row = 0; row < m_height; ++row)
            std::memset(m_data + row * m_stride + qsizetype(width) * kBytesPerPixel, 0xFF,
                        size_t(m_width - width) * kBytesPerPixel);
    }
    m_width = width;
}

void GrowingImage::setHeight(int height)
{
    checkLimits(m_width, height);
    reserve(m_width, height);
    if (height < m_height) {
        // The dropped rows are white again when the image grows back.
        whiten(height, m_height);
    } else if (height > m_readyRows) {
        // Rows are whitened only when they come into use: the reserve ahead stays untouched
        // and takes no memory until then.
        whiten(m_readyRows, height);
        m_readyRows = height;
    }
    m_height = height;
}

void GrowingImage::clear()
{
    if (m_data)
        munmap(m_data, size_t(reservedBytes()));
    m_data = nullptr;
    m_stride = 0;
    m_capacityRows = 0;
    m_readyRows = 0;
    m_width = 0;
    m_height = 0;
}

void GrowingImage::empty()
{
    // The rows are whitened again as they come into use; the columns reserved stay.
    m_readyRows = 0;
    m_width = 0;
    m_height = 0;
}

QImage GrowingImage::view()
{
    if (m_width <= 0 || m_height <= 0)
        return QImage();
    QImage image(m_data, m_width, m_height, m_stride, QImage::Format_RGB32);
    image.setDotsPerMeterX(m_dotsPerMeter);
    image.setDotsPerMeterY(m_dotsPerMeter);
    return image;
}

} // namespace output
