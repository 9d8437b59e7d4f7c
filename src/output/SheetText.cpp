#include "output/SheetText.h"

#include "util/FilePaths.h"

namespace output {

QStringList labelParts(qsizetype index, const fonts::FontListEntry &entry, const LabelSwitches &switches,
                       const QString &separator)
{
    QStringList parts;
    if (switches.numbering)
        parts << QString::number(index + 1) << separator;
    if (switches.fontName)
        parts << entry.name << separator;
    return parts;
}

QString labelPart(qsizetype index, const fonts::FontListEntry &entry, const LabelSwitches &switches,
                  const QString &separator)
{
    return labelParts(index, entry, switches, separator).join(QString());
}

QStringList sampleParts(const fonts::FontListEntry &entry, const LabelSwitches &switches, const QString &separator,
                        const QString &sample)
{
    QStringList parts;
    if (entry.isFile() || entry.text.contains(QLatin1Char('|'))) {
        // A font file's label is its listed path, whatever its name holds. A typeface whose name
        // holds a bar is labelled from its text the way it always was: past the first " | ", or
        // without that separator from its third character on. Nothing is opened by it.
        QString label = entry.path;
        if (!entry.isFile()) {
            const qsizetype bar = entry.text.indexOf(QString::fromUtf16(fonts::kEntrySeparator));
            label = entry.text.mid(bar < 0 ? 2 : bar + 3);
        }
        // Bytes of a file name outside UTF-8 are shown as characters, not as the code points
        // that carry them.
        const QString path = util::readablePath(label);
        if (switches.directory && switches.fileName) {
            parts << path << separator;
        } else if (switches.directory || switches.fileName) {
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            QString shown;
            if (switches.directory)
                shown += path.left(slash + 1);
            if (switches.fileName)
                shown += path.mid(slash + 1);
            parts << shown << separator;
        }
    }
    parts << sample;
    return parts;
}

QString samplePart(const fonts::FontListEntry &entry, const LabelSwitches &switches, const QString &separator,
                   const QString &sample)
{
    return sampleParts(entry, switches, separator, sample).join(QString());
}

} // namespace output
