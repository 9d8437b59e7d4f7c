#pragma once
// What a font file says about one of its fonts: its names, who made it and on what terms, what
// kind of font it is, what it covers, and the file it lies in. Read from the file's bytes through
// FreeType; nothing here opens a file.

#include "typeface/CharacterMap.h"
#include "typeface/FontFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

/// The most bytes of one long text read from a font's names (copyright, licence, description):
/// the longest real licence texts take a few thousand characters.
inline constexpr int kMaxLongNameBytes = 16 * 1024;

/// What a font's maker allows a document that embeds it (the OS/2 table's fsType).
enum class EmbeddingKind {
    Unknown,      ///< the font does not say (no OS/2 table)
    Installable,  ///< may be embedded and installed for good
    Editable,     ///< may be embedded in documents that are edited
    PreviewPrint, ///< may be embedded to view and print only
    Restricted,   ///< must not be embedded
};

/// The embedding permission with the two limits that go with it.
struct Embedding
{
    EmbeddingKind kind = EmbeddingKind::Unknown;
    bool noSubsetting = false; ///< only the whole font may be embedded
    bool bitmapOnly = false;   ///< only its bitmaps may be embedded
    friend bool operator==(const Embedding &, const Embedding &) = default;
};

/// The embedding permission of OS/2 fsType `fsType`. Where more than one usage bit is set, the
/// least restrictive counts, as a reader of the font is to take it.
Embedding embeddingOf(quint16 fsType);

/// What kind of font a face is.
enum class FontFormat {
    Unknown,
    TrueType,    ///< TrueType outlines (glyf)
    OpenTypeCff, ///< OpenType with PostScript outlines (CFF)
    Cff2,        ///< OpenType with CFF2 outlines
    Type1,       ///< a PostScript Type 1 font
    Bitmap,      ///< bitmaps only (Windows FNT, BDF, PCF, an outline-less sfnt)
};

/// A variation axis of a variable font.
struct FontAxis
{
    QString tag;  ///< "wght", "wdth"...
    QString name; ///< as the font names it; the tag when it does not
    double minimum = 0;
    double defaultValue = 0;
    double maximum = 0;
    friend bool operator==(const FontAxis &, const FontAxis &) = default;
};

/// A named instance of a variable font: a name and its place on each axis.
struct NamedInstance
{
    QString name;
    QList<double> coordinates;
    friend bool operator==(const NamedInstance &, const NamedInstance &) = default;
};

/// The facts of one font of a file.
struct FontFacts
{
    // Names, as the font gives them (control characters kept; escaping them is the reader's).
    QString family;
    QString style;
    QString fullName;
    QString postScriptName;
    QString version;
    QString designer;
    QString manufacturer;
    QString copyright;
    QString licence;
    QString licenceUrl;
    QString description;

    Embedding embedding;
    FontFormat format = FontFormat::Unknown;
    int face = 0;      ///< the font's index in its file
    int faceCount = 1; ///< how many fonts the file holds
    bool collection = false; ///< the file is a font collection (.ttc/.otc)
    qint64 glyphs = 0;
    QList<ScriptCount> scripts; ///< largest first
    qint64 characters = 0;      ///< characters the font maps in all
    QList<FontAxis> axes;          ///< at most kMaxAxes
    QList<NamedInstance> instances; ///< at most kMaxInstances, each placed on the axes kept
    qsizetype axesLeftOut = 0;      ///< axes the font has beyond those kept
    qsizetype instancesLeftOut = 0; ///< named instances the font has beyond those kept
    QStringList colourFormats; ///< "COLR/CPAL", "CBDT", "sbix", "SVG", in that order

    QString path;
    qint64 fileSize = 0;
    QDateTime modified; ///< invalid when unknown
};

/// The facts of font `face` of a font file's `bytes`, and `path`, the size of `bytes` and
/// `modified` as the file's. `opened` (when given) tells whether FreeType could open the font;
/// when it cannot, only the file's facts are filled in. Work is linear in the size of the file
/// and memory bounded whatever the font claims: name records, character map and axes are each
/// read once, every text is cut to its limit, and of the axes and named instances only the
/// first kMaxAxes and kMaxInstances are kept. The names and variations of a TrueType/OpenType
/// font are read from its tables; the character map as the drawing reads it (faceCharacterMap()).
FontFacts readFontFacts(const QByteArray &bytes, int face, const QString &path = {}, const QDateTime &modified = {},
                        bool *opened = nullptr);

/// The name of a font format as people read it ("TrueType", "OpenType/CFF", "CFF2", "Type 1",
/// "bitmap"), in German or English.
QString formatName(FontFormat format, bool german);

/// The embedding permission in words: "installable", "editable", "preview & print",
/// "restricted", with "no subsetting" and "bitmap only" after them; "not stated" when unknown.
QString embeddingWords(const Embedding &embedding, bool german);

} // namespace platform
