#include "typeface/FontFacts.h"

#include "typeface/CharacterMap.h"
#include "typeface/FontFile.h"
#include "typeface/SfntTables.h"

#include <QtEndian>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_FONT_FORMATS_H
#include FT_MULTIPLE_MASTERS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TYPE1_TABLES_H

namespace platform {
namespace {

// The name IDs read, as the 'name' table numbers them.
enum NameId : quint16 {
    kCopyright = 0,
    kFamily = 1,
    kSubfamily = 2,
    kFullName = 4,
    kVersion = 5,
    kPostScriptName = 6,
    kManufacturer = 8,
    kDesigner = 9,
    kDescription = 10,
    kLicence = 13,
    kLicenceUrl = 14,
    kTypographicFamily = 16,
    kTypographicSubfamily = 17,
};

// The tables of one font of a TrueType/OpenType file, looked up in the file's bytes.
struct SfntFont
{
    QByteArrayView bytes;
    int face = 0;

    QByteArrayView table(const char (&tag)[5]) const { return sfntTable(bytes, face, tableTag(tag)); }
    bool has(const char (&tag)[5]) const { return !table(tag).isNull(); }
};

FontFormat formatOf(FT_Face face, const SfntFont &sfnt)
{
    if (FT_IS_SFNT(face)) {
        if (sfnt.has("CFF2"))
            return FontFormat::Cff2;
        if (sfnt.has("CFF "))
            return FontFormat::OpenTypeCff;
        if (sfnt.has("glyf"))
            return FontFormat::TrueType;
        // Colour bitmaps (CBDT, sbix) or plain bitmap strikes, no outline table.
        return FontFormat::Bitmap;
    }
    const QByteArray format(FT_Get_Font_Format(face));
    if (format == "Type 1" || format == "CID Type 1")
        return FontFormat::Type1;
    if (format == "CFF")
        return FontFormat::OpenTypeCff;
    if (!FT_IS_SCALABLE(face))
        return FontFormat::Bitmap;
    return FontFormat::Unknown;
}

// An axis or a named instance of a variable font, as its 'fvar' table gives it.
struct FvarAxis
{
    FontAxis axis;
    quint16 nameId = 0;
};
struct FvarInstance
{
    QList<double> coordinates;
    quint16 nameId = 0;
};

// The 'fvar' table of a variable font, its first kMaxAxes axes and kMaxInstances named instances
// (each instance's place on those axes), with the counts of those left out. A table FreeType
// would not take gives none, as the font then draws as a plain font. Work and memory are bounded
// by the limits, whatever it claims.
struct FvarTable
{
    QList<FvarAxis> axes;
    QList<FvarInstance> instances;
    qsizetype axesLeftOut = 0;
    qsizetype instancesLeftOut = 0;

    explicit FvarTable(QByteArrayView table)
    {
        const std::optional<FvarLayout> layout = fvarLayout(table);
        if (!layout)
            return;
        const auto fixed = [&](qint64 at) { return qint32(read32(table, at)) / 65536.0; };
        const auto [arrays, axisCount, axisSize, instanceCount, instanceSize] = *layout;
        const qint64 keptAxes = std::min<qint64>(axisCount, kMaxAxes);
        for (qint64 i = 0; i < keptAxes; ++i) {
            const qint64 at = arrays + i * axisSize;
            const quint32 tag = read32(table, at);
            const char letters[4] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
            FvarAxis axis;
            axis.axis.tag = QString::fromLatin1(letters, 4);
            axis.axis.minimum = fixed(at + 4);
            axis.axis.defaultValue = fixed(at + 8);
            axis.axis.maximum = fixed(at + 12);
            axis.nameId = read16(table, at + 18);
            axes.append(axis);
        }
        axesLeftOut = axisCount - keptAxes;
        const qint64 keptInstances = std::min<qint64>(instanceCount, kMaxInstances);
        for (qint64 i = 0; i < keptInstances; ++i) {
            const qint64 at = arrays + axisCount * axisSize + i * instanceSize;
            FvarInstance instance;
            instance.nameId = read16(table, at);
            for (qint64 a = 0; a < keptAxes; ++a)
                instance.coordinates.append(fixed(at + 4 + 4 * a));
            instances.append(instance);
        }
        instancesLeftOut = instanceCount - keptInstances;
    }

    // The name IDs the axes and instances kept are named by.
    QList<quint16> nameIds() const
    {
        QList<quint16> ids;
        for (const FvarAxis &axis : axes)
            ids.append(axis.nameId);
        for (const FvarInstance &instance : instances)
            ids.append(instance.nameId);
        return ids;
    }
};

// The axes and named instances of a TrueType/OpenType variable font, named from its names.
void readVariations(const FvarTable &fvar, const NameTable &names, FontFacts &facts)
{
    for (const FvarAxis &read : fvar.axes) {
        FontAxis axis = read.axis;
        axis.name = names.text(read.nameId);
        if (axis.name.isEmpty())
            axis.name = axis.tag;
        facts.axes.append(axis);
    }
    for (const FvarInstance &read : fvar.instances)
        facts.instances.append({names.text(read.nameId), read.coordinates});
    facts.axesLeftOut = fvar.axesLeftOut;
    facts.instancesLeftOut = fvar.instancesLeftOut;
}

// The axes of a PostScript multiple master font, which FreeType reads from a format that holds
// at most four of them and no named instances.
void readMultipleMasters(FT_Face face, FontFacts &facts)
{
    if (!FT_HAS_MULTIPLE_MASTERS(face))
        return;
    FT_MM_Var *mm = nullptr;
    if (FT_Get_MM_Var(face, &mm) != 0 || !mm)
        return;
    for (FT_UInt i = 0; i < mm->num_axis && i < FT_UInt(kMaxAxes); ++i) {
        const FT_Var_Axis &axis = mm->axis[i];
        FontAxis read;
        const char tag[4] = {char(axis.tag >> 24), char(axis.tag >> 16), char(axis.tag >> 8), char(axis.tag)};
        read.tag = QString::fromLatin1(tag, 4);
        if (axis.name)
            read.name = QString::fromLatin1(axis.name, qstrnlen(axis.name, kMaxNameBytes));
        if (read.name.isEmpty())
            read.name = read.tag;
        read.minimum = double(axis.minimum) / 65536.0;
        read.defaultValue = double(axis.def) / 65536.0;
        read.maximum = double(axis.maximum) / 65536.0;
        facts.axes.append(read);
    }
    FT_Done_MM_Var(threadFreeType(), mm);
}

QString latin1Text(const char *text, qsizetype maxBytes)
{
    return text ? QString::fromLatin1(text, qstrnlen(text, size_t(maxBytes))) : QString();
}

} // namespace

Embedding embeddingOf(quint16 fsType)
{
    Embedding embedding;
    // Bit 0 is reserved; of bits 1 to 3 the least restrictive one set counts.
    const quint16 usage = fsType & 0x000E;
    if (usage == 0)
        embedding.kind = EmbeddingKind::Installable;
    else if (usage & 0x0008)
        embedding.kind = EmbeddingKind::Editable;
    else if (usage & 0x0004)
        embedding.kind = EmbeddingKind::PreviewPrint;
    else
        embedding.kind = EmbeddingKind::Restricted;
    embedding.noSubsetting = fsType & 0x0100;
    embedding.bitmapOnly = fsType & 0x0200;
    return embedding;
}

FontFacts readFontFacts(const QByteArray &bytes, int face, const QString &path, const QDateTime &modified, bool *opened)
{
    FontFacts facts;
    facts.path = path;
    facts.fileSize = bytes.size();
    facts.modified = modified;
    facts.face = face;
    facts.collection = bytes.startsWith("ttcf");

    FT_Library library = threadFreeType();
    FT_Face ftFace = nullptr;
    const bool open = library && !bytes.isEmpty() && face >= 0
        && FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte *>(bytes.constData()), FT_Long(bytes.size()),
                              FT_Long(face), &ftFace)
            == 0;
    if (opened)
        *opened = open;
    if (!open)
        return facts;

    facts.faceCount = int(std::max<FT_Long>(1, ftFace->num_faces));
    facts.glyphs = ftFace->num_glyphs;
    const SfntFont sfnt{bytes, face};
    facts.format = formatOf(ftFace, sfnt);

    if (FT_IS_SFNT(ftFace)) {
        // The names and the variations come from the tables themselves (FreeType would keep
        // every name string it is asked for, and every named instance's place on every axis).
        const FvarTable fvar(sfnt.table("fvar"));
        QList<quint16> wanted{kCopyright, kFamily,  kSubfamily, kFullName, kVersion,           kPostScriptName,
                              kManufacturer, kDesigner, kDescription, kLicence, kLicenceUrl, kTypographicFamily,
                              kTypographicSubfamily};
        wanted += fvar.nameIds();
        const NameTable names(sfnt.table("name"), wanted);
        facts.family = names.text(kTypographicFamily);
        if (facts.family.isEmpty())
            facts.family = names.text(kFamily);
        facts.style = names.text(kTypographicSubfamily);
        if (facts.style.isEmpty())
            facts.style = names.text(kSubfamily);
        facts.fullName = names.text(kFullName);
        facts.postScriptName = names.text(kPostScriptName);
        facts.version = names.text(kVersion);
        facts.designer = names.text(kDesigner);
        facts.manufacturer = names.text(kManufacturer);
        facts.copyright = names.text(kCopyright, kMaxLongNameBytes);
        facts.licence = names.text(kLicence, kMaxLongNameBytes);
        facts.licenceUrl = names.text(kLicenceUrl, kMaxLongNameBytes);
        facts.description = names.text(kDescription, kMaxLongNameBytes);
        // A font without an OS/2 table says nothing about embedding.
        if (FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2))
            facts.embedding = embeddingOf(FT_Get_FSType_Flags(ftFace));
        readVariations(fvar, names, facts);
        if (sfnt.has("COLR") && sfnt.has("CPAL"))
            facts.colourFormats << QStringLiteral("COLR/CPAL");
        if (sfnt.has("CBDT"))
            facts.colourFormats << QStringLiteral("CBDT");
        if (sfnt.has("sbix"))
            facts.colourFormats << QStringLiteral("sbix");
        if (sfnt.has("SVG "))
            facts.colourFormats << QStringLiteral("SVG");
    } else {
        facts.postScriptName = latin1Text(FT_Get_Postscript_Name(ftFace), kMaxNameBytes);
        facts.family = latin1Text(ftFace->family_name, kMaxNameBytes);
        facts.style = latin1Text(ftFace->style_name, kMaxNameBytes);
        PS_FontInfoRec info;
        if (FT_Get_PS_Font_Info(ftFace, &info) == 0) {
            facts.fullName = latin1Text(info.full_name, kMaxNameBytes);
            facts.version = latin1Text(info.version, kMaxNameBytes);
            facts.copyright = latin1Text(info.notice, kMaxLongNameBytes);
            if (const quint16 fsType = FT_Get_FSType_Flags(ftFace); fsType != 0)
                facts.embedding = embeddingOf(fsType);
        }
        readMultipleMasters(ftFace, facts);
    }
    // The map last: reading it selects the face's Unicode map.
    const CharacterMap map = faceCharacterMap(ftFace);
    FT_Done_Face(ftFace);
    facts.characters = map.characterCount();
    facts.scripts = scriptCounts(map);
    return facts;
}

QString formatName(FontFormat format, bool german)
{
    switch (format) {
    case FontFormat::TrueType:
        return QStringLiteral("TrueType");
    case FontFormat::OpenTypeCff:
        return QStringLiteral("OpenType/CFF");
    case FontFormat::Cff2:
        return QStringLiteral("OpenType/CFF2");
    case FontFormat::Type1:
        return QStringLiteral("Type 1");
    case FontFormat::Bitmap:
        return german ? QStringLiteral("Bitmap") : QStringLiteral("bitmap");
    case FontFormat::Unknown:
        break;
    }
    return german ? QStringLiteral("unbekannt") : QStringLiteral("unknown");
}

QString embeddingWords(const Embedding &embedding, bool german)
{
    QString words;
    switch (embedding.kind) {
    case EmbeddingKind::Unknown:
        return german ? QStringLiteral("nicht angegeben") : QStringLiteral("not stated");
    case EmbeddingKind::Installable:
        words = german ? QStringLiteral("installierbar") : QStringLiteral("installable");
        break;
    case EmbeddingKind::Editable:
        words = german ? QStringLiteral("bearbeitbar") : QStringLiteral("editable");
        break;
    case EmbeddingKind::PreviewPrint:
        words = german ? QStringLiteral("Vorschau & Druck") : QStringLiteral("preview & print");
        break;
    case EmbeddingKind::Restricted:
        words = german ? QStringLiteral("eingeschränkt") : QStringLiteral("restricted");
        break;
    }
    if (embedding.noSubsetting)
        words += german ? QStringLiteral(", keine Teilmengen") : QStringLiteral(", no subsetting");
    if (embedding.bitmapOnly)
        words += german ? QStringLiteral(", nur Bitmaps") : QStringLiteral(", bitmap only");
    return words;
}

} // namespace platform
