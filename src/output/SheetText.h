#pragma once
// The texts of one sheet line: the label part (running number, font name) and the sample part
// (directory and file name of a font file, then the sample text), each label followed by the
// separator.

#include "fonts/FontEntry.h"

#include <QString>
#include <QStringList>

namespace output {

/// Which labels a line shows.
struct LabelSwitches
{
    bool numbering = true;
    bool fontName = true;
    bool directory = true;
    bool fileName = true;
};

/// The label part of the line for the list entry `entry` at list position `index` (0-based):
/// the number index + 1 and the entry's font name, each followed by `separator`, as switched on.
QString labelPart(qsizetype index, const fonts::FontListEntry &entry, const LabelSwitches &switches,
                  const QString &separator);

/// labelPart() as its parts, in order: the number and the font name, each followed by the
/// separator as a part of its own. A line keeps its parts from left to right whatever the
/// scripts inside them.
QStringList labelParts(qsizetype index, const fonts::FontListEntry &entry, const LabelSwitches &switches,
                       const QString &separator);

/// samplePart() as its parts, in order: the folder and/or file name, the separator, the sample.
QStringList sampleParts(const fonts::FontListEntry &entry, const LabelSwitches &switches, const QString &separator,
                        const QString &sample);

/// The sample part of the line for `entry`: for a font file entry the directory (up to and
/// including the last "/") and/or the file name of the file listed for it, followed by
/// `separator` (nothing at all when both are off), then `sample`. Typeface entries get the sample
/// alone, unless their name holds a "|". The path is shown readably (util::readablePath()).
QString samplePart(const fonts::FontListEntry &entry, const LabelSwitches &switches, const QString &separator,
                   const QString &sample);

} // namespace output
