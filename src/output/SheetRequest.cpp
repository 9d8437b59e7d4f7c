#include "output/SheetRequest.h"

#include "fonts/CharacterMaps.h"
#include "fonts/ScriptSamples.h"

namespace output {

SheetTarget targetOfEntry(const QString &entry)
{
    // The file targets are known by the prefix their entry begins with in both languages.
    static const std::pair<QLatin1String, SheetTarget> prefixes[] = {
        {QLatin1String("PDF-"), SheetTarget::Pdf},  {QLatin1String("DOC-"), SheetTarget::Document},
        {QLatin1String("BMP-"), SheetTarget::Bmp},  {QLatin1String("JPG-"), SheetTarget::Jpeg},
        {QLatin1String("GIF-"), SheetTarget::Gif},
    };
    for (const auto &[prefix, target] : prefixes)
        if (entry.startsWith(prefix))
            return target;
    if (entry == QLatin1String("Standarddrucker") || entry == QLatin1String("Standard Printer"))
        return SheetTarget::StandardPrinter;
    if (entry == QLatin1String("Drucker Dialog mit Optionen") || entry == QLatin1String("Printer Dialog with Options"))
        return SheetTarget::PrintDialog;
    return SheetTarget::NamedPrinter;
}

QString defaultSeparator()
{
    return QStringLiteral("  --  ");
}

SheetLine sheetLine(qsizetype index, const fonts::FontListEntry &entry, const SheetSettings &settings)
{
    // Each setting is read once, so the parts of one line always agree with each other.
    const LabelSwitches switches = settings.labelSwitches();
    const QString separator = settings.separator();
    QString sample = settings.sampleText();
    // Off, the entry's map is not even read: a sheet without the switch reads no file more.
    if (settings.ownScript())
        sample = fonts::ownScriptSample(fonts::CharacterMaps::instance().map(entry), sample);
    SheetLine line;
    line.label = labelPart(index, entry, switches, separator);
    line.rest = samplePart(entry, switches, separator, sample);
    // The font and its file as the load recorded them for the entry, never read back from its text.
    line.labelParts = labelParts(index, entry, switches, separator);
    line.restParts = sampleParts(entry, switches, separator, sample);
    line.fontName = entry.name;
    line.fontFile = entry.path;
    line.formB = settings.standardFontLabels();
    return line;
}

} // namespace output
