#include "typeface/SampleBoxFace.h"

#include "typeface/FileFaces.h"
#include "typeface/FontFile.h"
#include "platform/RunFolder.h"
#include "typeface/SystemFonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QSet>
#include <QtEndian>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <optional>
#include <vector>

namespace platform {
namespace {

constexpr qsizetype kHeaderSize = 12;
constexpr qsizetype kTableRecordSize = 16;
constexpr qsizetype kNameRecordSize = 12;
constexpr quint32 kNameTag = 0x6E616D65;      // 'name'
constexpr quint32 kHeadTag = 0x68656164;      // 'head'
constexpr quint32 kCollectionTag = 0x74746366; // 'ttcf'
// A subfamily name longer than this is no real one; it is cut so that the full name stays a
// name record of sensible length.
constexpr qsizetype kMaxSubfamilyLength = 64;

quint32 read32(QByteArrayView bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.data() + at);
}

quint16 read16(QByteArrayView bytes, qsizetype at)
{
    return qFromBigEndian<quint16>(bytes.data() + at);
}

void append16(QByteArray &out, quint16 value)
{
    const char be[2] = {char(value >> 8), char(value & 0xFF)};
    out.append(be, 2);
}

void append32(QByteArray &out, quint32 value)
{
    append16(out, quint16(value >> 16));
    append16(out, quint16(value & 0xFFFF));
}


/// A table of the font being rebuilt: its tag and its bytes within the file.
struct Table
{
    quint32 tag = 0;
    QByteArrayView data;
};

/// The single font a TrueType/OpenType file holds, or font `index` of a collection: its version
/// and its tables, each checked to lie within `bytes`. Nothing when `bytes` is no such font, the
/// collection has no such font, or a table directory reaches beyond the file.
struct SfntFont
{
    quint32 version = 0;
    std::vector<Table> tables;
};

std::optional<SfntFont> sfntFont(QByteArrayView bytes, int index)
{
    const quint64 size = quint64(bytes.size());
    if (size < kHeaderSize || index < 0)
        return std::nullopt;
    quint64 at = 0;
    if (read32(bytes, 0) == kCollectionTag) {
        const quint64 entry = kHeaderSize + 4 * quint64(index);
        if (quint64(index) >= read32(bytes, 8) || entry + 4 > size)
            return std::nullopt;
        at = read32(bytes, qsizetype(entry));
    }
    if (at + kHeaderSize > size || !isSfntVersion(read32(bytes, qsizetype(at))))
        return std::nullopt;
    SfntFont font;
    font.version = read32(bytes, qsizetype(at));
    const quint16 count = read16(bytes, qsizetype(at + 4));
    if (count == 0 || at + kHeaderSize + quint64(count) * kTableRecordSize > size)
        return std::nullopt;
    for (quint16 i = 0; i < count; ++i) {
        const qsizetype record = qsizetype(at + kHeaderSize + quint64(i) * kTableRecordSize);
        const quint64 offset = read32(bytes, record + 8);
        const quint64 length = read32(bytes, record + 12);
        if (offset + length > size)
            return std::nullopt;
        font.tables.push_back({read32(bytes, record), bytes.sliced(qsizetype(offset), qsizetype(length))});
    }
    // The directory must be sorted by tag, each tag once; of tags listed twice the first counts,
    // as it does for a reader that walks the directory.
    std::stable_sort(font.tables.begin(), font.tables.end(),
                     [](const Table &a, const Table &b) { return a.tag < b.tag; });
    font.tables.erase(std::unique(font.tables.begin(), font.tables.end(),
                                  [](const Table &a, const Table &b) { return a.tag == b.tag; }),
                      font.tables.end());
    return font;
}

/// The name record `nameId` of the 'name' table `name` in the language people read most
/// likely: Windows English first, then any Windows language, then Unicode, then an ASCII Mac
/// name. Empty when there is none.
QString nameRecord(QByteArrayView name, quint16 nameId)
{
    if (name.size() < 6)
        return {};
    const qsizetype count = read16(name, 2);
    const qsizetype strings = read16(name, 4);
    QString best;
    int bestRank = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype record = 6 + i * kNameRecordSize;
        if (record + kNameRecordSize > name.size())
            break;
        if (read16(name, record + 6) != nameId)
            continue;
        const quint16 platform = read16(name, record);
        const quint16 encoding = read16(name, record + 2);
        const quint16 language = read16(name, record + 4);
        const qsizetype length = read16(name, record + 8);
        const qsizetype offset = strings + read16(name, record + 10);
        if (offset + length > name.size())
            continue;
        const QByteArrayView text = name.sliced(offset, length);
        int rank = 0;
        QString value;
        if (platform == 3 || platform == 0) {
            rank = platform == 0 ? 2 : (language == 0x409 ? 4 : 3);
            if (platform == 3 && encoding != 0 && encoding != 1 && encoding != 10)
                continue;
            value.resize(length / 2);
            for (qsizetype c = 0; c < value.size(); ++c)
                value[c] = QChar(read16(text, 2 * c));
        } else if (platform == 1 && encoding == 0) {
            // Mac Roman agrees with ASCII only; anything beyond is left for a better record.
            if (std::any_of(text.begin(), text.end(), [](char c) { return uchar(c) >= 0x80; }))
                continue;
            rank = 1;
            value = QString::fromLatin1(text);
        }
        if (rank > bestRank && !value.trimmed().isEmpty()) {
            best = value;
            bestRank = rank;
        }
    }
    return best;
}

/// The style name FreeType gives face `index` of `bytes` (which it derives from the font's flags
/// where the font names none).
QString freeTypeStyleName(QByteArrayView bytes, int index)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return {};
    QString style;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte *>(bytes.data()), FT_Long(bytes.size()), FT_Long(index), &face) == 0) {
        if (face->style_name)
            style = QString::fromUtf8(face->style_name);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return style;
}

/// A subfamily name fit for a name record: printable, trimmed, not overlong, never empty.
QString cleanSubfamily(QString subfamily)
{
    subfamily.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    subfamily = subfamily.trimmed().left(kMaxSubfamilyLength);
    return subfamily.isEmpty() ? QStringLiteral("Regular") : subfamily;
}

/// A 'name' table that names the font by `family`, `subfamily` and `postScriptName` alone, in
/// Windows English.
QByteArray nameTable(const QString &family, const QString &subfamily, const QString &postScriptName)
{
    const std::pair<quint16, QString> names[] = {
        {1, family}, {2, subfamily}, {4, family + QLatin1Char(' ') + subfamily}, {6, postScriptName}};
    const quint16 count = quint16(std::size(names));
    QByteArray table;
    append16(table, 0);
    append16(table, count);
    append16(table, quint16(6 + count * kNameRecordSize));
    QByteArray strings;
    for (const auto &[id, text] : names) {
        append16(table, 3);     // Windows
        append16(table, 1);     // Unicode BMP
        append16(table, 0x409); // English (United States)
        append16(table, id);
        append16(table, quint16(text.size() * 2));
        append16(table, quint16(strings.size()));
        for (const QChar c : text)
            append16(strings, c.unicode());
    }
    return table + strings;
}

/// The checksum of a table; that of 'head' counts its checksum adjustment as zero.
quint32 tableChecksum(quint32 tag, QByteArrayView data)
{
    quint32 sum = 0;
    qsizetype at = 0;
    for (; at + 4 <= data.size(); at += 4)
        sum += read32(data, at);
    if (at < data.size()) {
        char last[4] = {};
        std::copy(data.begin() + at, data.end(), last);
        sum += qFromBigEndian<quint32>(last);
    }
    if (tag == kHeadTag && data.size() >= 12)
        sum -= read32(data, 8);
    return sum;
}

/// The TrueType/OpenType font `bytes`, or font `index` of the collection `bytes`, as a font file
/// of its own whose only names are `family`, the font's own subfamily and `postScriptName`.
/// Every other table is copied as it is. Empty when `bytes` holds no such font.
QByteArray renamedFont(QByteArrayView bytes, int index, const QString &family, const QString &postScriptName)
{
    std::optional<SfntFont> font = sfntFont(bytes, index);
    if (!font)
        return {};
    const auto name = std::find_if(font->tables.begin(), font->tables.end(),
                                   [](const Table &t) { return t.tag == kNameTag; });
    QString subfamily;
    if (name != font->tables.end())
        subfamily = nameRecord(name->data, 2);
    if (subfamily.trimmed().isEmpty())
        subfamily = freeTypeStyleName(bytes, index);
    const QByteArray names = nameTable(family, cleanSubfamily(subfamily), postScriptName);
    if (name != font->tables.end())
        name->data = names;
    else
        font->tables.insert(std::upper_bound(font->tables.begin(), font->tables.end(), kNameTag,
                                             [](quint32 tag, const Table &t) { return tag < t.tag; }),
                            Table{kNameTag, names});

    const auto count = quint16(font->tables.size());
    quint64 size = kHeaderSize + quint64(count) * kTableRecordSize;
    for (const Table &table : font->tables)
        size += (quint64(table.data.size()) + 3) & ~quint64(3);
    // Tables may overlap in a file; copied apart, a hostile directory could make a font of
    // terabytes out of one of megabytes.
    if (size > quint64(kMaxFontFileSize))
        return {};

    quint16 selector = 0;
    while ((2u << selector) <= count)
        ++selector;
    const quint16 searchRange = quint16((1u << selector) * kTableRecordSize);
    QByteArray out;
    out.reserve(qsizetype(size));
    append32(out, font->version);
    append16(out, count);
    append16(out, searchRange);
    append16(out, selector);
    append16(out, quint16(count * kTableRecordSize - searchRange));
    quint32 offset = quint32(kHeaderSize + count * kTableRecordSize);
    for (const Table &table : font->tables) {
        append32(out, table.tag);
        append32(out, tableChecksum(table.tag, table.data));
        append32(out, offset);
        append32(out, quint32(table.data.size()));
        offset += (quint32(table.data.size()) + 3) & ~3u;
    }
    for (const Table &table : font->tables) {
        out.append(table.data);
        out.append((4 - table.data.size() % 4) % 4, '\0');
    }
    return out;
}

/// The face registered for the sample boxes.
struct Registered
{
    int id = -1;
    QString path;
    FileIdentity identity;
    QString family;
    /// The family of a face registered under its own name that no installed font has.
    QString ownFamily;
    /// The file the face was registered from.
    QString file;
};

/// A folder of the run's own for the files sample box faces are registered from: made afresh
/// for the run, readable by its owner only, removed at the end.
const RunFolder &faceFolder()
{
    static const RunFolder folder(runFolderParent(), QString::fromUtf16(kFaceFolderPrefix));
    return folder;
}

/// Writes `font` to a new file of its own in faceFolder(); empty when that fails. Qt knows a face
/// by the name of its file: a face registered from bytes alone is known by a slot number that
/// the next registration takes over, while the face engines of the one before may still be
/// alive, and Qt would then draw the new family with the old face.
QString writeFaceFile(const QByteArray &font, quint64 number)
{
    if (!faceFolder().isValid())
        return {};
    QFile file(faceFolder().filePath(QStringLiteral("face-%1.ttf").arg(number)));
    // NewOnly: the name is never one that exists, so nothing planted there is written through.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(font) != font.size() || !file.flush()) {
        file.remove();
        return {};
    }
    return file.fileName();
}

Registered &registered()
{
    static Registered face;
    return face;
}

bool changing = false;
quint64 registrations = 0;

/// Marks the time Qt's font database changes for a sample box face.
class ChangeGuard
{
public:
    ChangeGuard()
        : m_was(changing)
    {
        changing = true;
    }
    ~ChangeGuard() { changing = m_was; }
    ChangeGuard(const ChangeGuard &) = delete;
    ChangeGuard &operator=(const ChangeGuard &) = delete;

private:
    bool m_was;
};

} // namespace

bool isSampleBoxFamily(const QString &family)
{
    const QString &own = registered().ownFamily;
    return family.startsWith(QStringView(kSampleBoxFamilyPrefix)) || (!own.isEmpty() && family == own);
}

QString sampleBoxFamily(const QString &path)
{
    FileFaces &faces = FileFaces::instance();
    Registered &face = registered();
    const FileIdentity identity = faces.listedIdentity(path);
    if (face.id >= 0 && face.path == path && face.identity == identity)
        return face.family;

    const FontFileBytes file = faces.fileBytes(path);
    releaseSampleBoxFace();
    if (file.fault != FontFileFault::None || file.bytes.isEmpty())
        return {};

    const quint64 number = ++registrations;
    const QString family = QString::fromUtf16(kSampleBoxFamilyPrefix) + QString::number(number);
    // The face of a collection that the entry's name was read from, as on the sheet.
    const int index = faces.listedFace(path);
    QByteArray font = renamedFont(file.bytes, index, family, QStringLiteral("GlyphworksSampleBox-%1").arg(number));
    const bool renamed = !font.isEmpty();
    QSet<QString> before;
    if (!renamed) {
        if (sfntFont(file.bytes, 0))
            return {}; // a TrueType/OpenType font that cannot be rebuilt within bounds
        // Type 1 and bitmap fonts have no name table to replace; they are registered under
        // their own names, which are the sample boxes' own when no installed font has them.
        font = file.bytes;
        for (const QString &name : QFontDatabase::families())
            before.insert(familyWithoutFoundry(name).toCaseFolded());
    }

    const QString faceFile = writeFaceFile(font, number);
    if (faceFile.isEmpty())
        return {};
    ChangeGuard guard;
    const int id = QFontDatabase::addApplicationFont(faceFile);
    const QString registeredFamily = id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    if (registeredFamily.isEmpty()) {
        if (id >= 0)
            QFontDatabase::removeApplicationFont(id);
        QFile::remove(faceFile);
        return {};
    }
    face.id = id;
    face.path = path;
    face.identity = identity;
    face.family = registeredFamily;
    face.file = faceFile;
    if (!renamed && !before.contains(registeredFamily.toCaseFolded()))
        face.ownFamily = registeredFamily;
    return registeredFamily;
}

void releaseSampleBoxFace()
{
    Registered &face = registered();
    if (face.id < 0)
        return;
    ChangeGuard guard;
    QFontDatabase::removeApplicationFont(face.id);
    // A face engine still alive keeps the file mapped; the name goes now.
    QFile::remove(face.file);
    face = Registered();
}

int removeAbandonedSampleBoxFolders()
{
    return removeAbandonedRunFolders(runFolderParent(), QString::fromUtf16(kFaceFolderPrefix));
}

bool isChangingSampleBoxFace()
{
    return changing;
}

} // namespace platform
