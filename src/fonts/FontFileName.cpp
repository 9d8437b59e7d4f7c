#include "fonts/FontFileName.h"

#include "platform/FileAccess.h"
#include "typeface/SfntTables.h"
#include "util/FilePaths.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr quint64 kFirstTableRecord = 12; // after the font header (or a collection's header)
constexpr qint64 kTableRecordSize = 16;   // tag, checksum, offset, length
// A table directory counts its records in 16 bits, so its last record ends here at the latest.
constexpr quint64 kTableRecordsEnd = kFirstTableRecord + 65535 * kTableRecordSize;
constexpr qint64 kNameHeaderSize = 6;     // format, count, string offset
constexpr qint64 kNameRecordSize = 12;    // platform, encoding, language, name ID, length, offset
constexpr qint64 kNameBufferSize = 256;   // longer names are cut to this many bytes
constexpr quint16 kFullNameId = 4;
constexpr quint16 kMacintoshPlatform = 1;
constexpr quint16 kMacRomanEncoding = 0;
constexpr quint16 kWindowsPlatform = 3;

quint16 bigEndian16(const unsigned char *p)
{
    return quint16(p[0] << 8 | p[1]);
}

quint32 bigEndian32(const unsigned char *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

/// A font file opened for reading, whose small record reads are served from one block read ahead
/// with pread(). A name lookup in a usual font costs two or three reads this way: the header and
/// table directory, the name table with its records, and the name string when it lies further on.
class FontFileReader
{
public:
    /// Opens `path` when it is a regular file; anything else (missing, unreadable, a directory,
    /// a FIFO or device) leaves the reader closed.
    explicit FontFileReader(const QString &path)
    {
        // O_NONBLOCK: opening a FIFO must not wait for a writer; reads of regular files ignore it.
        // Paths beyond the system's limit open too (deeply nested font folders).
        m_fd = platform::openPath(util::encodePath(path), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (m_fd < 0)
            return;
        struct stat st;
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        m_size = quint64(st.st_size);
        m_identity = platform::FileIdentity::of(st);
    }

    ~FontFileReader()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    FontFileReader(const FontFileReader &) = delete;
    FontFileReader &operator=(const FontFileReader &) = delete;

    /// True when the file is open.
    bool isOpen() const { return m_fd >= 0; }

    /// The file as it was opened; unknown when it is not open.
    platform::FileIdentity identity() const { return m_identity; }

    /// The file's size in bytes when it was opened.
    quint64 size() const { return m_size; }

    /// Copies up to `count` bytes from byte `offset` of the file to `out` and returns how many it
    /// copied: fewer at the end of the file or when the file cannot be read further.
    qint64 read(quint64 offset, unsigned char *out, qint64 count)
    {
        qint64 done = 0;
        while (done < count) {
            const quint64 at = offset + quint64(done);
            if (at < m_blockStart || at >= m_blockStart + m_blockLength) {
                if (!fill(at))
                    break;
            }
            const qint64 chunk = std::min<qint64>(count - done, qint64(m_blockStart + m_blockLength - at));
            std::memcpy(out + done, m_block + (at - m_blockStart), size_t(chunk));
            done += chunk;
        }
        return done;
    }

    /// Reads the `length` bytes from `offset` on (at most a block's worth) ahead in one go, for
    /// a table whose parts are read next in no particular order.
    void readAhead(quint64 offset, quint64 length)
    {
        if (offset >= m_blockStart && offset + length <= m_blockStart + m_blockLength)
            return;
        m_nextBlockSize = qint64(std::clamp<quint64>(length, quint64(kFirstBlockSize), quint64(kMaxBlockSize)));
        fill(offset);
    }

private:
    static constexpr qint64 kFirstBlockSize = 4096;
    static constexpr qint64 kMaxBlockSize = 65536;

    /// Loads the block that starts at `offset`. False at or past the end of the file, or when
    /// nothing can be read there.
    bool fill(quint64 offset)
    {
        if (offset >= m_size)
            return false;
        const qint64 want = qint64(std::min<quint64>(quint64(m_nextBlockSize), m_size - offset));
        ssize_t got;
        do {
            got = ::pread(m_fd, m_block, size_t(want), off_t(offset));
        } while (got < 0 && errno == EINTR);
        if (got <= 0)
            return false;
        m_blockStart = offset;
        m_blockLength = quint64(got);
        // A usual font needs only the first block or two; a file that has to be walked further
        // (no name table near the start) gets larger blocks so that it costs few reads too.
        m_nextBlockSize = std::min(m_nextBlockSize * 2, kMaxBlockSize);
        return true;
    }

    int m_fd = -1;
    quint64 m_size = 0;
    platform::FileIdentity m_identity;
    quint64 m_blockStart = 0;
    quint64 m_blockLength = 0;
    qint64 m_nextBlockSize = kFirstBlockSize;
    unsigned char m_block[kMaxBlockSize];
};

/// The file offset of the table whose record is tagged "name", found by walking 16-byte table
/// records from byte 12 to the end of the file or of the largest directory, whichever comes
/// first, and the file offset of that record; false when no such record is complete. The
/// directory's table count is not used, and a collection is walked the same way from byte 12.
bool findNameTable(FontFileReader &file, quint64 &tableOffset, quint64 &recordOffset)
{
    unsigned char record[kTableRecordSize];
    // The end of the largest directory bounds the walk: a huge file of anything (a sparse file
    // named like a font reads as zeros for terabytes) costs at most a megabyte of reading.
    for (quint64 at = kFirstTableRecord; at + kTableRecordSize <= kTableRecordsEnd; at += kTableRecordSize) {
        if (file.read(at, record, kTableRecordSize) < kTableRecordSize)
            return false;
        if (std::memcmp(record, "name", 4) == 0) {
            tableOffset = bigEndian32(record + 8);
            recordOffset = at;
            // The records and the strings they point to lie within the table's length.
            file.readAhead(tableOffset, bigEndian32(record + 12));
            return true;
        }
    }
    return false;
}

/// The face of the font collection in `file` whose table directory holds the table record at
/// `recordOffset`: the one the name found there names. The walk from byte 12 meets the records
/// of whichever font's directory happens to line up with it, which need not be the first font
/// (in the CJK collections it is the second). 0 for a single font, and for a record that lies in
/// no font's directory (the walk went through other bytes). Of fonts sharing a directory, the
/// first counts.
int collectionFace(FontFileReader &file, quint64 recordOffset)
{
    unsigned char header[kFirstTableRecord];
    if (file.read(0, header, qint64(kFirstTableRecord)) < qint64(kFirstTableRecord) || std::memcmp(header, "ttcf", 4) != 0)
        return 0;
    const quint32 fonts = bigEndian32(header + 8);
    if (fonts == 0 || fonts > quint32(platform::kMaxCollectionFonts))
        return 0;
    std::vector<unsigned char> offsets(size_t(fonts) * 4);
    if (file.read(kFirstTableRecord, offsets.data(), qint64(offsets.size())) < qint64(offsets.size()))
        return 0;
    // Only directories that start before the record, in step with it, can hold it; their table
    // counts are read in file order, so that the reads go forward through the blocks.
    std::vector<std::pair<quint64, int>> candidates;
    for (quint32 i = 0; i < fonts; ++i) {
        const quint64 directory = bigEndian32(offsets.data() + 4 * i);
        if (directory + kFirstTableRecord <= recordOffset
            && (recordOffset - directory - kFirstTableRecord) % kTableRecordSize == 0)
            candidates.emplace_back(directory, int(i));
    }
    std::sort(candidates.begin(), candidates.end());
    int face = -1;
    for (const auto &[directory, index] : candidates) {
        unsigned char count[2];
        if (file.read(directory + 4, count, 2) < 2)
            break;
        const quint64 end = directory + kFirstTableRecord + quint64(bigEndian16(count)) * kTableRecordSize;
        if (recordOffset < end && (face < 0 || index < face))
            face = index;
    }
    return std::max(face, 0);
}

FontFileNames readNames(const QString &path)
{
    FontFileNames names;
    FontFileReader file(path);
    if (!file.isOpen())
        return names;
    names.identity = file.identity();
    // The header is read first, so that the walk and the header share the first block.
    unsigned char start[kFirstTableRecord];
    const bool collection = file.read(0, start, qint64(kFirstTableRecord)) == qint64(kFirstTableRecord)
        && std::memcmp(start, "ttcf", 4) == 0;
    quint64 table = 0;
    quint64 tableRecord = 0;
    if (!findNameTable(file, table, tableRecord))
        return names;
    if (collection)
        names.face = collectionFace(file, tableRecord);

    unsigned char header[kNameHeaderSize];
    if (file.read(table, header, kNameHeaderSize) < kNameHeaderSize)
        return names;
    const quint16 count = bigEndian16(header + 2);
    const quint64 stringOffset = bigEndian16(header + 4);

    // A Macintosh full name in the Roman encoding wins over a Windows one wherever it stands;
    // among records of one platform the first in file order wins. Macintosh names in other
    // encodings (Japanese, Arabic, ...) give way to the Windows name, which is Unicode. Only the
    // records the header counts are looked at: the bytes after them are strings or other
    // tables, which can look like a matching record. No more than the records that the fonts
    // handed to other programs keep are read (platform::kMaxNameRecords): a crafted table of
    // thousands of records costs no more than a real font's few hundred at most.
    bool found = false;
    quint16 platform = 0;
    quint16 length = 0;
    quint16 offset = 0;
    unsigned char record[kNameRecordSize];
    const quint32 records = std::min<quint32>(count, platform::kMaxNameRecords);
    for (quint32 i = 0; i < records; ++i) {
        const quint64 at = table + kNameHeaderSize + quint64(i) * kNameRecordSize;
        if (file.read(at, record, kNameRecordSize) < kNameRecordSize)
            break;
        const quint16 recordPlatform = bigEndian16(record);
        if (bigEndian16(record + 6) != kFullNameId)
            continue;
        const bool macRoman = recordPlatform == kMacintoshPlatform && bigEndian16(record + 2) == kMacRomanEncoding;
        if (macRoman || (recordPlatform == kWindowsPlatform && !found)) {
            found = true;
            platform = recordPlatform;
            length = bigEndian16(record + 8);
            offset = bigEndian16(record + 10);
            if (macRoman)
                break;
        }
    }
    if (!found)
        return names;

    // Only the bytes the file really holds make the name: a string cut off by the end of the
    // file, or a record with an odd length, ends where its bytes end instead of gaining NUL
    // characters from the empty buffer.
    unsigned char buffer[kNameBufferSize] = {};
    const qint64 got = std::max<qint64>(
        0, file.read(table + stringOffset + offset, buffer, std::min<qint64>(length, kNameBufferSize)));

    names.name = platform::nameRecordText(QByteArrayView(buffer, qsizetype(got)), platform != kMacintoshPlatform);

    return names;
}

} // namespace

QString ReadFontFileName(const QString &path)
{
    return readNames(path).name;
}

FontFileNames ReadFontFileNames(const QString &path)
{
    return readNames(path);
}

namespace {

constexpr quint16 kVersionId = 5;
constexpr quint16 kPostScriptNameId = 6;

// The text of a name record's `length` bytes at `at`, read as its platform writes it; at most
// platform::kMaxNameBytes of it.
QString nameText(FontFileReader &file, quint64 at, quint16 length, bool windows)
{
    unsigned char buffer[platform::kMaxNameBytes];
    const qint64 got = std::max<qint64>(0, file.read(at, buffer, std::min<qint64>(length, platform::kMaxNameBytes)));
    return platform::nameRecordText(QByteArrayView(buffer, qsizetype(got)), windows);
}

} // namespace

FontFileSignature ReadFontFileSignature(const QString &path, int face)
{
    FontFileSignature signature;
    FontFileReader file(path);
    if (!file.isOpen())
        return signature;
    signature.identity = file.identity();
    signature.size = qint64(file.size());

    unsigned char header[kFirstTableRecord];
    if (file.read(0, header, qint64(kFirstTableRecord)) < qint64(kFirstTableRecord))
        return signature;
    quint64 directory = 0;
    if (std::memcmp(header, "ttcf", 4) == 0) {
        const quint32 fonts = bigEndian32(header + 8);
        if (face < 0 || quint32(face) >= fonts || fonts > quint32(platform::kMaxCollectionFonts))
            return signature;
        unsigned char offset[4];
        if (file.read(kFirstTableRecord + 4 * quint64(face), offset, 4) < 4)
            return signature;
        directory = bigEndian32(offset);
        if (file.read(directory, header, qint64(kFirstTableRecord)) < qint64(kFirstTableRecord))
            return signature;
    }
    if (!platform::isSfntVersion(bigEndian32(header)))
        return signature;

    // The directory names each table once; a font listing one twice counts its first.
    const quint16 tables = bigEndian16(header + 4);
    file.readAhead(directory, kFirstTableRecord + quint64(tables) * kTableRecordSize);
    quint64 nameTable = 0;
    quint64 maxpTable = 0;
    bool hasName = false;
    bool hasMaxp = false;
    unsigned char record[kTableRecordSize];
    for (quint32 i = 0; i < tables && !(hasName && hasMaxp); ++i) {
        if (file.read(directory + kFirstTableRecord + i * quint64(kTableRecordSize), record, kTableRecordSize)
            < kTableRecordSize)
            break;
        if (!hasName && std::memcmp(record, "name", 4) == 0) {
            hasName = true;
            nameTable = bigEndian32(record + 8);
        } else if (!hasMaxp && std::memcmp(record, "maxp", 4) == 0) {
            hasMaxp = true;
            maxpTable = bigEndian32(record + 8);
        }
    }
    unsigned char glyphs[2];
    if (hasMaxp && file.read(maxpTable + 4, glyphs, 2) == 2)
        signature.glyphCount = bigEndian16(glyphs);
    if (!hasName)
        return signature;

    unsigned char nameHeader[kNameHeaderSize];
    if (file.read(nameTable, nameHeader, kNameHeaderSize) < kNameHeaderSize)
        return signature;
    const quint32 count = std::min<quint32>(bigEndian16(nameHeader + 2), platform::kMaxNameRecords);
    const quint64 strings = nameTable + bigEndian16(nameHeader + 4);
    file.readAhead(nameTable, kNameHeaderSize + quint64(count) * kNameRecordSize);
    // Per name: the best record so far, 2 for Windows, 1 for Macintosh Roman.
    int rank[2] = {0, 0};
    quint16 lengths[2] = {0, 0};
    quint16 offsets[2] = {0, 0};
    unsigned char nameRecord[kNameRecordSize];
    for (quint32 i = 0; i < count; ++i) {
        if (file.read(nameTable + kNameHeaderSize + quint64(i) * kNameRecordSize, nameRecord, kNameRecordSize)
            < kNameRecordSize)
            break;
        const quint16 id = bigEndian16(nameRecord + 6);
        if (id != kVersionId && id != kPostScriptNameId)
            continue;
        const quint16 recordPlatform = bigEndian16(nameRecord);
        const int recordRank = recordPlatform == kWindowsPlatform ? 2
            : recordPlatform == kMacintoshPlatform && bigEndian16(nameRecord + 2) == kMacRomanEncoding ? 1
                                                                                                         : 0;
        const int slot = id == kVersionId ? 0 : 1;
        if (recordRank > rank[slot]) {
            rank[slot] = recordRank;
            lengths[slot] = bigEndian16(nameRecord + 8);
            offsets[slot] = bigEndian16(nameRecord + 10);
        }
    }
    if (rank[0] > 0)
        signature.version = nameText(file, strings + offsets[0], lengths[0], rank[0] == 2);
    if (rank[1] > 0)
        signature.postScriptName = nameText(file, strings + offsets[1], lengths[1], rank[1] == 2);
    return signature;
}
