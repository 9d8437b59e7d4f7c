#pragma once
// A word-processor document as typed text: paragraphs of runs, each run with its font name,
// size, bold and italic, and the page orientation; written as an Office Open XML document
// (.docx). Font files can travel inside the document (obfuscated embedded fonts), so that the
// document shows a font that the machine opening it does not have.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

namespace output::docx {

/// The character format of typed text.
struct Format
{
    QString font;  ///< font name; empty: the document's default font
    int size = 12; ///< points, 1 to kMaxFontSize
    bool bold = false;
    bool italic = false;
    QString file; ///< the font's file, whose face the text is in; empty: the font is found by name
};

/// The largest font size a document takes, in points.
inline constexpr int kMaxFontSize = 1638;

/// Text typed in one format.
struct Run
{
    QString text;
    Format format;
};

/// One paragraph: its runs and the format of its paragraph mark (which gives an empty
/// paragraph its height).
struct Paragraph
{
    QList<Run> runs;
    Format mark;
};

/// The document: A4 pages in one orientation, and its paragraphs.
struct Document
{
    bool landscape = false;
    QList<Paragraph> paragraphs;
};

/// A font file to carry in the document under the font name the runs use.
struct FontFile
{
    QString name;
    QByteArray data;
};

/// Whether a font file may be carried inside a document.
enum class Embedding {
    Allowed,   ///< an sfnt font (TrueType or OpenType) whose licence bits permit embedding
    Forbidden, ///< its OS/2 fsType asks for restricted-licence or bitmap-only embedding
    Unsupported ///< not a single sfnt font (a collection, a bitmap or Type 1 font, damaged)
};

/// The embedding permission of the font file `data`, from its OS/2 fsType: restricted licence
/// (bit 1 without a less restrictive bit 2 or 3) or bitmap embedding only (bit 9) forbid it; a
/// font without an OS/2 table may be embedded.
Embedding embeddingOf(QByteArrayView data);

/// The obfuscated form of font `data` under `key`: the first 32 bytes XORed with the key's 16
/// bytes taken in reverse order of its text form, twice. Applying it again restores the data.
QByteArray obfuscate(QByteArray data, const QUuid &key);

/// The document's main part (word/document.xml) for `document`: its paragraphs, runs and page
/// setup. Text and font names lose what XML cannot hold (control characters other than tab and
/// line breaks, non-characters, unpaired surrogates); tabs and line breaks become tab stops and
/// breaks within the paragraph.
QByteArray documentXml(const Document &document);

/// Writes `document` as a .docx file at `path`, carrying those of `fonts` that may be embedded
/// (each name once, the first file for it). The file is written through platform::saveThrough():
/// it appears whole or not at all, and a failure throws util::Error (platform::RefusedTarget for
/// a name that is not written to) and leaves an existing file at `path` as it was. Returns the
/// names of the fonts carried.
QStringList write(const Document &document, const QList<FontFile> &fonts, const QString &path);

} // namespace output::docx
