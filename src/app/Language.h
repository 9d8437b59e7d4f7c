#pragma once
// The language of the platform's own texts: the buttons and captions of Qt's dialogs and
// message boxes (file, print and font dialogs, "OK", "Cancel") follow the interface language.

#include <QString>

namespace app {

/// The interface language a start chooses: "de" or "en" by a marker file of that name in the
/// current folder (only files count, never read; "de" wins when both are there), else the
/// desktop's language.
QString startLanguageCode();

/// Makes Qt's own texts German for the language code "de" and English for any other code, from
/// Qt's translation catalogues. Windows already open change their texts at once. Where no German
/// catalogue is installed, Qt's texts stay English.
void setPlatformLanguage(const QString &code);

} // namespace app
