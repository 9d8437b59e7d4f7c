#include "typeface/FontFacts.h"

#include "typeface/CharacterMap.h"
#include "typeface/FontFile.h"

#include <QHash>
#include <QStringDecoder>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_FONT_FORMATS_H
#include FT_MULTIPLE_MASTERS_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TYPE1_TABLES_H

namespace platform {
namespace {

// The name IDs read, as the 'name' table numbers them.
enum NameId : FT_UShort {
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

// How much a name record is wanted: Windows Unicode in US English first, then Windows Unicode in
// any language, then Unicode's own platform, then Macintosh Roman in English. 0: not readable.
int recordRank(const FT_SfntName &name)
{
    if (name.platform_id == TT_PLATFORM_MICROSOFT
        && (name.encoding_id == TT_MS_ID_UNICODE_CS || name.encoding_id == TT_MS_ID_UCS_4
            || name.encoding_id == TT_MS_ID_SYMBOL_CS))
        return name.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES ? 4 : 3;
    if (name.platform_id == TT_PLATFORM_APPLE_UNICODE)
        return 2;
    if (name.platform_id == TT_PLATFORM_MACINTOSH && name.encoding_id == TT_MAC_ID_ROMAN
        && name.language_id == TT_MAC_LANGID_ENGLISH)
        return 1;
    return 0;
}

// The text of a name record, at most `maxBytes` of it.
QString recordText(const FT_SfntName &name, int maxBytes)
{
    const qsizetype length = std::min<qsizetype>(name.string_len, maxBytes);
    const auto *bytes = reinterpret_cast<const char *>(name.string);
    if (name.platform_id == TT_PLATFORM_MACINTOSH) {
        QStringDecoder roman("macintosh");
        if (roman.isValid())
            return roman.decode(QByteArrayView(bytes, length));
        return QString::fromLatin1(bytes, length);
    }
    // UTF-16, big-endian; a cut never splits a code unit.
    QString text(length / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t((uchar(bytes[2 * i]) << 8) | uchar(bytes[2 * i + 1])));
    return text;
}

// The best record of each name ID of a face's 'name' table, found in one pass over its records.
class FaceNames
{
public:
    explicit FaceNames(FT_Face face)
        : m_face(face)
    {
        const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
        for (FT_UInt i = 0; i < count; ++i) {
            FT_SfntName name;
            if (FT_Get_Sfnt_Name(face, i, &name) != 0)
                continue;
            const int rank = recordRank(name);
            if (rank == 0)
                continue;
            auto found = m_best.find(name.name_id);
            if (found == m_best.end())
                m_best.insert(name.name_id, {rank, i});
            else if (rank > found->first)
                *found = {rank, i};
        }
    }

    // The name `id`, at most `maxBytes` of it; empty when the font has none.
    QString text(FT_UShort id, int maxBytes = kMaxNameBytes) const
    {
        const auto found = m_best.constFind(id);
        FT_SfntName name;
        if (found == m_best.cend() || FT_Get_Sfnt_Name(m_face, found->second, &name) != 0)
            return {};
        return recordText(name, maxBytes);
    }

private:
    FT_Face m_face;
    QHash<FT_UShort, std::pair<int, FT_UInt>> m_best;
};

bool hasTable(FT_Face face, const char (&tag)[5])
{
    FT_ULong length = 0;
    return FT_Load_Sfnt_Table(face, FT_MAKE_TAG(tag[0], tag[1], tag[2], tag[3]), 0, nullptr, &length) == 0;
}

FontFormat formatOf(FT_Face face)
{
    if (FT_IS_SFNT(face)) {
        if (hasTable(face, "CFF2"))
            return FontFormat::Cff2;
        if (hasTable(face, "CFF "))
            return FontFormat::OpenTypeCff;
        if (hasTable(face, "glyf"))
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

double fixedValue(FT_Fixed value)
{
    return double(value) / 65536.0;
}

// The axes and named instances of a variable (or multiple master) font.
void readVariations(FT_Face face, const FaceNames *names, FontFacts &facts)
{
    if (!FT_HAS_MULTIPLE_MASTERS(face))
        return;
    FT_MM_Var *mm = nullptr;
    if (FT_Get_MM_Var(face, &mm) != 0 || !mm)
        return;
    for (FT_UInt i = 0; i < mm->num_axis; ++i) {
        const FT_Var_Axis &axis = mm->axis[i];
        FontAxis read;
        const char tag[4] = {char(axis.tag >> 24), char(axis.tag >> 16), char(axis.tag >> 8), char(axis.tag)};
        read.tag = QString::fromLatin1(tag, 4);
        if (names && axis.strid != 0)
            read.name = names->text(FT_UShort(axis.strid));
        if (read.name.isEmpty() && axis.name)
            read.name = QString::fromLatin1(axis.name, qstrnlen(axis.name, kMaxNameBytes));
        if (read.name.isEmpty())
            read.name = read.tag;
        read.minimum = fixedValue(axis.minimum);
        read.defaultValue = fixedValue(axis.def);
        read.maximum = fixedValue(axis.maximum);
        facts.axes.append(read);
    }
    // FreeType adds an instance at the default place when the font names none there; only the
    // font's own are told, as many as its 'fvar' table counts.
    FT_UInt instances = mm->num_namedstyles;
    FT_Byte header[16];
    FT_ULong length = sizeof header;
    if (names && FT_Load_Sfnt_Table(face, FT_MAKE_TAG('f', 'v', 'a', 'r'), 0, header, &length) == 0)
        instances = std::min<FT_UInt>(instances, FT_UInt((header[12] << 8) | header[13]));
    for (FT_UInt i = 0; i < instances; ++i) {
        const FT_Var_Named_Style &style = mm->namedstyle[i];
        NamedInstance instance;
        if (names)
            instance.name = names->text(FT_UShort(style.strid));
        for (FT_UInt a = 0; a < mm->num_axis; ++a)
            instance.coordinates.append(fixedValue(style.coords[a]));
        facts.instances.append(instance);
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
    facts.format = formatOf(ftFace);
    const char *postScript = FT_Get_Postscript_Name(ftFace);
    facts.postScriptName = latin1Text(postScript, kMaxNameBytes);

    if (FT_IS_SFNT(ftFace)) {
        const FaceNames names(ftFace);
        facts.family = names.text(kTypographicFamily);
        if (facts.family.isEmpty())
            facts.family = names.text(kFamily);
        facts.style = names.text(kTypographicSubfamily);
        if (facts.style.isEmpty())
            facts.style = names.text(kSubfamily);
        facts.fullName = names.text(kFullName);
        if (const QString name = names.text(kPostScriptName); !name.isEmpty())
            facts.postScriptName = name;
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
        readVariations(ftFace, &names, facts);
        if (hasTable(ftFace, "COLR") && hasTable(ftFace, "CPAL"))
            facts.colourFormats << QStringLiteral("COLR/CPAL");
        if (hasTable(ftFace, "CBDT"))
            facts.colourFormats << QStringLiteral("CBDT");
        if (hasTable(ftFace, "sbix"))
            facts.colourFormats << QStringLiteral("sbix");
        if (hasTable(ftFace, "SVG "))
            facts.colourFormats << QStringLiteral("SVG");
    } else {
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
        readVariations(ftFace, nullptr, facts);
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
