#include "output/SheetText.h"

#include "fonts/FontEntry.h"
#include "util/FilePaths.h"

namespace output {

QString labelPart(qsizetype index, const QString &entry, const LabelSwitches &switches, const QString &separator)
{
    QString text;
    if (switches.numbering)
        text += QString::number(index + 1) + separator;
    if (switches.fontName)
        text += FontNameOfEntry(entry) + separator;
    return text;
}

QString samplePart(const QString &entry, const LabelSwitches &switches, const QString &separator,
                   const QString &sample)
{
    QString text;
    if (entry.contains(QLatin1Char('|'))) {
        // The path starts three characters past the first " | ". An entry with a bar but without
        // that separator (a typeface name holding "|") is cut the way it always was: from its
        // third character on.
        const qsizetype bar = entry.indexOf(QString::fromUtf16(fonts::kEntrySeparator));
        // Bytes of a file name outside UTF-8 are shown as characters, not as the code points
        // that carry them.
        const QString path = util::readablePath(entry.mid(bar < 0 ? 2 : bar + 3));
        if (switches.directory && switches.fileName) {
            text += path + separator;
        } else if (switches.directory || switches.fileName) {
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            if (switches.directory)
                text += path.left(slash + 1);
            if (switches.fileName)
                text += path.mid(slash + 1);
            text += separator;
        }
    }
    return text + sample;
}

} // namespace output
