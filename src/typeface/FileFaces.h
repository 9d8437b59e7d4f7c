#pragma once
// The faces of the font files a folder load listed, each drawn from its own file's bytes.
//
// Where Windows makes a font file's font known to the whole system by name, this program never
// registers a folder's files with the font system: each one registered makes every later lookup
// of any font search it too, so a sheet of thousands of folder fonts grows quadratically, and a
// file replaced by a FIFO, or one the font system refuses, stalls or misleads every lookup. A file
// is read here (platform::readFontFile()) and turned into a face of its own, which draws on the
// screen, on images and, embedded as a font, in print jobs.

#include "typeface/FontFile.h"

#include <QHash>
#include <QRawFont>
#include <QString>

#include <functional>
#include <list>
#include <memory>

typedef struct _FcPattern FcPattern;

namespace platform {

/// How a face is asked for: its size in pixels and the styles to add (synthesised where the
/// file's face lacks them, as Qt does for fonts drawn by name).
struct FaceStyle
{
    qreal pixelSize = 12;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const FaceStyle &, const FaceStyle &) = default;
};

/// The most bytes of the PostScript name a face from a file gives the documents it is embedded
/// in: PDF names hold at most 127 bytes, and the print engine puts a subset tag of seven before it.
inline constexpr qsizetype kMaxEmbeddedNameBytes = 120;

/// `name`, a font's PostScript name, as a face from a file gives it to the documents it is
/// embedded in: only the characters a PDF name holds as they are (printable ASCII but for the
/// delimiters and '#'), at most kMaxEmbeddedNameBytes. A name that had to change ends in a
/// hash of the whole name, so that fonts whose long names differ only beyond the cut keep
/// names apart; an empty one becomes "Font" and that hash.
QByteArray embeddedFontName(QByteArrayView name);

/// Makes the font engines of this process synthesise bold at every size. Qt leaves out the
/// emboldened outline from 64 pixels on, while its print engine strokes such text at any size:
/// without this, a large sheet image or preview would show upright regular text where a print
/// of the same sheet is bold. Called before any font is drawn; faces from files call it too.
void synthesiseBoldAtAnySize();

/// The loaded faces of listed font files, kept in a bounded cache, least recently used first to
/// go. One instance per process, used on the GUI thread only.
class FileFaces
{
public:
    /// The process-wide instance.
    static FileFaces &instance();

    /// Records that `path` was listed as the file `identity`, to be drawn in its font `face` (the
    /// index of the font in a collection, 0 for a single font), and forgets what was loaded from
    /// it before: a reload reads the file afresh.
    void setListedFile(const QString &path, const FileIdentity &identity, int face = 0);

    /// The identity `path` was listed with; unknown when it was not listed.
    FileIdentity listedIdentity(const QString &path) const;

    /// The font of its file `path` was listed to be drawn in: the face every target draws and
    /// embeds (0 when not listed).
    int listedFace(const QString &path) const;

    /// The face of the font file at `path` in `style` (its font listedFace()), rendered as the font
    /// system renders the same font installed: at the whole pixel size nearest the asked one, with
    /// the hinting and antialiasing fontconfig gives it. Only a listed file is read, and only
    /// while it is the file it was listed as: a path never listed is refused as
    /// FontFileFault::Replaced, one listed when no file could be opened there as
    /// FontFileFault::Missing, neither of them opened. Invalid when the file cannot be used;
    /// `fault` (when given) then says why. A file that failed is not tried again until it is
    /// listed again; so is one whose reading or face threw (std::bad_alloc): the exception goes
    /// on to the caller once, and the file counts as unreadable after it.
    QRawFont face(const QString &path, const FaceStyle &style, FontFileFault *fault = nullptr);

    /// The bytes of the font file at `path`, read as face() reads them (a file that is not the
    /// listed one is refused).
    FontFileBytes fileBytes(const QString &path);

    /// How listed files are read: readFontFile() unless replaced (tests put a failing reader
    /// here). Returns the reader it replaces.
    using Reader = std::function<FontFileBytes(const QString &path, const FileIdentity &listed)>;
    Reader setReader(Reader reader);

    /// Limits the cache: at most `faces` faces, and loaded files holding at most `bytes` bytes
    /// (a file's faces go with it). The file being drawn is kept whatever its size.
    void setLimits(int faces, qint64 bytes);

    /// Drops every loaded face and file (the listed identities stay).
    void clear();

    /// How many faces and files are held, and their bytes: for benches and tests.
    int faceCount() const { return int(m_faces.size()); }
    int fileCount() const { return int(m_files.size()); }
    qint64 heldBytes() const { return m_heldBytes; }

private:
    FileFaces() = default;

    struct ListedFile
    {
        FileIdentity identity;
        int face = 0;
    };
    struct LoadedFile
    {
        QByteArray bytes;
        /// The face as fontconfig describes it, made once per load (FcPattern, destroyed with it).
        std::shared_ptr<FcPattern> pattern;
        FontFileFault fault = FontFileFault::None;
        /// Unique for each time a file is loaded, so that two loads never share a face anywhere
        /// (Qt's face cache, a print job's embedded fonts).
        QByteArray label;
    };
    struct FaceKey
    {
        QString path;
        FaceStyle style;
        friend bool operator==(const FaceKey &, const FaceKey &) = default;
    };
    friend size_t qHash(const FaceKey &key, size_t seed) noexcept
    {
        return qHashMulti(seed, key.path, key.style.pixelSize, key.style.bold, key.style.italic);
    }

    LoadedFile &loadedFile(const QString &path);
    /// Drops the loaded file and the faces made from it. `path` is taken by value: the caller may
    /// pass a path held by the very list this erases it from.
    void forgetFile(QString path);
    void trim();

    QHash<QString, ListedFile> m_listed;
    // Least recently used first.
    std::list<QString> m_fileOrder;
    QHash<QString, std::pair<LoadedFile, std::list<QString>::iterator>> m_files;
    std::list<FaceKey> m_faceOrder;
    QHash<FaceKey, std::pair<QRawFont, std::list<FaceKey>::iterator>> m_faces;
    /// How many of the faces held come from each file.
    QHash<QString, int> m_facesByPath;
    Reader m_reader;
    qint64 m_heldBytes = 0;
    int m_maxFaces = 256;
    qint64 m_maxBytes = 96 * 1024 * 1024;
    quint64 m_loads = 0;
};

} // namespace platform
