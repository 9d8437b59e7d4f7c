#include "output/DocxWriter.h"

#include "platform/SafeSave.h"
#include "util/Errors.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamWriter>

#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <deque>
#include <memory>

namespace output::docx {
namespace {

constexpr char kW[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr char kR[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr char kPackageRels[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kContentTypes[] = "http://schemas.openxmlformats.org/package/2006/content-types";

// A4 in twentieths of a point.
constexpr int kA4Short = 11906;
constexpr int kA4Long = 16838;

quint16 be16(QByteArrayView data, qsizetype at)
{
    return quint16((quint8(data[at]) << 8) | quint8(data[at + 1]));
}

quint32 be32(QByteArrayView data, qsizetype at)
{
    return (quint32(be16(data, at)) << 16) | be16(data, at + 2);
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

// The text with everything XML cannot hold left out: control characters, non-characters and
// unpaired surrogates (text read from font files may hold any of them).
QString xmlSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            safe += c;
            safe += text.at(++i);
        } else if (!c.isSurrogate() && isXmlChar(c.unicode())) {
            safe += c;
        }
    }
    return safe;
}

class Xml
{
public:
    Xml()
        : m_writer(&m_bytes)
    {
        m_writer.writeStartDocument(QStringLiteral("1.0"), true);
    }
    QXmlStreamWriter *operator->() { return &m_writer; }
    QByteArray finish()
    {
        m_writer.writeEndDocument();
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    QXmlStreamWriter m_writer;
};

void writeFormat(QXmlStreamWriter &w, const Format &format)
{
    w.writeStartElement(QStringLiteral("w:rPr"));
    const QString font = xmlSafe(format.font);
    if (!font.isEmpty()) {
        w.writeEmptyElement(QStringLiteral("w:rFonts"));
        // Every script of the text in the one font; where it lacks glyphs, the word processor
        // falls back by itself.
        for (const char *slot : {"w:ascii", "w:hAnsi", "w:eastAsia", "w:cs"})
            w.writeAttribute(QLatin1String(slot), font);
    }
    if (format.bold) {
        w.writeEmptyElement(QStringLiteral("w:b"));
        w.writeEmptyElement(QStringLiteral("w:bCs"));
    }
    if (format.italic) {
        w.writeEmptyElement(QStringLiteral("w:i"));
        w.writeEmptyElement(QStringLiteral("w:iCs"));
    }
    // Sizes are counted in half points.
    const QString halfPoints = QString::number(2 * qBound(1, format.size, kMaxFontSize));
    w.writeEmptyElement(QStringLiteral("w:sz"));
    w.writeAttribute(QStringLiteral("w:val"), halfPoints);
    w.writeEmptyElement(QStringLiteral("w:szCs"));
    w.writeAttribute(QStringLiteral("w:val"), halfPoints);
    w.writeEndElement();
}

// The run's text: tabs become tab stops, line breaks breaks within the paragraph, so that a
// typed text never ends its paragraph.
void writeText(QXmlStreamWriter &w, const QString &text)
{
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        if (end > start) {
            w.writeStartElement(QStringLiteral("w:t"));
            w.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            w.writeCharacters(text.mid(start, end - start));
            w.writeEndElement();
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            flush(i);
            w.writeEmptyElement(c == QLatin1Char('\t') ? QStringLiteral("w:tab") : QStringLiteral("w:br"));
            // A Windows line break is one break.
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    flush(text.size());
}

struct Embedded
{
    QString name;
    QUuid key;
    QString part; ///< "fonts/fontN.odttf", relative to word/
};

QByteArray fontTableXml(const QList<Embedded> &fonts)
{
    Xml xml;
    QXmlStreamWriter &w = *xml.operator->();
    w.writeNamespace(QString::fromLatin1(kW), QStringLiteral("w"));
    w.writeNamespace(QString::fromLatin1(kR), QStringLiteral("r"));
    w.writeStartElement(QString::fromLatin1(kW), QStringLiteral("fonts"));
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        w.writeStartElement(QStringLiteral("w:font"));
        w.writeAttribute(QStringLiteral("w:name"), fonts.at(i).name);
        // The file is the face the name stands for, whatever its weight and slant: the runs ask
        // for it by this name alone.
        w.writeEmptyElement(QStringLiteral("w:embedRegular"));
        w.writeAttribute(QStringLiteral("r:id"), QStringLiteral("rId%1").arg(i + 1));
        w.writeAttribute(QStringLiteral("w:fontKey"), fonts.at(i).key.toString(QUuid::WithBraces).toUpper());
        w.writeEndElement();
    }
    w.writeEndElement();
    return xml.finish();
}

QByteArray relationshipsXml(const QList<std::pair<QString, QString>> &typeAndTarget)
{
    Xml xml;
    xml->writeDefaultNamespace(QString::fromLatin1(kPackageRels));
    xml->writeStartElement(QStringLiteral("Relationships"));
    for (qsizetype i = 0; i < typeAndTarget.size(); ++i) {
        xml->writeEmptyElement(QStringLiteral("Relationship"));
        xml->writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(i + 1));
        xml->writeAttribute(QStringLiteral("Type"), QString::fromLatin1(kR) + QLatin1Char('/') + typeAndTarget.at(i).first);
        xml->writeAttribute(QStringLiteral("Target"), typeAndTarget.at(i).second);
    }
    xml->writeEndElement();
    return xml.finish();
}

QByteArray settingsXml()
{
    Xml xml;
    xml->writeNamespace(QString::fromLatin1(kW), QStringLiteral("w"));
    xml->writeStartElement(QString::fromLatin1(kW), QStringLiteral("settings"));
    // Keeps the carried fonts in the document when the user saves it from the word processor.
    xml->writeEmptyElement(QStringLiteral("w:embedTrueTypeFonts"));
    xml->writeEndElement();
    return xml.finish();
}

QByteArray contentTypesXml()
{
    Xml xml;
    xml->writeDefaultNamespace(QString::fromLatin1(kContentTypes));
    xml->writeStartElement(QStringLiteral("Types"));
    const auto byExtension = [&](const char *extension, const char *type) {
        xml->writeEmptyElement(QStringLiteral("Default"));
        xml->writeAttribute(QStringLiteral("Extension"), QLatin1String(extension));
        xml->writeAttribute(QStringLiteral("ContentType"), QLatin1String(type));
    };
    const auto byPart = [&](const char *part, const char *type) {
        xml->writeEmptyElement(QStringLiteral("Override"));
        xml->writeAttribute(QStringLiteral("PartName"), QLatin1String(part));
        xml->writeAttribute(QStringLiteral("ContentType"), QLatin1String(type));
    };
    byExtension("rels", "application/vnd.openxmlformats-package.relationships+xml");
    byExtension("xml", "application/xml");
    byExtension("odttf", "application/vnd.openxmlformats-officedocument.obfuscatedFont");
    byPart("/word/document.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
    byPart("/word/fontTable.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml");
    byPart("/word/settings.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml");
    xml->writeEndElement();
    return xml.finish();
}

struct ZipDiscard
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};

// The archive's way into the file a save hands over: libzip writes an archive through a source
// that it may also read, so this one tells it that the archive is new (nothing to read) and takes
// its writes, seeks included (the entries' headers are completed after their data).
class FileSink
{
public:
    explicit FileSink(QFile &file)
        : m_file(file)
    {
        zip_error_init(&m_error);
    }
    ~FileSink() { zip_error_fini(&m_error); }
    FileSink(const FileSink &) = delete;
    FileSink &operator=(const FileSink &) = delete;

    static zip_int64_t call(void *sink, void *data, zip_uint64_t length, zip_source_cmd_t command)
    {
        return static_cast<FileSink *>(sink)->handle(data, length, command);
    }

private:
    zip_int64_t fail(int zipError, int systemError = 0)
    {
        zip_error_set(&m_error, zipError, systemError);
        return -1;
    }

    zip_int64_t handle(void *data, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE,
                ZIP_SOURCE_REMOVE, zip_source_cmd_t(-1));
        case ZIP_SOURCE_STAT:
            // The way libzip is told that there is no archive yet.
            return fail(ZIP_ER_READ, ENOENT);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_FREE:
        case ZIP_SOURCE_BEGIN_WRITE:
        case ZIP_SOURCE_COMMIT_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE:
            // The save commits or drops the file as a whole.
            return 0;
        case ZIP_SOURCE_WRITE: {
            const auto *bytes = static_cast<const char *>(data);
            zip_uint64_t done = 0;
            while (done < length) {
                const qint64 written = m_file.write(bytes + done, qint64(length - done));
                if (written <= 0)
                    return fail(ZIP_ER_WRITE, ENOSPC);
                done += zip_uint64_t(written);
            }
            return zip_int64_t(length);
        }
        case ZIP_SOURCE_SEEK_WRITE: {
            const auto *seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &m_error);
            if (!seek)
                return -1;
            qint64 base = 0;
            if (seek->whence == SEEK_CUR)
                base = m_file.pos();
            else if (seek->whence == SEEK_END)
                base = m_file.flush() ? m_file.size() : -1;
            if (base < 0 || base + seek->offset < 0 || !m_file.seek(base + seek->offset))
                return fail(ZIP_ER_SEEK, EINVAL);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE:
            return m_file.pos();
        default:
            return fail(ZIP_ER_OPNOTSUPP);
        }
    }

    QFile &m_file;
    zip_error_t m_error;
};

// The archive being written into `file`. Its parts' bytes must stay in place until the archive is
// closed.
class Archive
{
public:
    explicit Archive(QFile &file)
        : m_sink(file)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t *source = zip_source_function_create(&FileSink::call, &m_sink, &error);
        if (source) {
            m_zip.reset(zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &error));
            if (!m_zip)
                zip_source_free(source);
        }
        if (!m_zip) {
            const QString reason = QString::fromLocal8Bit(zip_error_strerror(&error));
            zip_error_fini(&error);
            fail(reason);
        }
        zip_error_fini(&error);
    }

    void add(const char *name, QByteArray bytes, bool compress = true)
    {
        m_parts.push_back(std::move(bytes));
        const QByteArray &kept = m_parts.back();
        zip_source_t *source = zip_source_buffer(m_zip.get(), kept.constData(), zip_uint64_t(kept.size()), 0);
        if (!source)
            fail(archiveError());
        const zip_int64_t index = zip_file_add(m_zip.get(), name, source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            fail(archiveError());
        }
        if (zip_set_file_compression(m_zip.get(), zip_uint64_t(index), compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0) < 0)
            fail(archiveError());
    }

    // Writes the archive into the file; the save puts the file in place once it is complete.
    void close()
    {
        if (zip_close(m_zip.get()) < 0)
            fail(archiveError());
        (void)m_zip.release();
    }

private:
    QString archiveError() const { return QString::fromLocal8Bit(zip_strerror(m_zip.get())); }

    [[noreturn]] void fail(const QString &reason)
    {
        m_zip.reset();
        throw util::Error(QStringLiteral("The document could not be written: %1").arg(reason));
    }

    FileSink m_sink;
    std::unique_ptr<zip_t, ZipDiscard> m_zip;
    std::deque<QByteArray> m_parts;
};

} // namespace

QByteArray documentXml(const Document &document)
{
    Xml xml;
    QXmlStreamWriter &w = *xml.operator->();
    w.writeNamespace(QString::fromLatin1(kW), QStringLiteral("w"));
    w.writeStartElement(QString::fromLatin1(kW), QStringLiteral("document"));
    w.writeStartElement(QStringLiteral("w:body"));
    for (const Paragraph &paragraph : document.paragraphs) {
        w.writeStartElement(QStringLiteral("w:p"));
        w.writeStartElement(QStringLiteral("w:pPr"));
        writeFormat(w, paragraph.mark);
        w.writeEndElement();
        for (const Run &run : paragraph.runs) {
            const QString text = xmlSafe(run.text);
            if (text.isEmpty())
                continue;
            w.writeStartElement(QStringLiteral("w:r"));
            writeFormat(w, run.format);
            writeText(w, text);
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeStartElement(QStringLiteral("w:sectPr"));
    w.writeEmptyElement(QStringLiteral("w:pgSz"));
    w.writeAttribute(QStringLiteral("w:w"), QString::number(document.landscape ? kA4Long : kA4Short));
    w.writeAttribute(QStringLiteral("w:h"), QString::number(document.landscape ? kA4Short : kA4Long));
    if (document.landscape)
        w.writeAttribute(QStringLiteral("w:orient"), QStringLiteral("landscape"));
    // The margins of a new document: 2.5 cm, the bottom 2 cm.
    w.writeEmptyElement(QStringLiteral("w:pgMar"));
    for (const auto &[name, value] : {std::pair{"w:top", 1417}, {"w:right", 1417}, {"w:bottom", 1134},
                                      {"w:left", 1417}, {"w:header", 708}, {"w:footer", 708}, {"w:gutter", 0}})
        w.writeAttribute(QLatin1String(name), QString::number(value));
    w.writeEndElement(); // sectPr
    w.writeEndElement(); // body
    w.writeEndElement(); // document
    return xml.finish();
}

Embedding embeddingOf(QByteArrayView data)
{
    if (data.size() < 12)
        return Embedding::Unsupported;
    const quint32 version = be32(data, 0);
    if (version != 0x00010000 && version != 0x4F54544F /* OTTO */ && version != 0x74727565 /* true */)
        return Embedding::Unsupported;
    const int tables = be16(data, 4);
    for (int i = 0; i < tables; ++i) {
        const qsizetype record = 12 + qsizetype(i) * 16;
        if (record + 16 > data.size())
            return Embedding::Unsupported;
        if (be32(data, record) != 0x4F532F32 /* OS/2 */)
            continue;
        const qsizetype offset = be32(data, record + 8);
        if (offset + 10 > data.size())
            return Embedding::Unsupported;
        const quint16 fsType = be16(data, offset + 8);
        // Of the usage bits, the least restrictive one counts: restricted licence alone forbids.
        const bool restricted = (fsType & 0x000E) == 0x0002;
        const bool bitmapOnly = fsType & 0x0200;
        return restricted || bitmapOnly ? Embedding::Forbidden : Embedding::Allowed;
    }
    return Embedding::Allowed;
}

QByteArray obfuscate(QByteArray data, const QUuid &key)
{
    const QByteArray bytes = key.toRfc4122();
    for (qsizetype i = 0; i < 32 && i < data.size(); ++i)
        data[i] = char(data[i] ^ bytes[15 - (i % 16)]);
    return data;
}

QStringList write(const Document &document, const QList<FontFile> &fonts, const QString &path)
{
    QList<Embedded> embedded;
    QList<QByteArray> fontParts;
    QHash<QString, bool> seen;
    for (const FontFile &font : fonts) {
        const QString name = xmlSafe(font.name);
        if (name.isEmpty() || seen.contains(name) || embeddingOf(font.data) != Embedding::Allowed)
            continue;
        seen.insert(name, true);
        const QUuid key = QUuid::createUuid();
        embedded.append({name, key, QStringLiteral("fonts/font%1.odttf").arg(embedded.size() + 1)});
        fontParts.append(obfuscate(font.data, key));
    }

    QList<std::pair<QString, QString>> fontRelations;
    for (const Embedded &font : std::as_const(embedded))
        fontRelations.append({QStringLiteral("font"), font.part});

    platform::saveThrough(path, [&](QFile &file) {
        Archive archive(file);
        archive.add("[Content_Types].xml", contentTypesXml());
        archive.add("_rels/.rels", relationshipsXml({{QStringLiteral("officeDocument"), QStringLiteral("word/document.xml")}}));
        archive.add("word/_rels/document.xml.rels",
                    relationshipsXml({{QStringLiteral("fontTable"), QStringLiteral("fontTable.xml")},
                                      {QStringLiteral("settings"), QStringLiteral("settings.xml")}}));
        archive.add("word/document.xml", documentXml(document));
        archive.add("word/settings.xml", settingsXml());
        archive.add("word/fontTable.xml", fontTableXml(embedded));
        if (!embedded.isEmpty())
            archive.add("word/_rels/fontTable.xml.rels", relationshipsXml(fontRelations));
        for (qsizetype i = 0; i < embedded.size(); ++i)
            archive.add(("word/" + embedded.at(i).part).toUtf8().constData(), fontParts.at(i));
        archive.close();
    });

    QStringList names;
    for (const Embedded &font : std::as_const(embedded))
        names << font.name;
    return names;
}

} // namespace output::docx
