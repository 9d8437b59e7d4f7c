#pragma once
// The example sample texts offered in the sample box: Latin, German special characters,
// Cyrillic, Greek, Georgian, Han and a mixed line.

#include <QString>
#include <QStringList>

namespace fonts {

/// The German default sentence (example 0 in German).
QString germanExample0();

/// The English default sentence (example 0 in English).
QString englishExample0();

/// The sample text a sheet starts with: example 0 of the interface language (German when
/// `german`).
QString defaultSample(bool german);

/// The seven examples the sample box starts with (example 0 in German).
QStringList designSamples();

/// The six examples appended at start: Cyrillic, Greek, Georgian, Han, a mixed line and the
/// custom entry "Benutzerdefiniert..".
QStringList appendedSamples();

} // namespace fonts
