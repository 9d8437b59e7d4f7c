#include "fuzz/SeedCorpus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

namespace fuzzseeds {

namespace {

constexpr qint64 kMaxSourceSize = 1 << 20;         // larger font files are left out
constexpr qint64 kMaxFullMutantBase = 64 * 1024;   // larger ones are mutated in their small form only
constexpr int kFullMutantPercent = 8;              // mutants made from whole font files
constexpr qint64 kFrontSize = 4096;                // where headers and directories live
constexpr qint64 kFontHeaderSize = 12;
constexpr qint64 kTableRecordSize = 16;
constexpr qint64 kNameHeaderSize = 6;
constexpr qint64 kNameRecordSize = 12;
constexpr quint32 kMaxCollectionFonts = 16;

/// How many font files the corpus takes from each package, spread evenly over its sorted files.
struct PackagePick
{
    const char *package;
    int files;
};
constexpr PackagePick kPackages[] = {
    {"fonts-dejavu-core", 6},
    {"fonts-dejavu-extra", 6},
    {"fonts-liberation2", 6},
    {"fonts-noto-core", 22},
};

/// A small random generator (SplitMix64) whose sequence, unlike the standard distributions',
/// is the same with every compiler and library.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    /// A number from 0 to `n` - 1; 0 when `n` is not positive.
    qint64 below(qint64 n) { return n > 0 ? qint64(next() % quint64(n)) : 0; }

    /// True in `percent` of the calls.
    bool chance(int percent) { return below(100) < percent; }

    /// One of the values of `values`.
    template <typename T, size_t N>
    T pick(const T (&values)[N])
    {
        return values[below(qint64(N))];
    }

private:
    quint64 m_state;
};

/// The big-endian 16-bit value at `at`; 0 where `bytes` ends before it.
quint32 get16(const QByteArray &bytes, qint64 at)
{
    if (at < 0 || at + 2 > bytes.size())
        return 0;
    return quint32(uchar(bytes[at])) << 8 | uchar(bytes[at + 1]);
}

/// The big-endian 32-bit value at `at`; 0 where `bytes` ends before it.
quint32 get32(const QByteArray &bytes, qint64 at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    return get16(bytes, at) << 16 | get16(bytes, at + 2);
}

/// Writes the `width` low-order bytes of `value` big-endian at `at`, as far as `bytes` reaches.
void setField(QByteArray &bytes, qint64 at, int width, quint32 value)
{
    for (int i = 0; i < width; ++i) {
        const qint64 pos = at + i;
        if (pos >= 0 && pos < bytes.size())
            bytes[pos] = char(value >> (8 * (width - 1 - i)) & 0xFF);
    }
}

/// True when the four bytes at `at` are `tag`.
bool hasTag(const QByteArray &bytes, qint64 at, const char *tag)
{
    return at >= 0 && at + 4 <= bytes.size() && std::memcmp(bytes.constData() + at, tag, 4) == 0;
}

/// The table directory of one font in a file.
struct Directory
{
    qint64 start = 0;   // offset of the font header
    int tables = 0;     // table records counted by the header and complete in the file
    int nameIndex = -1; // the first record tagged 'name'

    qint64 recordAt(int index) const { return start + kFontHeaderSize + index * kTableRecordSize; }
};

/// The table directory of the font whose header starts at `start` in `file`.
Directory readDirectory(const QByteArray &file, qint64 start)
{
    Directory dir;
    dir.start = start;
    const int counted = int(get16(file, start + 4));
    while (dir.tables < counted && dir.recordAt(dir.tables) + kTableRecordSize <= file.size()) {
        if (dir.nameIndex < 0 && hasTag(file, dir.recordAt(dir.tables), "name"))
            dir.nameIndex = dir.tables;
        ++dir.tables;
    }
    return dir;
}

/// Where the fields worth mutating lie in a font file or collection.
struct Layout
{
    QList<qint64> fontHeaders;  // offsets of the font headers
    QList<qint64> tableRecords; // offsets of complete table records
    QList<qint64> nameTables;   // offsets of 'name' tables whose header lies in the file
};

/// The layout of the font or collection `file`, as far as the file holds it.
Layout readLayout(const QByteArray &file)
{
    Layout layout;
    if (hasTag(file, 0, "ttcf")) {
        const quint32 fonts = std::min(get32(file, 8), kMaxCollectionFonts);
        for (quint32 i = 0; i < fonts; ++i)
            layout.fontHeaders << qint64(get32(file, kFontHeaderSize + 4 * i));
    } else {
        layout.fontHeaders << 0;
    }
    for (const qint64 start : std::as_const(layout.fontHeaders)) {
        const Directory dir = readDirectory(file, start);
        for (int i = 0; i < dir.tables; ++i)
            layout.tableRecords << dir.recordAt(i);
        if (dir.nameIndex < 0)
            continue;
        const qint64 table = get32(file, dir.recordAt(dir.nameIndex) + 8);
        if (table + kNameHeaderSize <= file.size() && !layout.nameTables.contains(table))
            layout.nameTables << table;
    }
    return layout;
}

/// A file that mutants are made from, with its layout read once.
struct Base
{
    QByteArray bytes;
    Layout layout;
};

/// `bytes` as a base for mutants.
Base makeBase(const QByteArray &bytes)
{
    return {bytes, readLayout(bytes)};
}

/// A field of a table directory: a header field or, mostly, a record's tag, offset or length.
qint64 directoryField(Rng &rng, const Layout &layout, int &width)
{
    if (layout.tableRecords.isEmpty() || rng.chance(10)) {
        const qint64 header = layout.fontHeaders.value(rng.below(layout.fontHeaders.size()));
        static constexpr int kHeaderFields[] = {0, 4, 4, 4, 6, 8, 10};
        const int field = rng.pick(kHeaderFields);
        width = field == 0 ? 4 : 2;
        return header + field;
    }
    const qint64 record = layout.tableRecords[rng.below(layout.tableRecords.size())];
    static constexpr int kRecordFields[] = {0, 0, 0, 0, 4, 8, 8, 8, 8, 8, 8, 8, 8, 8, 12, 12, 12, 12, 12, 12};
    width = 4;
    return record + rng.pick(kRecordFields);
}

/// A field of a name table: its record count or string offset, a record's platform, name ID,
/// length or offset, or a byte of its strings.
qint64 nameField(Rng &rng, const QByteArray &base, const Layout &layout, int &width)
{
    const qint64 table = layout.nameTables[rng.below(layout.nameTables.size())];
    const qint64 count = get16(base, table + 2);
    const qint64 roll = rng.below(100);
    if (roll < 30 || count == 0) {
        static constexpr int kHeaderFields[] = {0, 2, 2, 2, 2, 2, 4, 4, 4, 4};
        width = 2;
        return table + rng.pick(kHeaderFields);
    }
    if (roll < 85) {
        const qint64 record = table + kNameHeaderSize + rng.below(count) * kNameRecordSize;
        static constexpr int kRecordFields[] = {0, 0, 0, 0, 2, 4, 6, 6, 6, 6, 8, 8, 8, 8, 8, 10, 10, 10, 10, 10};
        width = 2;
        return record + rng.pick(kRecordFields);
    }
    const qint64 strings = table + get16(base, table + 4);
    width = 1;
    return strings + rng.below(std::min(kFrontSize, std::max<qint64>(1, base.size() - strings)));
}

/// A byte anywhere: mostly in the first 4 KB.
qint64 anyByte(Rng &rng, const QByteArray &bytes)
{
    return rng.chance(70) ? rng.below(std::min<qint64>(bytes.size(), kFrontSize)) : rng.below(bytes.size());
}

/// The offset of a field to mutate and its width in bytes: mostly in the name tables and the
/// table directories, which is all the reader looks at.
qint64 pickField(Rng &rng, const Base &base, int &width)
{
    const qint64 roll = rng.below(100);
    if (roll < 45 && !base.layout.nameTables.isEmpty())
        return nameField(rng, base.bytes, base.layout, width);
    if (roll < 80)
        return directoryField(rng, base.layout, width);
    width = 1;
    return anyByte(rng, base.bytes);
}

/// A value for a `width`-byte field now holding `current` in a file of `size` bytes: a boundary,
/// a near miss of the current value or of the file's end, another name table's offset, a value
/// the reader looks for, or anything.
quint32 interestingValue(Rng &rng, int width, quint32 current, qint64 size, const Layout &layout)
{
    static constexpr quint32 k16[] = {0, 1, 2, 3, 4, 6, 12, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFE, 0xFFFF};
    static constexpr quint32 k32[] = {0, 1, 12, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF0, 0xFFFFFFFF};
    switch (rng.below(6)) {
    case 0:
        return width == 2 ? rng.pick(k16) : rng.pick(k32);
    case 1: {
        const quint32 step = quint32(1 + rng.below(16));
        return rng.chance(50) ? current + step : current - step;
    }
    case 2: {
        // Sizes near the end of the file: records and strings that end just past it.
        static constexpr qint64 kBack[] = {0, 1, 2, 6, 12, 16};
        return quint32(size - rng.pick(kBack));
    }
    case 3:
        // Another name table's offset: shared, overlapping or swapped tables.
        if (!layout.nameTables.isEmpty())
            return quint32(layout.nameTables[rng.below(layout.nameTables.size())]);
        return current;
    case 4:
    {
        // The values the reader looks for: the two platforms and the full name ID.
        static constexpr quint32 kWanted[] = {1, 3, 4};
        return rng.pick(kWanted);
    }
    default:
        return quint32(rng.next());
    }
}

/// Applies one mutation to `out`, a copy of `base` that earlier mutations may have changed.
void mutateOnce(Rng &rng, QByteArray &out, const Base &base, const QList<Base> &donors)
{
    int width = 1;
    switch (rng.below(10)) {
    case 0: { // flip bits
        const qint64 at = pickField(rng, base, width) + rng.below(width);
        if (at < out.size())
            out[at] = char(uchar(out[at]) ^ (1u << rng.below(8)));
        break;
    }
    case 1: { // set a byte to 0x00, 0xFF or anything
        const qint64 at = pickField(rng, base, width) + rng.below(width);
        static constexpr quint32 kBytes[] = {0x00, 0xFF, 0x100};
        const quint32 value = rng.pick(kBytes);
        setField(out, at, 1, value == 0x100 ? quint32(rng.next()) : value);
        break;
    }
    case 2:
    case 3:
    case 4: { // overwrite a 16- or 32-bit field
        const qint64 at = pickField(rng, base, width);
        if (width == 1)
            width = rng.chance(50) ? 2 : 4;
        const quint32 current = width == 2 ? get16(out, at) : get32(out, at);
        setField(out, at, width, interestingValue(rng, width, current, out.size(), base.layout));
        break;
    }
    case 5: { // duplicate a table record over another
        const auto &records = base.layout.tableRecords;
        if (records.size() < 2)
            break;
        const qint64 from = records[rng.below(records.size())];
        const qint64 to = records[rng.below(records.size())];
        if (from + kTableRecordSize <= out.size() && to + kTableRecordSize <= out.size())
            std::memmove(out.data() + to, out.constData() + from, kTableRecordSize);
        break;
    }
    case 6: { // duplicate a name record over another
        if (base.layout.nameTables.isEmpty())
            break;
        const qint64 table = base.layout.nameTables[rng.below(base.layout.nameTables.size())];
        const qint64 count = get16(base.bytes, table + 2);
        const qint64 from = table + kNameHeaderSize + rng.below(count) * kNameRecordSize;
        const qint64 to = table + kNameHeaderSize + rng.below(count) * kNameRecordSize;
        if (count > 0 && from + kNameRecordSize <= out.size() && to + kNameRecordSize <= out.size())
            std::memmove(out.data() + to, out.constData() + from, kNameRecordSize);
        break;
    }
    case 7: { // tag another table 'name', or the name table something else
        const auto &records = base.layout.tableRecords;
        if (records.isEmpty())
            break;
        const qint64 record = records[rng.below(records.size())];
        static const char *const kTags[] = {"name", "name", "nam\0", "NAME", "eman", "head"};
        if (record + 4 <= out.size())
            std::memcpy(out.data() + record, rng.pick(kTags), 4);
        break;
    }
    case 8: { // splice in bytes of another font's directory or name table
        const Base &donor = donors[rng.below(donors.size())];
        qint64 from = rng.below(std::min<qint64>(donor.bytes.size(), kFrontSize));
        if (rng.chance(50) && !donor.layout.nameTables.isEmpty())
            from = donor.layout.nameTables[rng.below(donor.layout.nameTables.size())] + rng.below(64);
        const qint64 at = pickField(rng, base, width);
        const qint64 length = std::min({1 + rng.below(64), donor.bytes.size() - from, out.size() - at});
        if (length > 0 && at >= 0)
            std::memcpy(out.data() + at, donor.bytes.constData() + from, size_t(length));
        break;
    }
    default: { // insert or remove a few bytes in the first 4 KB, moving everything after them
        const qint64 at = rng.below(std::min<qint64>(out.size(), kFrontSize));
        const qint64 length = 1 + rng.below(16);
        if (rng.chance(50)) {
            QByteArray inserted(length, Qt::Uninitialized);
            for (char &c : inserted)
                c = char(rng.next());
            out.insert(at, inserted);
        } else {
            out.remove(at, length);
        }
        break;
    }
    }
}

/// Where to cut a mutant short: inside a directory, a name table's records or strings, or just
/// before the end.
qint64 truncationPoint(Rng &rng, const QByteArray &out, const Base &base)
{
    const Layout &layout = base.layout;
    switch (rng.below(4)) {
    case 0:
        if (!layout.tableRecords.isEmpty())
            return layout.tableRecords[rng.below(layout.tableRecords.size())] + rng.below(kTableRecordSize);
        break;
    case 1:
        if (!layout.nameTables.isEmpty()) {
            const qint64 table = layout.nameTables[rng.below(layout.nameTables.size())];
            return table + rng.below(kNameHeaderSize + get16(base.bytes, table + 2) * kNameRecordSize);
        }
        break;
    case 2:
        return out.size() - 1 - rng.below(16);
    default:
        break;
    }
    return rng.below(out.size());
}

/// A mutant of `base`: one to four mutations, sometimes cut short afterwards; `donors` give the
/// bytes that splices copy in.
QByteArray mutate(Rng &rng, const Base &base, const QList<Base> &donors)
{
    QByteArray out = base.bytes;
    const qint64 steps = 1 + rng.below(4);
    for (qint64 i = 0; i < steps && !out.isEmpty(); ++i)
        mutateOnce(rng, out, base, donors);
    if (!out.isEmpty() && rng.chance(12))
        out.truncate(std::clamp<qint64>(truncationPoint(rng, out, base), 0, out.size()));
    return out;
}

/// A collection of the small forms `fonts`, each with its own 'name' table or, with
/// `sharedName`, all with the first font's.
QByteArray makeCollection(const QList<QByteArray> &fonts, bool sharedName)
{
    QByteArray out("ttcf", 4);
    out.append(8 + 4 * fonts.size(), '\0');
    setField(out, 4, 4, 0x00010000);
    setField(out, 8, 4, quint32(fonts.size()));
    QList<Directory> placed;
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        const Directory dir = readDirectory(fonts[i], 0);
        setField(out, kFontHeaderSize + 4 * i, 4, quint32(out.size()));
        Directory moved = dir;
        moved.start = out.size();
        placed << moved;
        out += fonts[i].left(dir.recordAt(dir.tables));
    }
    const qint64 firstName = out.size();
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        const Directory dir = readDirectory(fonts[i], 0);
        const qint64 nameOffsetField = placed[i].recordAt(dir.nameIndex) + 8;
        if (i > 0 && sharedName) {
            setField(out, nameOffsetField, 4, quint32(firstName));
            continue;
        }
        // A small form ends with its name table.
        const qint64 table = get32(fonts[i], dir.recordAt(dir.nameIndex) + 8);
        setField(out, nameOffsetField, 4, quint32(out.size()));
        out += fonts[i].mid(table);
    }
    return out;
}

/// A collection of `faces` fonts that all list one table directory: that of the small form
/// `font`, whose name table follows it, grown to `records` records by empty tables tagged
/// "~~~~". Every table lies within the file. A reader that checks the directory once for each
/// font takes time that grows with faces times records.
QByteArray makeSharedDirectoryCollection(const QByteArray &font, int faces, int records)
{
    const Directory dir = readDirectory(font, 0);
    QByteArray out("ttcf", 4);
    out.append(8 + 4 * qint64(faces), '\0');
    setField(out, 4, 4, 0x00010000);
    setField(out, 8, 4, quint32(faces));
    const qint64 start = out.size();
    for (int i = 0; i < faces; ++i)
        setField(out, kFontHeaderSize + 4 * qint64(i), 4, quint32(start));
    out += font.left(kFontHeaderSize + dir.tables * kTableRecordSize);
    setField(out, start + 4, 2, quint32(records));
    const qint64 filler = out.size();
    out.append((records - dir.tables) * kTableRecordSize, '\0');
    for (qint64 at = filler; at < out.size(); at += kTableRecordSize)
        std::memcpy(out.data() + at, "~~~~", 4);
    // The small form's name table, moved along; the records of the tables it left out point
    // nowhere within it and become empty.
    const qint64 tables = out.size();
    out += font.mid(dir.recordAt(dir.tables));
    for (int i = 0; i < dir.tables; ++i) {
        const qint64 record = start + kFontHeaderSize + i * kTableRecordSize;
        if (i == dir.nameIndex) {
            setField(out, record + 8, 4, quint32(get32(out, record + 8) - dir.recordAt(dir.tables) + tables));
        } else {
            setField(out, record + 8, 4, 0);
            setField(out, record + 12, 4, 0);
        }
    }
    return out;
}

/// The small form `font` dressed as a CFF-flavoured OpenType font.
QByteArray makeCffFlavour(const QByteArray &font)
{
    QByteArray out = font;
    std::memcpy(out.data(), "OTTO", 4);
    const Directory dir = readDirectory(out, 0);
    for (int i = 0; i < dir.tables; ++i) {
        if (hasTag(out, dir.recordAt(i), "glyf"))
            std::memcpy(out.data() + dir.recordAt(i), "CFF ", 4);
    }
    return out;
}

/// A TrueType font of nothing but a name table of `count` Windows Unicode records of `length`
/// bytes each, family, style and full names in turn. The string storage begins right after the
/// table's header, over the records themselves (its 16-bit offset could not reach past 5,000
/// records), and goes on with letters. With `distinct`, record i starts 2 i bytes into it, so
/// every name differs; otherwise all share the same bytes. Such a table costs a reader that
/// compares each name with all before it quadratic time.
QByteArray makeManyLongNames(int count, int length, bool distinct)
{
    const qint64 records = 6 + 12 * qint64(count);
    const qint64 storageEnd = 6 + (distinct ? 2 * qint64(count - 1) : 0) + length;
    const qint64 size = std::max(records, storageEnd);
    QByteArray out(kFontHeaderSize + 16, '\0');
    setField(out, 0, 4, 0x00010000);
    setField(out, 4, 2, 1);
    std::memcpy(out.data() + kFontHeaderSize, "name", 4);
    setField(out, kFontHeaderSize + 8, 4, quint32(out.size()));
    setField(out, kFontHeaderSize + 12, 4, quint32(size));
    const qint64 table = out.size();
    out.append(records, '\0');
    setField(out, table + 2, 2, quint32(count));
    setField(out, table + 4, 2, 6);
    static const quint16 kNameIds[] = {1, 2, 4};
    for (int i = 0; i < count; ++i) {
        const qint64 record = table + 6 + 12 * qint64(i);
        setField(out, record, 2, 3);
        setField(out, record + 2, 2, 1);
        setField(out, record + 4, 2, 0x409);
        setField(out, record + 6, 2, kNameIds[i % 3]);
        setField(out, record + 8, 2, quint32(length));
        setField(out, record + 10, 2, distinct ? quint32(2 * i) : 0);
    }
    // UTF-16BE letters "A" to "Z" in turn.
    for (qint64 i = 0; out.size() < table + size; ++i)
        out.append('\0').append(char('A' + i % 26));
    return out;
}

/// The single TrueType/OpenType font `font` with the tables `tables` (tag and bytes) in place of
/// its own of the same tags, or added: a new font whose tables follow its directory, each record
/// with its table's checksum. Tables the font lists beyond its end are left out.
QByteArray withTables(const QByteArray &font, const QList<std::pair<QByteArray, QByteArray>> &tables)
{
    QList<std::pair<QByteArray, QByteArray>> all = tables;
    const Directory dir = readDirectory(font, 0);
    for (int i = 0; i < dir.tables; ++i) {
        const QByteArray tag = font.mid(dir.recordAt(i), 4);
        const qint64 offset = get32(font, dir.recordAt(i) + 8);
        const qint64 length = get32(font, dir.recordAt(i) + 12);
        const bool replaced = std::any_of(tables.cbegin(), tables.cend(), [&](const auto &t) { return t.first == tag; });
        if (!replaced && offset + length <= font.size())
            all.append({tag, font.mid(offset, length)});
    }
    std::sort(all.begin(), all.end());
    QByteArray out(kFontHeaderSize + kTableRecordSize * all.size(), '\0');
    out.replace(0, 4, font.left(4));
    setField(out, 4, 2, quint32(all.size()));
    for (qsizetype i = 0; i < all.size(); ++i) {
        out.append((4 - out.size() % 4) % 4, '\0');
        const qint64 record = kFontHeaderSize + kTableRecordSize * i;
        QByteArray padded = all[i].second;
        padded.append((4 - padded.size() % 4) % 4, '\0');
        quint32 sum = 0;
        for (qint64 at = 0; at < padded.size(); at += 4)
            sum += get32(padded, at);
        out.replace(record, 4, all[i].first);
        setField(out, record + 4, 4, sum);
        setField(out, record + 8, 4, quint32(out.size()));
        setField(out, record + 12, 4, quint32(all[i].second.size()));
        out += all[i].second;
    }
    return out;
}

/// The glyph count of the single font `font`, as its 'maxp' table gives it; 0 without one.
quint32 glyphCount(const QByteArray &font)
{
    const Directory dir = readDirectory(font, 0);
    for (int i = 0; i < dir.tables; ++i)
        if (hasTag(font, dir.recordAt(i), "maxp"))
            return get16(font, get32(font, dir.recordAt(i) + 8) + 4);
    return 0;
}

/// Appends `value` big-endian in `width` bytes to `out`.
void append(QByteArray &out, int width, quint32 value)
{
    out.append(width, '\0');
    setField(out, out.size() - width, width, value);
}

/// A 'cmap' table of one (3,10) subtable of `format` 12 or 13 holding `groups` (first and last
/// character, glyph), in the order given.
QByteArray groupsMap(int format, const QList<std::array<quint32, 3>> &groups)
{
    QByteArray out;
    append(out, 2, 0);
    append(out, 2, 1);
    append(out, 2, 3);
    append(out, 2, 10);
    append(out, 4, 12);
    append(out, 2, quint32(format));
    append(out, 2, 0);
    append(out, 4, quint32(16 + 12 * groups.size()));
    append(out, 4, 0);
    append(out, 4, quint32(groups.size()));
    for (const auto &group : groups)
        for (const quint32 value : group)
            append(out, 4, value);
    return out;
}

/// A 'name' table of Windows Unicode records, each (name ID, UTF-16BE bytes).
QByteArray namesTable(const QList<std::pair<quint16, QByteArray>> &names)
{
    QByteArray out;
    append(out, 2, 0);
    append(out, 2, quint32(names.size()));
    append(out, 2, quint32(6 + 12 * names.size()));
    QByteArray strings;
    for (const auto &[id, text] : names) {
        for (const quint32 value : {3u, 1u, 0x409u, quint32(id), quint32(text.size()), quint32(strings.size())})
            append(out, 2, value);
        strings += text;
    }
    return out + strings;
}

/// The font `base` (a small TrueType font) with tables that claim far more than a font needs or
/// break what a reader may rely on, each kept below a megabyte: a name table of
/// 10,900 records of 65,534 bytes sharing one string; 'fvar' tables of 1,024 axes and 150
/// instances, and of 64 axes and 2,500 instances; 60,000 overlapping map groups of formats 12
/// and 13; map groups in descending order; a group past the glyph count; names with lone
/// surrogates and an odd byte count.
QList<QByteArray> craftedFonts(const QByteArray &base)
{
    QList<QByteArray> crafted;
    const quint32 glyphs = glyphCount(base);

    // The string offset holds 16 bits: the records' offsets add up to strings after the records.
    {
        constexpr int kRecords = 10900;
        constexpr quint32 kLength = 65534;
        constexpr quint32 kShift = 65535;
        const quint32 start = 6 + 12 * kRecords;
        QByteArray name;
        append(name, 2, 0);
        append(name, 2, kRecords);
        append(name, 2, kShift);
        for (int i = 0; i < kRecords; ++i) {
            const quint32 id = i < 4 ? QList<quint32>{1, 2, 4, 6}[i] : 252 + quint32(i);
            for (const quint32 value : {3u, 1u, 0x409u, id, i < 4 ? 8u : kLength, start - kShift})
                append(name, 2, value);
        }
        for (quint32 i = 0; i < kLength / 2; ++i)
            name.append('\0').append(char('A' + i % 26));
        crafted << withTables(base, {{"name", name}});
    }
    for (const auto &[axes, instances] : {std::pair(1024, 150), std::pair(64, 2500)}) {
        QByteArray fvar;
        for (const quint32 value : {1u, 0u, 16u, 2u, quint32(axes), 20u, quint32(instances), quint32(4 + 4 * axes)})
            append(fvar, 2, value);
        for (int i = 0; i < axes; ++i) {
            append(fvar, 4, 0x61000000u + quint32(i));
            for (const quint32 value : {0u, 0u, 0x10000u})
                append(fvar, 4, value);
            append(fvar, 2, 0);
            append(fvar, 2, 256);
        }
        for (int i = 0; i < instances; ++i) {
            append(fvar, 2, 257);
            append(fvar, 2, 0);
            for (int a = 0; a < axes; ++a)
                append(fvar, 4, 0x8000);
        }
        crafted << withTables(base, {{"fvar", fvar}});
    }
    const QList<std::array<quint32, 3>> overlapping(60000, {0, 0x10FFFF, 1});
    crafted << withTables(base, {{"cmap", groupsMap(12, overlapping)}})
            << withTables(base, {{"cmap", groupsMap(13, overlapping)}});
    QList<std::array<quint32, 3>> descending;
    for (quint32 c = 0x7E; c >= 0x21; --c)
        descending.append({c, c, c - 0x1D});
    crafted << withTables(base, {{"cmap", groupsMap(12, descending)}});
    QList<std::array<quint32, 3>> pastTheCount(descending.crbegin(), descending.crend());
    pastTheCount.append({0x4E00, 0x4E10, glyphs > 5 ? glyphs - 5 : 0});
    crafted << withTables(base, {{"cmap", groupsMap(12, pastTheCount)}});
    const QByteArray lone("\0S\xD8\x00\0x\xDC\xFF\0y", 10);
    crafted << withTables(base, {{"name", namesTable({{1, lone}, {2, QByteArray("\0R", 2)}, {4, lone}, {6, lone + 'z'}})}});
    return crafted;
}

/// The font files of the installed Debian package `package`, sorted; empty when not installed.
QStringList packageFontFiles(const QString &package)
{
    QProcess dpkg;
    dpkg.start(QStringLiteral("dpkg-query"), {QStringLiteral("-L"), package});
    if (!dpkg.waitForFinished(60000) || dpkg.exitStatus() != QProcess::NormalExit || dpkg.exitCode() != 0)
        return {};
    QStringList files;
    const QStringList lines = QString::fromUtf8(dpkg.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString lower = line.toLower();
        const bool font = lower.endsWith(QLatin1String(".ttf")) || lower.endsWith(QLatin1String(".otf"))
                          || lower.endsWith(QLatin1String(".ttc"));
        const QFileInfo info(line);
        if (font && info.isFile() && !info.isSymLink() && info.size() <= kMaxSourceSize)
            files << line;
    }
    files.sort();
    return files;
}

/// Writes `bytes` to the file `path`; false, with `error` set, when it cannot.
bool writeBytes(const QString &path, const QByteArray &bytes, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

QStringList seedFontFiles()
{
    QStringList picked;
    for (const PackagePick &pick : kPackages) {
        const QStringList files = packageFontFiles(QString::fromLatin1(pick.package));
        const qsizetype count = std::min<qsizetype>(pick.files, files.size());
        for (qsizetype i = 0; i < count; ++i)
            picked << files[i * files.size() / count];
    }
    return picked;
}

QByteArray compactFont(const QByteArray &font)
{
    const Directory dir = readDirectory(font, 0);
    if (dir.nameIndex < 0)
        return {};
    const qint64 nameRecord = dir.recordAt(dir.nameIndex);
    const qint64 table = get32(font, nameRecord + 8);
    const qint64 length = get32(font, nameRecord + 12);
    if (length < kNameHeaderSize || table + length > font.size())
        return {};
    QByteArray out = font.left(dir.recordAt(dir.tables));
    // Tables start on 4-byte boundaries, as in the fonts themselves.
    out.append((4 - out.size() % 4) % 4, '\0');
    setField(out, nameRecord + 8, 4, quint32(out.size()));
    out += font.mid(table, length);
    return out;
}

bool writeSeedCorpus(const QString &dir, const Options &options, Counts &counts, QString &error)
{
    counts = {};
    const QStringList files = seedFontFiles();
    if (files.isEmpty()) {
        error = QStringLiteral("none of the seed font packages is installed");
        return false;
    }
    const QDir root(dir);
    for (const char *folder : {"fonts", "compact", "synthetic", "crafted", "mutants"}) {
        if (!root.mkpath(QString::fromLatin1(folder))) {
            error = QStringLiteral("cannot create %1 in %2").arg(QString::fromLatin1(folder), dir);
            return false;
        }
    }

    QByteArray smallest; // the smallest TrueType font of some glyphs, the base of the crafted fonts
    QList<QByteArray> compactFonts;
    QList<Base> bases;     // small forms, CFF flavours and collections
    QList<Base> fullBases; // whole font files small enough to be written many times
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
            return false;
        }
        const QByteArray bytes = file.readAll();
        const QString name = QFileInfo(path).fileName();
        // Glyphs enough for the ASCII letters the crafted maps map.
        const bool trueType = bytes.startsWith(QByteArray("\0\1\0\0", 4)) && bytes.contains("glyf")
                              && glyphCount(bytes) >= 128;
        if (trueType && (smallest.isEmpty() || bytes.size() < smallest.size()))
            smallest = bytes;
        if (bytes.size() <= options.maxFullSize) {
            if (!writeBytes(root.filePath(QStringLiteral("fonts/") + name), bytes, error))
                return false;
            ++counts.fonts;
            if (bytes.size() <= kMaxFullMutantBase)
                fullBases << makeBase(bytes);
        }
        const QByteArray compact = compactFont(bytes);
        if (compact.isEmpty())
            continue;
        if (!writeBytes(root.filePath(QStringLiteral("compact/") + name), compact, error))
            return false;
        ++counts.compact;
        compactFonts << compact;
        bases << makeBase(compact);
    }
    if (compactFonts.isEmpty()) {
        error = QStringLiteral("no seed font has a name table");
        return false;
    }

    QList<QByteArray> synthetic;
    for (qsizetype i = 0; i < compactFonts.size(); i += 5)
        synthetic << makeCffFlavour(compactFonts[i]);
    // Collections of one, two and three fonts, and two fonts sharing one name table.
    const auto fontsFrom = [&](qsizetype first, qsizetype count) {
        QList<QByteArray> fonts;
        for (qsizetype i = 0; i < count; ++i)
            fonts << compactFonts[(first + i) % compactFonts.size()];
        return fonts;
    };
    synthetic << makeCollection(fontsFrom(0, 1), false) << makeCollection(fontsFrom(1, 2), false)
              << makeCollection(fontsFrom(3, 3), false) << makeCollection(fontsFrom(6, 2), true);
    // Thousands of long names: 10,000 different ones of 30,000 bytes in 120 KB, and 2,500 alike.
    synthetic << makeManyLongNames(10000, 30000, true) << makeManyLongNames(2500, 30000, false);
    // Collections whose fonts all list one directory of 65,535 records: 1,024 of them, and
    // 100,000 (too many for a collection, some megabytes). Too large to be mutated.
    const qsizetype mutated = synthetic.size();
    synthetic << makeSharedDirectoryCollection(compactFonts[0], 1024, 65535)
              << makeSharedDirectoryCollection(compactFonts[0], 100000, 65535);
    for (qsizetype i = 0; i < synthetic.size(); ++i) {
        const bool collection = synthetic[i].startsWith("ttcf");
        const QString name = QStringLiteral("synthetic/s%1.%2")
                                 .arg(i, 2, 10, QLatin1Char('0'))
                                 .arg(collection ? QStringLiteral("ttc") : QStringLiteral("otf"));
        if (!writeBytes(root.filePath(name), synthetic[i], error))
            return false;
        ++counts.synthetic;
        if (i < mutated)
            bases << makeBase(synthetic[i]);
    }

    if (!smallest.isEmpty()) {
        const QList<QByteArray> crafted = craftedFonts(smallest);
        for (qsizetype i = 0; i < crafted.size(); ++i) {
            if (crafted[i].size() > options.maxFullSize)
                continue;
            if (!writeBytes(root.filePath(QStringLiteral("crafted/c%1.ttf").arg(i, 2, 10, QLatin1Char('0'))), crafted[i],
                            error))
                return false;
            ++counts.crafted;
        }
    }

    Rng rng(options.seed);
    for (int i = 0; i < options.mutants; ++i) {
        const bool full = !fullBases.isEmpty() && rng.chance(kFullMutantPercent);
        const QList<Base> &from = full ? fullBases : bases;
        const QByteArray mutant = mutate(rng, from[rng.below(from.size())], bases);
        if (!writeBytes(root.filePath(QStringLiteral("mutants/m%1").arg(i, 5, 10, QLatin1Char('0'))), mutant, error))
            return false;
        ++counts.mutants;
    }
    return true;
}

} // namespace fuzzseeds
