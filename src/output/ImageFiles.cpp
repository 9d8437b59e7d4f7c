#include "output/ImageFiles.h"

#include "util/Errors.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <array>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

// jpeglib.h uses FILE and size_t without including their headers.
extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}
#include <gif_lib.h>

namespace output {
namespace {

using util::Error;

QString emptyImageReason()
{
    return QStringLiteral("The image is empty.");
}

// Formats whose pixels the encoders read in place; every other format is converted first.
bool isRgb32(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
}

// Writes all of `data`, going on after a short write: the attempt after one reports the system's
// reason (a full disk fills it up to the last byte first).
bool writeAll(QIODevice &device, const void *data, qint64 length)
{
    const char *next = static_cast<const char *>(data);
    while (length > 0) {
        const qint64 written = device.write(next, length);
        if (written <= 0)
            return false;
        next += written;
        length -= written;
    }
    return true;
}

// ---- JPEG -----------------------------------------------------------------------------------

constexpr int kJpegBufferSize = 64 * 1024;
constexpr int kJpegRowsPerCall = 32;

// Everything one compression needs, in one block that outlives the longjmp out of libjpeg.
struct JpegJob
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_destination_mgr destination{};
    std::jmp_buf failed{};
    QIODevice *device = nullptr;
    bool writeFailed = false;
    char message[JMSG_LENGTH_MAX]{};
    JOCTET buffer[kJpegBufferSize];
};

JpegJob &jobOf(j_common_ptr cinfo)
{
    return *static_cast<JpegJob *>(cinfo->client_data);
}

// libjpeg's own handler ends the process; this one keeps the message and returns to
// compressJpeg(), which releases the encoder and reports the failure.
[[noreturn]] void jpegFailed(j_common_ptr cinfo)
{
    JpegJob &job = jobOf(cinfo);
    (*cinfo->err->format_message)(cinfo, job.message);
    std::longjmp(job.failed, 1);
}

// Warnings are not shown anywhere: the program has no log.
void jpegQuiet(j_common_ptr) {}

void jpegInitDestination(j_compress_ptr cinfo)
{
    JpegJob &job = jobOf(reinterpret_cast<j_common_ptr>(cinfo));
    job.destination.next_output_byte = job.buffer;
    job.destination.free_in_buffer = kJpegBufferSize;
}

bool jpegFlush(JpegJob &job, qint64 length)
{
    if (!writeAll(*job.device, job.buffer, length)) {
        job.writeFailed = true;
        return false;
    }
    job.destination.next_output_byte = job.buffer;
    job.destination.free_in_buffer = kJpegBufferSize;
    return true;
}

boolean jpegEmptyBuffer(j_compress_ptr cinfo)
{
    JpegJob &job = jobOf(reinterpret_cast<j_common_ptr>(cinfo));
    if (!jpegFlush(job, kJpegBufferSize))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    return TRUE;
}

void jpegTermDestination(j_compress_ptr cinfo)
{
    JpegJob &job = jobOf(reinterpret_cast<j_common_ptr>(cinfo));
    if (!jpegFlush(job, qint64(kJpegBufferSize) - qint64(job.destination.free_in_buffer)))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

// Runs one compression of `height` rows of `stride` bytes from `bits`. A libjpeg failure jumps
// back into this frame, which therefore holds nothing with a destructor; the encoder is destroyed
// on both ways out.
bool compressJpeg(JpegJob &job, const uchar *bits, qsizetype stride, int width, int height,
                  J_COLOR_SPACE inSpace, int inComponents)
{
    jpeg_compress_struct &cinfo = job.cinfo;
    cinfo.err = jpeg_std_error(&job.errors);
    job.errors.error_exit = jpegFailed;
    job.errors.output_message = jpegQuiet;
    cinfo.client_data = &job;
    if (setjmp(job.failed)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    job.destination.init_destination = jpegInitDestination;
    job.destination.empty_output_buffer = jpegEmptyBuffer;
    job.destination.term_destination = jpegTermDestination;
    cinfo.dest = &job.destination;

    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = inComponents;
    cinfo.in_color_space = inSpace;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kJpegQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPROW rows[kJpegRowsPerCall];
    while (cinfo.next_scanline < cinfo.image_height) {
        const JDIMENSION first = cinfo.next_scanline;
        JDIMENSION count = 0;
        for (; count < kJpegRowsPerCall && first + count < cinfo.image_height; ++count)
            rows[count] = const_cast<JSAMPROW>(bits + qsizetype(first + count) * stride);
        jpeg_write_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ---- GIF ------------------------------------------------------------------------------------

// Per-channel parts of the palette index, so mapping a pixel is three look-ups and two additions.
struct GifTables
{
    std::array<GifPixelType, 256> red{}, green{}, blue{};
    std::array<GifColorType, 256> colours{};
};

const GifTables &gifTables()
{
    static const GifTables tables = [] {
        GifTables t;
        for (int v = 0; v < 256; ++v) {
            t.red[v] = GifPixelType(36 * gifLevel(v));
            t.green[v] = GifPixelType(6 * gifLevel(v));
            t.blue[v] = GifPixelType(gifLevel(v));
        }
        // giflib takes colour maps of a power-of-two size only; the entries after the 216 palette
        // colours are never used and stay black.
        for (int i = 0; i < 216; ++i) {
            const QRgb c = gifPaletteColour(i);
            t.colours[i] = {GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
        }
        return t;
    }();
    return tables;
}

struct GifSink
{
    QIODevice *device = nullptr;
    bool writeFailed = false;
};

int gifWrite(GifFileType *gif, const GifByteType *data, int length)
{
    auto *sink = static_cast<GifSink *>(gif->UserData);
    if (sink->writeFailed)
        return 0;
    if (!writeAll(*sink->device, data, length)) {
        sink->writeFailed = true;
        return 0;
    }
    return length;
}

void mapGifRow(const QImage &source, int y, GifPixelType *out)
{
    const GifTables &t = gifTables();
    const int width = source.width();
    if (source.format() == QImage::Format_RGB888) {
        const uchar *p = source.constScanLine(y);
        for (int x = 0; x < width; ++x, p += 3)
            out[x] = GifPixelType(t.red[p[0]] + t.green[p[1]] + t.blue[p[2]]);
        return;
    }
    const auto *p = reinterpret_cast<const QRgb *>(source.constScanLine(y));
    for (int x = 0; x < width; ++x) {
        const QRgb c = p[x];
        out[x] = GifPixelType(t.red[qRed(c)] + t.green[qGreen(c)] + t.blue[qBlue(c)]);
    }
}

} // namespace

namespace {

// Collects the small writes of an image writer (Qt's bitmap writer writes one row at a time) and
// hands them on in large blocks, so a large sheet costs few system calls. A failed write of the
// target fails the write that caused it, with the target's reason left in the target.
class BlockWriter : public QIODevice
{
public:
    explicit BlockWriter(QIODevice &target)
        : m_target(target)
    {
        m_block.reserve(kBlockSize);
        open(QIODevice::WriteOnly);
    }
    ~BlockWriter() override { close(); }

    /// Hands on what is still collected; false when the target refused it.
    bool finish() { return handOn(); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        m_block.append(data, size);
        if (m_block.size() >= kBlockSize && !handOn())
            return -1;
        return size;
    }

private:
    static constexpr qsizetype kBlockSize = 1 << 20;

    bool handOn()
    {
        const bool written = writeAll(m_target, m_block.constData(), m_block.size());
        m_block.resize(0); // keeps the block's storage for the next one
        return written;
    }

    QIODevice &m_target;
    QByteArray m_block;
};

} // namespace

void writeBmp(const QImage &image, QIODevice &device)
{
    if (image.isNull())
        throw Error(emptyImageReason());
    // Qt's writer stores indexed images with their palette and everything else at 24 bits per
    // pixel, uncompressed.
    BlockWriter blocks(device);
    QImageWriter writer(&blocks, "bmp");
    if (!writer.write(image) || !blocks.finish())
        throw Error(writer.errorString());
}

void writeJpeg(const QImage &image, QIODevice &device)
{
    if (image.isNull())
        throw Error(emptyImageReason());
    // 32-bit pixels go to libjpeg as they lie in memory (its extended input colour spaces), 24-bit
    // RGB as it is; other formats are converted to 24-bit RGB first.
    const bool direct = isRgb32(image.format()) || image.format() == QImage::Format_RGB888;
    const QImage source = direct ? image : image.convertToFormat(QImage::Format_RGB888);
    if (source.isNull())
        throw Error(QStringLiteral("Not enough memory to convert the image."));
    J_COLOR_SPACE space = JCS_RGB;
    int components = 3;
    if (isRgb32(source.format())) {
        space = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        components = 4;
    }
    auto job = std::make_unique<JpegJob>();
    job->device = &device;
    if (!compressJpeg(*job, source.constBits(), source.bytesPerLine(), source.width(), source.height(), space,
                      components))
        throw Error(job->writeFailed ? device.errorString() : QString::fromLocal8Bit(job->message));
}

void writeGif(const QImage &image, QIODevice &device)
{
    if (image.isNull())
        throw Error(emptyImageReason());
    if (image.width() > 0xFFFF || image.height() > 0xFFFF)
        throw Error(QStringLiteral("A GIF image can be at most 65535 pixels wide and high."));
    const bool direct = isRgb32(image.format()) || image.format() == QImage::Format_RGB888;
    const QImage source = direct ? image : image.convertToFormat(QImage::Format_RGB32);
    if (source.isNull())
        throw Error(QStringLiteral("Not enough memory to convert the image."));
    // Everything that can throw is allocated before the encoder, so the encoder is closed on
    // every way out below.
    std::vector<GifPixelType> line(size_t(source.width()));
    ColorMapObject colourMap{256, 8, false, const_cast<GifColorType *>(gifTables().colours.data())};
    GifSink sink{&device};

    int openError = 0;
    GifFileType *gif = EGifOpen(&sink, gifWrite, &openError);
    if (!gif)
        throw Error(QString::fromLocal8Bit(GifErrorString(openError)));
    const int width = source.width();
    const int height = source.height();
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, &colourMap) != GIF_ERROR
        && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) != GIF_ERROR;
    for (int y = 0; ok && y < height; ++y) {
        mapGifRow(source, y, line.data());
        ok = EGifPutLine(gif, line.data(), width) != GIF_ERROR;
    }
    const int putError = gif->Error;
    int closeError = 0;
    // Closing writes the trailer and frees the encoder, also after a failure.
    const bool closed = EGifCloseFile(gif, &closeError) != GIF_ERROR;
    if (!ok || !closed) {
        if (sink.writeFailed)
            throw Error(device.errorString());
        throw Error(QString::fromLocal8Bit(GifErrorString(ok ? closeError : putError)));
    }
}

void writeImage(const QImage &image, ImageFormat format, QIODevice &device)
{
    switch (format) {
    case ImageFormat::Bmp:
        writeBmp(image, device);
        return;
    case ImageFormat::Jpeg:
        writeJpeg(image, device);
        return;
    case ImageFormat::Gif:
        writeGif(image, device);
        return;
    }
}

QByteArray encodeImage(const QImage &image, ImageFormat format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeImage(image, format, buffer);
    buffer.close();
    return bytes;
}

void saveImage(const QImage &image, ImageFormat format, const QString &path)
{
    saveThrough(path, [&](QFile &file) { writeImage(image, format, file); });
}

} // namespace output
