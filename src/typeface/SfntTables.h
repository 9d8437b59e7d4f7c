#pragma once
// The tables of a TrueType/OpenType font read straight from its bytes, within bounds: where a
// table lies, and the names of its 'name' table. What FreeType keeps of a face grows with what
// the font claims (every name string it is once asked for stays in memory); read here, a crafted
// table costs no more than its own bytes, each record looked at once.

#include "typeface/FontFile.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QtEndian>

#include <optional>

namespace platform {

/// The big-endian 16-bit value at byte `at` of `bytes`, which the caller has checked holds it.
inline quint16 read16(QByteArrayView bytes, qint64 at)
{
    return qFromBigEndian<quint16>(bytes.data() + at);
}

/// The big-endian 32-bit value at byte `at` of `bytes`, which the caller has checked holds it.
inline quint32 read32(QByteArrayView bytes, qint64 at)
{
    return qFromBigEndian<quint32>(bytes.data() + at);
}

/// The tag of a table ("name", "fvar", "OS/2") as the table directory holds it.
constexpr quint32 tableTag(const char (&tag)[5])
{
    return quint32(quint8(tag[0])) << 24 | quint32(quint8(tag[1])) << 16 | quint32(quint8(tag[2])) << 8
        | quint32(quint8(tag[3]));
}

/// The bytes of the table `tag` of font `face` (its index in a collection, 0 for a single font)
/// of the TrueType/OpenType font or collection `font`: the first record of that tag in the
/// font's table directory. A null view when the font has no such table, no such face, or the
/// table does not lie wholly within `font`; an empty table is an empty view that is not null.
QByteArrayView sfntTable(QByteArrayView font, int face, quint32 tag);

/// The layout of a 'fvar' table (a variable font's axes and named instances) as its header gives
/// it: from byte `arrays` on, `axisCount` axis records of `axisSize` bytes, then `instanceCount`
/// instance records of `instanceSize` bytes.
struct FvarLayout
{
    qint64 arrays = 0;
    qint64 axisCount = 0;
    qint64 axisSize = 0;
    qint64 instanceCount = 0;
    qint64 instanceSize = 0;
};

/// The layout of the 'fvar' table `table`, when it is one FreeType takes (and so draws the font
/// as variable): version 1.0, axis records of 20 bytes, at least one axis, instance records of
/// the size the axes give, all within the table. Unset otherwise.
std::optional<FvarLayout> fvarLayout(QByteArrayView table);

/// The text of `size` bytes of UTF-16 big-endian. An odd last byte adds nothing; a high surrogate
/// at the end, the first half of a pair cut off by a length limit, is dropped; any other
/// surrogate without its partner becomes the replacement character U+FFFD. So a name never holds
/// half a character, and every writer of text can write it.
QString utf16BigEndianText(const uchar *bytes, qint64 size);

/// The text of a name record's `bytes`: UTF-16 big-endian (utf16BigEndianText()) when `utf16`
/// (the Windows and Unicode platforms), otherwise Mac OS Roman up to the first NUL byte.
QString nameRecordText(QByteArrayView bytes, bool utf16);

/// The names a font's 'name' table gives, the best record of each name ID asked for: Windows
/// Unicode in US English first, then Windows Unicode in any language, then Unicode's own
/// platform, then Macintosh Roman in English; of equal records the first in the table. Records
/// of other platforms and encodings are not read.
class NameTable
{
public:
    /// Chooses, in one pass over the records of the 'name' table `table` (as many as it counts
    /// and holds, at most 65,535, each looked at once), the best record of each of the name IDs
    /// `wanted`. Nothing is decoded yet. `table` must outlive this object.
    NameTable(QByteArrayView table, const QList<quint16> &wanted);

    /// The name `id` (one of those asked for), at most `maxBytes` bytes of it: UTF-16 cut
    /// between characters. Empty when the font has no readable record of it, or its string does
    /// not lie within the table.
    QString text(quint16 id, int maxBytes = kMaxNameBytes) const;

private:
    struct Chosen
    {
        int rank = 0;
        bool utf16 = false;
        quint32 offset = 0; ///< of the string, from the start of the table
        quint16 length = 0;
    };
    QByteArrayView m_table;
    QHash<quint16, Chosen> m_chosen;
};

} // namespace platform
