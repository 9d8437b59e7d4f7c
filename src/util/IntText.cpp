#include "util/IntText.h"

#include "util/Errors.h"

#include <limits>
#include <optional>

namespace util {
namespace {

// The one parser behind both functions, so that the test and the conversion can never disagree.
std::optional<int> parseInt(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return std::nullopt;
    // The magnitude may reach 2^31 for the negative limit; stop as soon as it passes that, so a
    // long run of digits cannot overflow the accumulator.
    const qint64 limit = negative ? -qint64(std::numeric_limits<int>::min()) : std::numeric_limits<int>::max();
    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return int(negative ? -value : value);
}

int StrToIntDef(const QString &text, int fallback)
{
    return parseInt(text).value_or(fallback);
}

} // namespace

int StrToInt(const QString &text)
{
    if (const auto value = parseInt(text))
        return *value;
    throw util::Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

bool IsInt(const QString &text)
{
    // A text that does not convert yields each fallback in turn, so the two results differ.
    return StrToIntDef(text, 0) == StrToIntDef(text, 1);
}

} // namespace util
