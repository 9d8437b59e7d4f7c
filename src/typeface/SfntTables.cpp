#include "typeface/SfntTables.h"

#include "platform/CodePage.h"
#include "util/EscapedText.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr quint32 kCollectionTag = 0x74746366; // 'ttcf'
constexpr qint64 kHeaderSize = 12;
constexpr qint64 kTableRecordSize = 16;
constexpr qint64 kNameHeaderSize = 6;
constexpr qint64 kNameRecordSize = 12;

// How much a name record is wanted (see NameTable); 0: not read.
int recordRank(quint16 platform, quint16 encoding, quint16 language)
{
    constexpr quint16 kUnicodePlatform = 0;
    constexpr quint16 kMacintoshPlatform = 1;
    constexpr quint16 kWindowsPlatform = 3;
    if (platform == kWindowsPlatform && (encoding == 0 || encoding == 1 || encoding == 10))
        return language == 0x0409 ? 4 : 3;
    if (platform == kUnicodePlatform)
        return 2;
    if (platform == kMacintoshPlatform && encoding == 0 && language == 0)
        return 1;
    return 0;
}

} // namespace

QByteArrayView sfntTable(QByteArrayView font, int face, quint32 tag)
{
    const qint64 size = font.size();
    if (size < kHeaderSize || face < 0)
        return {};
    qint64 directory = 0;
    if (read32(font, 0) == kCollectionTag) {
        const quint32 fonts = read32(font, 8);
        if (quint32(face) >= fonts || kHeaderSize + 4 * (qint64(face) + 1) > size)
            return {};
        directory = read32(font, kHeaderSize + 4 * qint64(face));
        if (directory + kHeaderSize > size)
            return {};
    } else if (face != 0) {
        return {};
    }
    if (!isSfntVersion(read32(font, directory)))
        return {};
    const qint64 tables = read16(font, directory + 4);
    for (qint64 i = 0; i < tables; ++i) {
        const qint64 record = directory + kHeaderSize + i * kTableRecordSize;
        if (record + kTableRecordSize > size)
            break;
        if (read32(font, record) != tag)
            continue;
        const qint64 offset = read32(font, record + 8);
        const qint64 length = read32(font, record + 12);
        if (offset + length > size)
            return {};
        return font.sliced(offset, length);
    }
    return {};
}

std::optional<FvarLayout> fvarLayout(QByteArrayView table)
{
    if (table.size() < 16 || read16(table, 0) != 1 || read16(table, 2) != 0)
        return std::nullopt;
    FvarLayout layout;
    layout.arrays = read16(table, 4);
    layout.axisCount = read16(table, 8);
    layout.axisSize = read16(table, 10);
    layout.instanceCount = read16(table, 12);
    layout.instanceSize = read16(table, 14);
    const qint64 coordinates = 4 * layout.axisCount;
    if (layout.axisSize != 20 || layout.axisCount == 0
        || (layout.instanceSize != 4 + coordinates && layout.instanceSize != 6 + coordinates)
        || layout.arrays + layout.axisSize * layout.axisCount + layout.instanceSize * layout.instanceCount
               > table.size())
        return std::nullopt;
    return layout;
}

QString utf16BigEndianText(const uchar *bytes, qint64 size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    qFromBigEndian<char16_t>(bytes, text.size(), text.data());
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text.isValidUtf16() ? text : util::wellFormed(text);
}

QString nameRecordText(QByteArrayView bytes, bool utf16)
{
    if (utf16)
        return utf16BigEndianText(reinterpret_cast<const uchar *>(bytes.data()), bytes.size());
    const void *nul = std::memchr(bytes.data(), 0, size_t(bytes.size()));
    return macRomanToText(nul ? bytes.first(static_cast<const char *>(nul) - bytes.data()) : bytes);
}

NameTable::NameTable(QByteArrayView table, const QList<quint16> &wanted)
    : m_table(table)
{
    if (table.size() < kNameHeaderSize)
        return;
    for (const quint16 id : wanted)
        m_chosen.insert(id, Chosen());
    const qint64 count = std::min<qint64>(read16(table, 2), (table.size() - kNameHeaderSize) / kNameRecordSize);
    const quint32 strings = read16(table, 4);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 record = kNameHeaderSize + i * kNameRecordSize;
        const auto chosen = m_chosen.find(read16(table, record + 6));
        if (chosen == m_chosen.end())
            continue;
        const quint16 platform = read16(table, record);
        const int rank = recordRank(platform, read16(table, record + 2), read16(table, record + 4));
        if (rank > chosen->rank)
            *chosen = {rank, platform != 1, strings + read16(table, record + 10), read16(table, record + 8)};
    }
}

QString NameTable::text(quint16 id, int maxBytes) const
{
    const auto chosen = m_chosen.constFind(id);
    if (chosen == m_chosen.cend() || chosen->rank == 0 || chosen->offset >= quint32(m_table.size()))
        return {};
    // A string that runs past the end of the table ends there.
    const qint64 length = std::min<qint64>({chosen->length, maxBytes, m_table.size() - chosen->offset});
    return nameRecordText(m_table.sliced(chosen->offset, length), chosen->utf16);
}

} // namespace platform
