#include "fonts/FontFileName.h"

#include "platform/CodePage.h"
#include "util/FilePaths.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
constexpr quint16 kFamilyId = 1;
constexpr quint16 kFullNameId = 4;
constexpr quint16 kTypographicFamilyId = 16;
constexpr quint16 kWwsFamilyId = 21;
constexpr quint16 kUnicodePlatform = 0;
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
        m_fd = util::openPath(util::encodePath(path), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (m_fd < 0)
            return;
        struct stat st;
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        m_size = quint64(st.st_size);
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
    quint64 m_blockStart = 0;
    quint64 m_blockLength = 0;
    qint64 m_nextBlockSize = kFirstBlockSize;
    unsigned char m_block[kMaxBlockSize];
};

/// The file offset of the table whose record is tagged "name", found by walking 16-byte table
/// records from byte 12 to the end of the file or of the largest directory, whichever comes
/// first; false when no such record is complete. The directory's table count is not used, and a
/// collection is walked the same way from byte 12. `recordIndex` receives the record's position.
bool findNameTable(FontFileReader &file, quint64 &tableOffset, quint64 &recordIndex)
{
    unsigned char record[kTableRecordSize];
    // The end of the largest directory bounds the walk: a huge file of anything (a sparse file
    // named like a font reads as zeros for terabytes) costs at most a megabyte of reading.
    for (quint64 at = kFirstTableRecord; at + kTableRecordSize <= kTableRecordsEnd; at += kTableRecordSize) {
        if (file.read(at, record, kTableRecordSize) < kTableRecordSize)
            return false;
        if (std::memcmp(record, "name", 4) == 0) {
            tableOffset = bigEndian32(record + 8);
            recordIndex = (at - kFirstTableRecord) / kTableRecordSize;
            // The records and the strings they point to lie within the table's length.
            file.readAhead(tableOffset, bigEndian32(record + 12));
            return true;
        }
    }
    return false;
}

/// The text of `size` bytes of UTF-16 big-endian. An odd last byte adds nothing; a high surrogate
/// at the end, the first half of a pair cut off by the buffer's size, is dropped; any other
/// surrogate without its partner becomes a replacement character. So a name never holds half a
/// character.
QString utf16BigEndianToText(const unsigned char *bytes, qint64 size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    qFromBigEndian<char16_t>(bytes, text.size(), text.data());
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    if (text.isValidUtf16())
        return text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

/// Whether the first `tables` records of the table directory hold one tagged `tag`.
bool hasTable(FontFileReader &file, quint16 tables, const char *tag)
{
    unsigned char record[kTableRecordSize];
    for (quint64 i = 0; i < tables; ++i) {
        if (file.read(kFirstTableRecord + i * kTableRecordSize, record, kTableRecordSize) < kTableRecordSize)
            return false;
        if (std::memcmp(record, tag, 4) == 0)
            return true;
    }
    return false;
}

/// True for the version tag of a single TrueType or OpenType font (not a collection).
bool isSingleFont(const unsigned char *tag)
{
    return bigEndian32(tag) == 0x00010000 || std::memcmp(tag, "OTTO", 4) == 0 || std::memcmp(tag, "true", 4) == 0;
}

/// The lookup names of the name table at `table` (see FontFileNames::lookupNames).
QStringList readLookupNames(FontFileReader &file, quint64 table, quint32 count, quint64 stringOffset)
{
    QStringList names;
    bool family = false;
    bool fullName = false;
    unsigned char record[kNameRecordSize];
    QByteArray bytes;
    for (quint32 i = 0; i < count; ++i) {
        if (file.read(table + kNameHeaderSize + quint64(i) * kNameRecordSize, record, kNameRecordSize)
            < kNameRecordSize)
            return {};
        const quint16 id = bigEndian16(record + 6);
        if (id != kFamilyId && id != kFullNameId && id != kTypographicFamilyId && id != kWwsFamilyId)
            continue;
        const quint16 recordPlatform = bigEndian16(record);
        const quint16 encoding = bigEndian16(record + 2);
        const bool unicode = recordPlatform == kUnicodePlatform
                             || (recordPlatform == kWindowsPlatform
                                 && (encoding == 0 || encoding == 1 || encoding == 10));
        const bool macRoman = recordPlatform == kMacintoshPlatform && encoding == kMacRomanEncoding;
        // A name in an encoding read here as nothing would leave the font system a name the list
        // does not know of.
        if (!unicode && !macRoman)
            return {};
        const quint16 length = bigEndian16(record + 8);
        bytes.resize(length);
        auto *data = reinterpret_cast<unsigned char *>(bytes.data());
        const qint64 got = std::max<qint64>(0, file.read(table + stringOffset + bigEndian16(record + 10), data, length));
        QString name;
        if (macRoman) {
            const size_t size = ::strnlen(bytes.constData(), size_t(got));
            name = platform::macRomanToText(QByteArrayView(data, qsizetype(size)));
        } else {
            name = utf16BigEndianToText(data, got);
        }
        if (name.isEmpty())
            continue;
        (id == kFullNameId ? fullName : family) = true;
        if (!names.contains(name))
            names.append(name);
    }
    return family && fullName ? names : QStringList();
}

FontFileNames readNames(const QString &path, bool withLookupNames)
{
    FontFileNames names;
    FontFileReader file(path);
    if (!file.isOpen())
        return names;
    // The font's version tag and table count, read first so that the first block read holds
    // them together with the table directory.
    unsigned char directory[6] = {};
    if (withLookupNames && file.read(0, directory, 6) < 6)
        withLookupNames = false;

    quint64 table = 0;
    quint64 recordIndex = 0;
    if (!findNameTable(file, table, recordIndex))
        return names;

    unsigned char header[kNameHeaderSize];
    if (file.read(table, header, kNameHeaderSize) < kNameHeaderSize)
        return names;
    const quint16 count = bigEndian16(header + 2);
    const quint64 stringOffset = bigEndian16(header + 4);

    // A Macintosh full name in the Roman encoding wins over a Windows one wherever it stands;
    // among records of one platform the first in file order wins. Macintosh names in other
    // encodings (Japanese, Arabic, ...) give way to the Windows name, which is Unicode. Only the
    // records the header counts are looked at: the bytes after them are strings or other
    // tables, which can look like a matching record.
    bool found = false;
    quint16 platform = 0;
    quint16 length = 0;
    quint16 offset = 0;
    unsigned char record[kNameRecordSize];
    for (quint32 i = 0; i < count; ++i) {
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

    if (platform == kMacintoshPlatform) {
        const size_t size = ::strnlen(reinterpret_cast<const char *>(buffer), size_t(got));
        names.name = platform::macRomanToText(QByteArrayView(buffer, qsizetype(size)));
    } else {
        names.name = utf16BigEndianToText(buffer, got);
    }

    if (withLookupNames) {
        // The font system reads a single font's names through its table directory; a name record
        // found only past the directory's count, or a collection's several fonts, could give it
        // names other than the ones read here. A variable font's named instances are named from
        // further records ('fvar'), which are not read here.
        if (isSingleFont(directory) && recordIndex < bigEndian16(directory + 4)
            && !hasTable(file, bigEndian16(directory + 4), "fvar"))
            names.lookupNames = readLookupNames(file, table, count, stringOffset);
    }
    return names;
}

} // namespace

QString ReadFontFileName(const QString &path)
{
    return readNames(path, false).name;
}

FontFileNames ReadFontFileNames(const QString &path)
{
    return readNames(path, true);
}
