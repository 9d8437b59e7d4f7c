#include "platform/DesktopLanguage.h"

#include <QStringList>

namespace platform {

namespace {

// A locale name without its language: "C", "POSIX" and their encodings ("C.UTF-8").
bool isPlainLocale(const QString &locale)
{
    const QString language = locale.section(QLatin1Char('.'), 0, 0);
    return language == QLatin1String("C") || language == QLatin1String("POSIX");
}

bool isGerman(const QString &locale)
{
    // "de", "de_DE.UTF-8", "de_CH@euro" or "de-AT", but not "dee" or "den_DK".
    return locale == QLatin1String("de") || locale.startsWith(QLatin1String("de_"))
        || locale.startsWith(QLatin1String("de.")) || locale.startsWith(QLatin1String("de@"))
        || locale.startsWith(QLatin1String("de-"));
}

} // namespace

QString languageCodeOf(const QProcessEnvironment &environment)
{
    // The locale the messages are shown in: the first of these that is set and not empty.
    QString locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environment.value(QString::fromLatin1(name));
        if (!locale.isEmpty())
            break;
    }
    // LANGUAGE is a list of preferences ("de:en"); its first entry comes before the locale.
    QString chosen = locale;
    if (!isPlainLocale(locale) || locale.isEmpty()) {
        const QStringList preferences =
            environment.value(QStringLiteral("LANGUAGE")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
        if (!preferences.isEmpty())
            chosen = preferences.first();
    }
    return isGerman(chosen) ? QStringLiteral("de") : QStringLiteral("en");
}

QString desktopLanguageCode()
{
    return languageCodeOf(QProcessEnvironment::systemEnvironment());
}

} // namespace platform
