#include "typeface/FontFile.h"

#include "platform/FileAccess.h"
#include "typeface/SfntTables.h"
#include "util/FilePaths.h"

#include <QHash>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr qsizetype kHeaderSize = 12;
constexpr qsizetype kTableRecordSize = 16;

constexpr quint32 kCollectionTag = 0x74746366; // 'ttcf'

/// A stretch of 16-byte table records from the byte `begin` to the byte `end` of a font.
struct RecordSpan
{
    quint64 begin = 0;
    quint64 end = 0;
};

/// The table records that the table directories of the TrueType/OpenType font or collection
/// `bytes` list, each record once. The fonts of a collection may share one directory, or list
/// directories that overlap: looked at font by font, a collection of a million fonts sharing one
/// directory of 65,535 records would take minutes to check. Empty for other formats; nothing
/// when a header or directory reaches beyond `bytes`, or a collection lists no font or more
/// than kMaxCollectionFonts.
std::optional<std::vector<RecordSpan>> tableRecords(QByteArrayView bytes)
{
    const quint64 size = quint64(bytes.size());
    std::vector<quint64> directories;
    if (size < 4)
        return std::vector<RecordSpan>();
    const quint32 tag = read32(bytes, 0);
    if (isSfntVersion(tag)) {
        directories.push_back(0);
    } else if (tag == kCollectionTag) {
        if (size < quint64(kHeaderSize))
            return std::nullopt;
        // Refused by the count alone, before any offset is read.
        const quint64 fonts = read32(bytes, 8);
        if (fonts == 0 || fonts > quint64(kMaxCollectionFonts) || quint64(kHeaderSize) + fonts * 4 > size)
            return std::nullopt;
        for (quint64 i = 0; i < fonts; ++i)
            directories.push_back(read32(bytes, qsizetype(kHeaderSize + i * 4)));
    } else {
        return std::vector<RecordSpan>();
    }
    std::vector<RecordSpan> spans;
    for (const quint64 at : directories) {
        if (at + kHeaderSize > size)
            return std::nullopt;
        const quint64 end = at + kHeaderSize + quint64(read16(bytes, qsizetype(at + 4))) * kTableRecordSize;
        if (end > size)
            return std::nullopt;
        if (end > at + kHeaderSize)
            spans.push_back({at + kHeaderSize, end});
    }
    // Directories whose starts lie a multiple of 16 bytes apart list the same records where they
    // overlap, and are joined; others never share a record. So each byte of the file lies in at
    // most 16 records looked at, one for each way to align a record.
    const auto alignment = [](const RecordSpan &span) { return span.begin % kTableRecordSize; };
    std::sort(spans.begin(), spans.end(), [&](const RecordSpan &a, const RecordSpan &b) {
        return std::pair(alignment(a), a.begin) < std::pair(alignment(b), b.begin);
    });
    std::vector<RecordSpan> joined;
    for (const RecordSpan &span : spans) {
        if (!joined.empty() && alignment(joined.back()) == alignment(span) && span.begin <= joined.back().end)
            joined.back().end = std::max(joined.back().end, span.end);
        else
            joined.push_back(span);
    }
    return joined;
}

/// Whether every record of `spans` lists a table within `bytes`.
bool recordsWithin(QByteArrayView bytes, const std::vector<RecordSpan> &spans)
{
    const quint64 size = quint64(bytes.size());
    for (const RecordSpan &span : spans) {
        for (quint64 record = span.begin; record < span.end; record += kTableRecordSize) {
            const quint64 offset = read32(bytes, qsizetype(record + 8));
            const quint64 length = read32(bytes, qsizetype(record + 12));
            if (offset + length > size)
                return false;
        }
    }
    return true;
}

constexpr quint32 kNameTag = 0x6E616D65; // 'name'
constexpr qsizetype kNameHeaderSize = 6;
constexpr qsizetype kNameRecordSize = 12;
// Work on name tables every font may take beyond the budget its size gives.
constexpr qint64 kNameWorkReserve = 1 << 20;

void write16(QByteArray &bytes, qsizetype at, quint16 value)
{
    qToBigEndian<quint16>(value, bytes.data() + at);
}

/// Whether the name ID `id` names the font: what font systems collect, and compare with the names
/// collected before, for every record.
bool namesTheFont(quint16 id)
{
    return id == 1 || id == 2 || id == 4 || id == 6 || id == 16 || id == 17 || id == 21 || id == 22;
}

/// Bounds the 'name' table of `length` bytes at `at` in `font` in place (see withBoundedTables());
/// true when it was changed.
bool boundNameTable(QByteArray &font, qsizetype at, qsizetype length)
{
    if (length < kNameHeaderSize)
        return false;
    const qsizetype fitting = (length - kNameHeaderSize) / kNameRecordSize;
    const qsizetype count = std::min<qsizetype>(read16(font, at + 2), fitting);
    // A table within the bounds is left as it is, byte for byte.
    bool within = count <= kMaxNameRecords;
    for (qsizetype i = 0; within && i < count; ++i) {
        const qsizetype record = at + kNameHeaderSize + i * kNameRecordSize;
        within = !namesTheFont(read16(font, record + 6)) || read16(font, record + 8) <= kMaxNameBytes;
    }
    if (within)
        return false;
    // A font system that drops a repeated name by comparing it with every name kept before takes
    // time that grows with the square of the records and their lengths: a crafted table of
    // thousands of long names would hold it for hours. One record per platform, encoding,
    // language and name ID is all a font has; the first of each counts, as for every reader.
    QSet<quint64> seen;
    qsizetype kept = 0;
    for (qsizetype i = 0; i < count && kept < kMaxNameRecords; ++i) {
        const qsizetype record = at + kNameHeaderSize + i * kNameRecordSize;
        const quint64 key = quint64(read32(font, record)) << 32 | read32(font, record + 4);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        // Records only move forward, onto slots already read.
        const qsizetype target = at + kNameHeaderSize + kept * kNameRecordSize;
        std::memmove(font.data() + target, font.constData() + record, kNameRecordSize);
        if (namesTheFont(read16(font, target + 6)) && read16(font, target + 8) > kMaxNameBytes)
            write16(font, target + 8, quint16(kMaxNameBytes));
        ++kept;
    }
    write16(font, at + 2, quint16(kept));
    return true;
}

constexpr quint32 kFvarTag = 0x66766172; // 'fvar'

/// Bounds the 'fvar' table of `length` bytes at `at` in `font` in place (see withBoundedTables());
/// true when it was changed. Only a table that readers take as it is is changed.
bool boundFvarTable(QByteArray &font, qsizetype at, qsizetype length)
{
    const std::optional<FvarLayout> layout = fvarLayout(QByteArrayView(font).sliced(at, length));
    if (!layout)
        return false;
    if (layout->axisCount > kMaxAxes) {
        // Axes cannot be left out (the variation data counts them): the table is set aside.
        write16(font, at, 0);
        return true;
    }
    if (layout->instanceCount > kMaxInstances) {
        write16(font, at + 12, quint16(kMaxInstances));
        return true;
    }
    return false;
}

/// The checksum of the table of `length` bytes at `at`.
quint32 tableChecksum(QByteArrayView font, qsizetype at, qsizetype length)
{
    quint32 sum = 0;
    qsizetype i = 0;
    for (; i + 4 <= length; i += 4)
        sum += read32(font, at + i);
    for (int shift = 24; i < length; ++i, shift -= 8)
        sum += quint32(quint8(font[at + i])) << shift;
    return sum;
}

} // namespace

bool isSfntVersion(quint32 tag)
{
    return tag == 0x00010000 || tag == 0x4F54544F /* OTTO */ || tag == 0x74727565 /* true */
        || tag == 0x74797031 /* typ1 */;
}

bool tablesWithinFile(QByteArrayView bytes)
{
    if (bytes.size() < 4)
        return !bytes.isEmpty();
    const std::optional<std::vector<RecordSpan>> spans = tableRecords(bytes);
    return spans && recordsWithin(bytes, *spans);
}

QByteArray withBoundedTables(QByteArray font)
{
    if (font.size() < 4)
        return font;
    const std::optional<std::vector<RecordSpan>> spans = tableRecords(font);
    if (!spans || !recordsWithin(font, *spans))
        return font;
    // The name tables and checksums of a real font take about its size to go through; records
    // that make the same bytes be gone through over and over (thousands of overlapping name
    // tables, or one table under thousands of lengths) end the work instead.
    qint64 budget = 4 * qint64(font.size()) + kNameWorkReserve;
    // Fonts of a collection may share one table: it is bounded once, by the first record of it,
    // and every record of it gets its new checksum.
    QHash<QPair<quint32, quint32>, bool> changed;
    QHash<quint64, quint32> checksums;
    for (const RecordSpan &span : *spans) {
        for (quint64 at = span.begin; at < span.end; at += kTableRecordSize) {
            const qsizetype record = qsizetype(at);
            const quint32 tag = read32(font, record);
            if (tag != kNameTag && tag != kFvarTag)
                continue;
            const quint32 offset = read32(font, record + 8);
            const quint32 length = read32(font, record + 12);
            auto table = changed.find({tag, offset});
            if (table == changed.end()) {
                budget -= std::min<qint64>(length, kNameHeaderSize + 65535 * kNameRecordSize);
                if (budget < 0)
                    return {};
                table = changed.insert({tag, offset}, tag == kNameTag
                                                          ? boundNameTable(font, qsizetype(offset), qsizetype(length))
                                                          : boundFvarTable(font, qsizetype(offset), qsizetype(length)));
            }
            if (!*table)
                continue;
            const quint64 key = quint64(offset) << 32 | length;
            auto checksum = checksums.find(key);
            if (checksum == checksums.end()) {
                budget -= length;
                if (budget < 0)
                    return {};
                checksum = checksums.insert(key, tableChecksum(font, qsizetype(offset), qsizetype(length)));
            }
            qToBigEndian<quint32>(*checksum, font.data() + record + 4);
        }
    }
    return font;
}

FileIdentity FileIdentity::of(const struct ::stat &st)
{
    const auto nanoseconds = [](const timespec &time) { return qint64(time.tv_sec) * 1000000000 + time.tv_nsec; };
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), nanoseconds(st.st_mtim),
            nanoseconds(st.st_ctim)};
}

FileIdentity fileIdentity(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return {};
    return FileIdentity::of(st);
}

FontFileBytes readFontFile(const QString &path, const FileIdentity &listed, qint64 limit)
{
    FontFileBytes result;
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer, and is refused below.
    // O_NOCTTY: a terminal device never becomes the program's controlling terminal.
    const int fd = platform::openPath(util::encodePath(path), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        result.fault = (errno == ENOENT || errno == ENOTDIR) ? FontFileFault::Missing : FontFileFault::Unreadable;
        return result;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        result.fault = FontFileFault::Unreadable;
        return result;
    }
    result.identity = FileIdentity::of(st);
    result.modifiedMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    if (!S_ISREG(st.st_mode))
        result.fault = FontFileFault::NotAFile;
    else if (listed.isKnown() && !(result.identity == listed))
        result.fault = FontFileFault::Replaced;
    else if (st.st_size > limit)
        result.fault = FontFileFault::TooLarge;
    if (result.fault != FontFileFault::None) {
        ::close(fd);
        return result;
    }

    // Read to the end, whatever the size said: the file may have grown or shrunk meanwhile.
    // One byte more than the size is asked for, so the end shows without a second buffer; a file
    // that grew is read on, up to one byte past the limit, to notice one that grew beyond it.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > limit)
                break;
            bytes.resize(std::min<qsizetype>(qsizetype(limit) + 1, bytes.size() * 2));
        }
        const ssize_t got = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.fault = FontFileFault::Unreadable;
            break;
        }
        if (got == 0)
            break;
        done += got;
    }
    ::close(fd);
    if (result.fault != FontFileFault::None)
        return result;
    bytes.truncate(done);
    // Only a file that changed size while it was read holds more room than bytes.
    if (bytes.capacity() > done + 1)
        bytes.squeeze();
    if (done > limit)
        result.fault = FontFileFault::TooLarge;
    else if (!tablesWithinFile(bytes))
        result.fault = FontFileFault::Damaged;
    else
        result.bytes = std::move(bytes);
    return result;
}

} // namespace platform
