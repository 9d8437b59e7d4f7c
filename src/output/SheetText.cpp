#include "output/SheetText.h"

#include "fonts/FontEntry.h"
#include "util/FilePaths.h"

namespace output {

QStringList labelParts(qsizetype index, const QString &entry, const LabelSwitches &switches, const QString &separator)
{
    QStringList parts;
    if (switches.numbering)
        parts << QString::number(index + 1) << separator;
    if (switches.fontName)
        parts << FontNameOfEntry(entry) << separator;
    return parts;
}

QString labelPart(qsizetype index, const QString &entry, const LabelSwitches &switches, const QString &separator)
{
    return labelParts(index, entry, switches, separator).join(QString());
}

QStringList sampleParts(const QString &entry, const LabelSwitches &switches, const QString &separator,
                        const QString &sample)
{
    QStringList parts;
    if (entry.contains(QLatin1Char('|'))) {
        // The path starts three characters past the first " | ". An entry with a bar but without
        // that separator (a typeface name holding "|") is cut the way it always was: from its
        // third character on.
        const qsizetype bar = entry.indexOf(QString::fromUtf16(fonts::kEntrySeparator));
        // Bytes of a file name outside UTF-8 are shown as characters, not as the code points
        // that carry them.
        const QString path = util::readablePath(entry.mid(bar < 0 ? 2 : bar + 3));
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

QString samplePart(const QString &entry, const LabelSwitches &switches, const QString &separator,
                   const QString &sample)
{
    return sampleParts(entry, switches, separator, sample).join(QString());
}

} // namespace output
