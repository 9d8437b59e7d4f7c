#pragma once
// Reading a font file that the list holds, as the file that was listed and nothing else: a font
// folder is anyone's, and between listing and drawing a file may have been truncated, deleted,
// swapped for another, or replaced by a FIFO or a device that would block whoever opens it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

struct stat;

namespace platform {

/// The most name records a font's 'name' table is read for, and handed on with: real fonts have
/// a few dozen, a variable font with localised instance names some hundreds.
inline constexpr int kMaxNameRecords = 512;

/// The most variation axes of a font read: real variable fonts have at most a dozen or two.
inline constexpr int kMaxAxes = 64;

/// The most named instances of a variable font read: real ones have a few dozen, the largest
/// families some hundred.
inline constexpr int kMaxInstances = 256;

/// The most bytes of one name that names a font (family, style, full and PostScript names,
/// typographic and WWS names) handed on: 256 UTF-16 characters.
inline constexpr int kMaxNameBytes = 512;

/// Which file a path led to when it was listed, and as it was then. Device and inode alone do not
/// tell a replacement: a file removed and another written under its name often gets the freed
/// inode back. What a replacement cannot keep (its size, and its modification and change times to
/// the nanosecond: the change time is set by the system, never by the writer) tells it too.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; ///< modification time, nanoseconds since the epoch
    qint64 changedNs = 0;  ///< status change time, nanoseconds since the epoch

    /// The identity of the file `st` describes.
    static FileIdentity of(const struct ::stat &st);

    /// False for the identity of no file (never listed, or listed before identities were kept).
    bool isKnown() const { return device != 0 || inode != 0; }
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

/// Larger than any real font (the largest CJK families stay below 40 MB): a file beyond it is
/// refused rather than read into memory.
inline constexpr qint64 kMaxFontFileSize = 64 * 1024 * 1024;

/// The most fonts a font collection may list: the largest real collections hold some dozens.
/// A collection that lists more is refused as damaged; each font listed costs a check of its
/// table directory, and every other program's font system would examine each one too.
inline constexpr int kMaxCollectionFonts = 1024;

/// Why a font file cannot be used.
enum class FontFileFault {
    None,
    Missing,    ///< the path leads nowhere (deleted, or a folder on the way gone)
    NotAFile,   ///< a FIFO, device, socket or folder
    Unreadable, ///< no permission, or a read failed
    TooLarge,   ///< larger than kMaxFontFileSize
    Replaced,   ///< another file than the one listed
    Damaged,    ///< tables reach beyond the end of the file, or the font system refuses it
};

/// A font file's contents, or why there are none.
struct FontFileBytes
{
    QByteArray bytes;
    FileIdentity identity;
    FontFileFault fault = FontFileFault::None;
    /// The file's last modification, milliseconds since the epoch, as the open file tells it; -1
    /// when unknown (the file was not opened, or the bytes came from a cache).
    qint64 modifiedMs = -1;
};

/// Reads the font file at `path` within bounds: opened without blocking and without giving a
/// FIFO or device a chance to block, checked to be a regular file of at most `limit` bytes on the
/// open descriptor, and, when `listed` is known, to be that very file. The tables of a
/// TrueType/OpenType file or collection must lie within the file (tablesWithinFile()). `path` may
/// be longer than the system's path limit.
FontFileBytes readFontFile(const QString &path, const FileIdentity &listed = {}, qint64 limit = kMaxFontFileSize);

/// Whether `tag`, the first four bytes of a font, starts a single TrueType/OpenType font (not a
/// collection, which starts with "ttcf").
bool isSfntVersion(quint32 tag);

/// Whether every table a TrueType/OpenType font or collection in `bytes` lists lies within
/// `bytes`, and a collection lists between 1 and kMaxCollectionFonts fonts. Other formats
/// (Type 1, bitmap fonts) have no table directory and pass. Each table record is looked at once,
/// however many fonts of a collection share or overlap their directories.
bool tablesWithinFile(QByteArrayView bytes);

/// `font` (a TrueType/OpenType font or collection whose tables lie within it) with tables that
/// other programs' font systems read in a moment and within little memory. Its 'name' tables hold
/// at most kMaxNameRecords records each, the first of each platform, encoding, language and name
/// ID, and names that name the font cut to kMaxNameBytes. Its 'fvar' tables list at most
/// kMaxInstances named instances; one of more than kMaxAxes axes is set aside (its version made
/// one no reader takes), so that the font is a plain font at its default instance: a font system
/// keeps the place of every instance on every axis, and makes a font of each instance. A font
/// within those bounds comes back unchanged; other formats too. The records and their lengths
/// are rewritten in place, so the strings stay where they are. The work is bounded by a few
/// times the font's size: a font whose tables would take more (thousands of overlapping name
/// tables, which no real font has) comes back empty, to be handed on to no one.
QByteArray withBoundedTables(QByteArray font);

/// The identity of the open file `fd`; unknown when it cannot be asked.
FileIdentity fileIdentity(int fd);

} // namespace platform
