#pragma once
// The edition a Linux desktop asks for. On Windows the edition is the one the user installed; here
// one installation serves both, and the desktop's own language decides when no marker file in the
// current folder does.

#include <QProcessEnvironment>
#include <QString>

namespace platform {

/// The interface language code, "de" or "en", that the language settings in `environment` ask
/// for: the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set decides, German for "de"
/// and its regional forms ("de_AT.UTF-8", "de:en"), English for anything else. As for the
/// desktop's own programs, LANGUAGE counts only when the locale is not the plain "C" or "POSIX".
QString languageCodeOf(const QProcessEnvironment &environment);

/// The interface language code the desktop of this process asks for.
QString desktopLanguageCode();

} // namespace platform
