#include "fonts/FontInfo.h"

#include "fonts/ListQuestions.h"
#include "typeface/FileFaces.h"
#include "util/EscapedText.h"
#include "util/FilePaths.h"
#include "util/Parallel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <new>
#include <vector>

namespace fonts {
namespace {

// German names of the scripts fonts are most often made for; the others keep Unicode's English
// name, which German writers use too.
struct ScriptNameDe
{
    const char *code;
    const char16_t *name;
};
constexpr ScriptNameDe kGermanScripts[] = {
    {"Arab", u"Arabisch"},   {"Armn", u"Armenisch"},     {"Beng", u"Bengalisch"},  {"Cyrl", u"Kyrillisch"},
    {"Ethi", u"Äthiopisch"}, {"Geor", u"Georgisch"},     {"Grek", u"Griechisch"},  {"Hebr", u"Hebräisch"},
    {"Khmr", u"Khmer"},      {"Latn", u"Lateinisch"},    {"Mong", u"Mongolisch"},  {"Mymr", u"Birmanisch"},
    {"Sinh", u"Singhalesisch"}, {"Syrc", u"Syrisch"},    {"Tibt", u"Tibetisch"},   {"Hani", u"Han (chinesisch)"},
    {"Hang", u"Hangul (koreanisch)"}, {"Copt", u"Koptisch"}, {"Runr", u"Runen"},   {"Brai", u"Braille"},
};

QString numberText(qint64 n, bool german)
{
    return QLocale(german ? QLocale::German : QLocale::English).toString(n);
}

QString decimalText(double value)
{
    return QString::number(value, 'g', 6);
}

// A name on one line whatever it holds.
QString oneLine(const QString &text)
{
    return util::escapeControls(text);
}

// A long text (copyright, licence, description) keeps its line breaks; its further lines are
// indented, so that no line of it reads as a field of its own.
QString longText(const QString &text)
{
    QString kept = util::escapeMessageControls(text.trimmed());
    kept.replace(QLatin1Char('\n'), QStringLiteral("\n    "));
    return kept;
}

QString scriptsText(const QList<platform::ScriptCount> &scripts, bool german)
{
    QStringList parts;
    for (const platform::ScriptCount &script : scripts)
        parts << QStringLiteral("%1 %2").arg(scriptWords(script.code, german), numberText(script.characters, german));
    return parts.join(QStringLiteral(", "));
}

// "…and 14,744 more instances": what a list of facts left out, after the list.
QString leftOutText(qsizetype count, const char16_t *english, const char16_t *inGerman, bool german)
{
    if (count <= 0)
        return {};
    return (german ? QStringLiteral("; …und %1 weitere %2") : QStringLiteral("; …and %1 more %2"))
        .arg(numberText(count, german), QString::fromUtf16(german ? inGerman : english));
}

QString axesText(const platform::FontFacts &facts, bool german)
{
    QStringList parts;
    for (const platform::FontAxis &axis : facts.axes)
        parts << (german ? QStringLiteral("%1 (%2) %3 bis %4, Standard %5") : QStringLiteral("%1 (%2) %3 to %4, default %5"))
                     .arg(oneLine(axis.name), oneLine(axis.tag), decimalText(axis.minimum), decimalText(axis.maximum),
                          decimalText(axis.defaultValue));
    return parts.join(QStringLiteral("; ")) + leftOutText(facts.axesLeftOut, u"axes", u"Achsen", german);
}

QString instancesText(const platform::FontFacts &facts, bool german)
{
    QStringList parts;
    for (const platform::NamedInstance &instance : facts.instances) {
        QStringList places;
        for (qsizetype a = 0; a < instance.coordinates.size() && a < facts.axes.size(); ++a)
            places << facts.axes.at(a).tag + QLatin1Char(' ') + decimalText(instance.coordinates.at(a));
        parts << QStringLiteral("%1 (%2)").arg(oneLine(instance.name), oneLine(places.join(QStringLiteral(", "))));
    }
    return parts.join(QStringLiteral("; "))
        + leftOutText(facts.instancesLeftOut, u"instances", u"Instanzen", german);
}

QString formatText(const platform::FontFacts &facts, bool german)
{
    QString text = platform::formatName(facts.format, german);
    if (facts.collection)
        text += (german ? QStringLiteral(", Sammlung: Schrift %1 von %2") : QStringLiteral(", collection face %1 of %2"))
                    .arg(facts.face + 1)
                    .arg(facts.faceCount);
    return text;
}

// The path and name an entry is named by in other entries' duplicate-of field.
QString entryReference(const FontListEntry &entry)
{
    return entry.isFile() ? entry.path : entry.name;
}

} // namespace

namespace {

// Where the facts of an entry come from: worked out on the GUI thread, where the list's files
// and the font system are asked, and read on any.
struct FactsSource
{
    QString path;
    platform::FileIdentity identity; ///< the identity the file was listed with; unknown for a typeface's
    int face = 0;
    bool unknownTypeface = false;
    platform::FontFileFault refused = platform::FontFileFault::None; ///< refused before any read
};

FactsSource sourceOf(const FontListEntry &entry)
{
    FactsSource source;
    if (entry.isFile()) {
        auto &faces = platform::FileFaces::instance();
        source.path = entry.path;
        source.identity = faces.listedIdentity(entry.path);
        source.face = faces.listedFace(entry.path);
        // A file never listed, or listed where none could be opened, is not read: the list's
        // files say why (nothing is read for it).
        if (!source.identity.isKnown())
            source.refused = faces.fileBytes(entry.path).fault;
        if (!source.identity.isKnown() && source.refused == platform::FontFileFault::None)
            source.refused = platform::FontFileFault::Replaced;
    } else {
        const platform::TypefaceFile typeface = platform::typefaceFile(entry.name);
        source.unknownTypeface = typeface.path.isEmpty();
        source.path = typeface.path;
        source.face = typeface.face;
    }
    return source;
}

// Reads the facts `source` leads to; pure, for any thread.
EntryFacts readSource(const FactsSource &source)
{
    EntryFacts result;
    result.unknownTypeface = source.unknownTypeface;
    result.fault = source.refused;
    if (source.unknownTypeface || source.refused != platform::FontFileFault::None)
        return result;
    try {
        const platform::FontFileBytes file = platform::readFontFile(source.path, source.identity);
        result.fault = file.fault;
        const QDateTime modified =
            file.modifiedMs >= 0 ? QDateTime::fromMSecsSinceEpoch(file.modifiedMs) : QDateTime();
        bool opened = false;
        result.facts = platform::readFontFacts(file.bytes, source.face, source.path, modified, &opened);
        if (file.fault == platform::FontFileFault::None && !opened)
            result.fault = platform::FontFileFault::Damaged;
    } catch (const std::bad_alloc &) {
        // Memory ran out on this file (the facts themselves are bounded, its bytes are up to the
        // size limit): it is marked as a file that cannot be used, and the others are read.
        result = EntryFacts();
        result.fault = platform::FontFileFault::Damaged;
    }
    return result;
}

} // namespace

EntryFacts entryFacts(const FontListEntry &entry)
{
    return readSource(sourceOf(entry));
}

QString scriptWords(const QString &code, bool german)
{
    if (german)
        for (const ScriptNameDe &script : kGermanScripts)
            if (code == QLatin1String(script.code))
                return QString::fromUtf16(script.name);
    return platform::scriptName(code);
}

QString factsFaultReason(const FontListEntry &, const EntryFacts &facts, bool german)
{
    if (facts.unknownTypeface)
        return german ? QStringLiteral("Das Schriftsystem kennt keine Datei dieser Schrift")
                      : QStringLiteral("The font system knows no file of this typeface");
    return faultText(facts.fault, german);
}

QString factsText(const FontListEntry &entry, const EntryFacts &read, bool german)
{
    const auto tr = [german](const char16_t *english, const char16_t *inGerman) {
        return QString::fromUtf16(german ? inGerman : english);
    };
    const QString none = tr(u"not given", u"nicht angegeben");
    QStringList lines;
    const auto add = [&](const QString &label, const QString &value) {
        lines << label + QStringLiteral(": ") + (value.isEmpty() ? none : value);
    };
    const platform::FontFacts &f = read.facts;
    add(tr(u"Entry", u"Eintrag"), oneLine(entry.name));
    if (!read.isRead()) {
        if (!entry.path.isEmpty())
            add(tr(u"Path", u"Pfad"), oneLine(entry.path));
        add(tr(u"Cannot be read", u"Nicht lesbar"), factsFaultReason(entry, read, german));
        return lines.join(QLatin1Char('\n'));
    }
    add(tr(u"Family", u"Familie"), oneLine(f.family));
    add(tr(u"Style", u"Stil"), oneLine(f.style));
    add(tr(u"Full name", u"Vollständiger Name"), oneLine(f.fullName));
    add(tr(u"PostScript name", u"PostScript-Name"), oneLine(f.postScriptName));
    add(tr(u"Version", u"Version"), oneLine(f.version));
    add(tr(u"Designer", u"Gestalter"), oneLine(f.designer));
    add(tr(u"Manufacturer", u"Hersteller"), oneLine(f.manufacturer));
    add(tr(u"Copyright", u"Copyright"), longText(f.copyright));
    add(tr(u"Licence", u"Lizenz"), longText(f.licence));
    add(tr(u"Licence address", u"Adresse der Lizenz"), oneLine(f.licenceUrl));
    add(tr(u"Description", u"Beschreibung"), longText(f.description));
    add(tr(u"Embedding", u"Einbetten"), platform::embeddingWords(f.embedding, german));
    add(tr(u"Format", u"Format"), formatText(f, german));
    add(tr(u"Glyphs", u"Glyphen"), numberText(f.glyphs, german));
    add(tr(u"Characters", u"Zeichen"), numberText(f.characters, german));
    add(tr(u"Scripts", u"Schriftsysteme"), scriptsText(f.scripts, german));
    if (!f.axes.isEmpty()) {
        add(tr(u"Variable axes", u"Variable Achsen"), axesText(f, german));
        add(tr(u"Named instances", u"Benannte Instanzen"), instancesText(f, german));
    }
    add(tr(u"Colour", u"Farbe"), f.colourFormats.isEmpty() ? tr(u"none", u"keine") : f.colourFormats.join(QStringLiteral(", ")));
    add(tr(u"File size", u"Dateigröße"), tr(u"%1 bytes", u"%1 Bytes").arg(numberText(f.fileSize, german)));
    add(tr(u"Path", u"Pfad"), oneLine(f.path));
    add(tr(u"Modified", u"Geändert"),
        f.modified.isValid()
            ? QLocale(german ? QLocale::German : QLocale::English).toString(f.modified, QLocale::ShortFormat)
            : QString());
    return lines.join(QLatin1Char('\n'));
}

void writeFactsListing(const FontListEntries &entries, ListingFormat format, bool german,
                       const std::function<void(const QByteArray &part)> &write, const QList<qsizetype> &duplicateOf,
                       const UnreadableReason &reason)
{
    static const QStringList kFields{
        QStringLiteral("name"),      QStringLiteral("path"),    QStringLiteral("family"),  QStringLiteral("style"),
        QStringLiteral("version"),   QStringLiteral("vendor"),  QStringLiteral("licence"), QStringLiteral("licence-url"),
        QStringLiteral("embedding"), QStringLiteral("format"),  QStringLiteral("glyphs"),  QStringLiteral("scripts"),
        QStringLiteral("axes"),      QStringLiteral("colour"),  QStringLiteral("duplicate-of"),
        QStringLiteral("unreadable")};
    write(format == ListingFormat::Tsv ? kFields.join(QLatin1Char('\t')).toUtf8() + '\n' : QByteArray("[\n"));
    // The entries go in blocks: each block's files are read on every core, then written in order,
    // so that the facts of only one block are held at a time.
    constexpr qsizetype kBlock = 256;
    QList<FactsSource> sources;
    QList<EntryFacts> read;
    for (qsizetype first = 0; first < entries.size(); first += kBlock) {
        const qsizetype count = std::min(kBlock, entries.size() - first);
        sources.clear();
        for (qsizetype i = 0; i < count; ++i)
            sources.append(sourceOf(entries.at(first + i)));
        read = QList<EntryFacts>(count);
        util::forEachIndex(count, [&](qsizetype i) { read[i] = readSource(sources.at(i)); });

        QByteArray out;
        for (qsizetype k = 0; k < count; ++k) {
            const qsizetype i = first + k;
            const FontListEntry &entry = entries.at(i);
            const platform::FontFacts &f = read.at(k).facts;
            const qsizetype original = i < duplicateOf.size() ? duplicateOf.at(i) : -1;
            const FontListEntry *duplicated =
                original >= 0 && original < entries.size() ? &entries.at(original) : nullptr;
            const QString duplicate = duplicated ? entryReference(*duplicated) : QString();
            const QString unreadable = reason ? reason(entry, read.at(k), german) : QString();
            const bool known = read.at(k).isRead();
            const QString path = entry.isFile() ? entry.path : f.path;
            const QString embedding = known ? platform::embeddingWords(f.embedding, german) : QString();
            const QString formatWords = known ? formatText(f, german) : QString();
            if (format == ListingFormat::Tsv) {
                QStringList scripts;
                for (const platform::ScriptCount &script : f.scripts)
                    scripts << QStringLiteral("%1:%2").arg(script.code).arg(script.characters);
                QStringList axes;
                for (const platform::FontAxis &axis : f.axes)
                    axes << QStringLiteral("%1:%2:%3:%4")
                                .arg(axis.tag, decimalText(axis.minimum), decimalText(axis.defaultValue),
                                     decimalText(axis.maximum));
                const QString fields[] = {entry.name,
                                          path,
                                          f.family,
                                          f.style,
                                          f.version,
                                          f.manufacturer,
                                          f.licence,
                                          f.licenceUrl,
                                          embedding,
                                          formatWords,
                                          known ? QString::number(f.glyphs) : QString(),
                                          scripts.join(QLatin1Char(',')),
                                          axes.join(QLatin1Char(',')),
                                          f.colourFormats.join(QLatin1Char(',')),
                                          duplicate,
                                          unreadable};
                QString line;
                for (const QString &field : fields) {
                    if (&field != &fields[0])
                        line += QLatin1Char('\t');
                    line += util::escapeControls(field);
                }
                out += line.toUtf8() + '\n';
            } else {
                // Qt writes a lone surrogate as its \u escape, which strict readers refuse (and
                // the listing with it): every string goes out well-formed. A path that holds
                // bytes outside UTF-8 shows each as U+FFFD; its exact bytes come beside it.
                const auto string = [](const QString &value) { return QJsonValue(util::wellFormed(value)); };
                const auto text = [&string](const QString &value) { return value.isEmpty() ? QJsonValue() : string(value); };
                const auto pathBytes = [](const QString &value) {
                    return QStringView(value).isValidUtf16()
                               ? QJsonValue()
                               : QJsonValue(QString::fromLatin1(util::encodePath(value).toBase64()));
                };
                QJsonArray scripts;
                for (const platform::ScriptCount &script : f.scripts)
                    scripts.append(QJsonObject{{QStringLiteral("script"), string(script.code)},
                                               {QStringLiteral("name"), platform::scriptName(script.code)},
                                               {QStringLiteral("characters"), qint64(script.characters)}});
                QJsonArray axes;
                for (const platform::FontAxis &axis : f.axes)
                    axes.append(QJsonObject{{QStringLiteral("tag"), string(axis.tag)},
                                            {QStringLiteral("name"), string(axis.name)},
                                            {QStringLiteral("min"), axis.minimum},
                                            {QStringLiteral("default"), axis.defaultValue},
                                            {QStringLiteral("max"), axis.maximum}});
                const QJsonObject record{{QStringLiteral("name"), string(entry.name)},
                                         {QStringLiteral("path"), string(path)},
                                         {QStringLiteral("path-bytes"), pathBytes(path)},
                                         {QStringLiteral("family"), string(f.family)},
                                         {QStringLiteral("style"), string(f.style)},
                                         {QStringLiteral("version"), string(f.version)},
                                         {QStringLiteral("vendor"), string(f.manufacturer)},
                                         {QStringLiteral("licence"), string(f.licence)},
                                         {QStringLiteral("licence-url"), string(f.licenceUrl)},
                                         {QStringLiteral("embedding"), text(embedding)},
                                         {QStringLiteral("format"), text(formatWords)},
                                         {QStringLiteral("glyphs"), known ? QJsonValue(f.glyphs) : QJsonValue()},
                                         {QStringLiteral("scripts"), scripts},
                                         {QStringLiteral("axes"), axes},
                                         {QStringLiteral("colour"), QJsonArray::fromStringList(f.colourFormats)},
                                         {QStringLiteral("duplicate-of"), text(duplicate)},
                                         {QStringLiteral("duplicate-of-bytes"),
                                          duplicated && duplicated->isFile() ? pathBytes(duplicate) : QJsonValue()},
                                         {QStringLiteral("unreadable"), text(unreadable)}};
                // One record a line, the array's commas between them.
                out += QJsonDocument(record).toJson(QJsonDocument::Compact);
                out += i + 1 < entries.size() ? ",\n" : "\n";
            }
        }
        write(out);
    }
    if (format == ListingFormat::Json)
        write("]\n");
}

QByteArray factsListing(const FontListEntries &entries, ListingFormat format, bool german,
                        const QList<qsizetype> &duplicateOf, const UnreadableReason &reason)
{
    QByteArray all;
    writeFactsListing(
        entries, format, german, [&all](const QByteArray &part) { all += part; }, duplicateOf, reason);
    return all;
}

} // namespace fonts
