// Fuzz entry point of the document's XML: any font name and any sample text, as a folder's
// font files and a typed sample can bring them, go into a document's main part, which must be
// well-formed XML that gives back exactly the text and the name, less what XML cannot hold.
//
// The first byte chooses bold, italic, the orientation and whether the rest is read as UTF-8
// or as raw UTF-16 (which brings unpaired surrogates); a 0xFF byte divides name from text.

#include "fuzz/FuzzEntry.h"

#include "output/DocxWriter.h"

#include <QString>
#include <QXmlStreamReader>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QString &got, const QString &expected)
{
    std::fprintf(stderr, "%s\n got:      %s\n expected: %s\n", what, qPrintable(got), qPrintable(expected));
    std::abort();
}

QString decode(const char *data, qsizetype size, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(data, size);
    QString text(size / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uchar(data[2 * i]) << 8 | uchar(data[2 * i + 1])));
    return text;
}

/// What XML can hold of `text`, worked out by code points: the characters XML 1.0 allows.
QString allowedOnly(const QString &text)
{
    QString kept;
    const QList<uint> points = text.toUcs4(); // an unpaired surrogate becomes U+FFFD here ...
    qsizetype unit = 0;
    for (const uint c : points) {
        const qsizetype width = c > 0xFFFF ? 2 : 1;
        const bool unpaired = text.at(unit).isSurrogate() && width == 1; // ... so it is looked up
        unit += width;
        const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
                             || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
        if (!allowed || unpaired)
            continue;
        // Not through QString::fromUcs4(), which takes a leading U+FEFF for a byte order mark.
        if (c > 0xFFFF) {
            kept += QChar(QChar::highSurrogate(c));
            kept += QChar(QChar::lowSurrogate(c));
        } else {
            kept += QChar(char16_t(c));
        }
    }
    return kept;
}

/// What a run can hold of `text`: what XML can, Windows and old Mac line breaks as one line
/// break each.
QString expectedText(const QString &text)
{
    QString kept = allowedOnly(text);
    kept.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    kept.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return kept;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];
    const char *rest = reinterpret_cast<const char *>(data + 1);
    const qsizetype restSize = qsizetype(size - 1);
    qsizetype divide = 0;
    while (divide < restSize && uchar(rest[divide]) != 0xFF)
        ++divide;
    const bool utf16 = flags & 8;
    const QString name = decode(rest, divide, utf16);
    const QString text = divide < restSize ? decode(rest + divide + 1, restSize - divide - 1, utf16) : QString();

    output::docx::Format format{name, 1 + flags / 16, bool(flags & 1), bool(flags & 2)};
    output::docx::Document document;
    document.landscape = flags & 4;
    document.paragraphs = {{{{text, format}}, format}};
    const QByteArray xml = output::docx::documentXml(document);

    // Read back: the run's font and text, tabs and breaks as the characters they stand for.
    QXmlStreamReader reader(xml);
    QString readText, readFont, markFont;
    bool inRun = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView element = reader.qualifiedName();
            if (element == QLatin1String("w:r"))
                inRun = true;
            else if (element == QLatin1String("w:rFonts"))
                (inRun ? readFont : markFont) = reader.attributes().value(QLatin1String("w:ascii")).toString();
            else if (element == QLatin1String("w:tab"))
                readText += QLatin1Char('\t');
            else if (element == QLatin1String("w:br"))
                readText += QLatin1Char('\n');
        } else if (reader.isCharacters() && inRun) {
            readText += reader.text();
        }
    }
    if (reader.hasError())
        fail("not well-formed", reader.errorString(), QString::fromUtf8(xml.left(2000)));
    if (readText != expectedText(text))
        fail("text", readText, expectedText(text));
    if (!readText.isEmpty() && readFont != allowedOnly(name))
        fail("font", readFont, allowedOnly(name));
    if (markFont != allowedOnly(name))
        fail("font of the paragraph mark", markFont, allowedOnly(name));
    return 0;
}
