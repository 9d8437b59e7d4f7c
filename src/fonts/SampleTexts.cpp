#include "fonts/SampleTexts.h"

#include <initializer_list>

namespace fonts {
namespace {

QString range(char32_t first, char32_t last, char32_t skip = 0)
{
    QString s;
    for (char32_t c = first; c <= last; ++c)
        if (c != skip)
            s += QChar::fromUcs4(c);
    return s;
}

QString chars(std::initializer_list<char32_t> codes)
{
    QString s;
    for (char32_t c : codes)
        s += QChar::fromUcs4(c);
    return s;
}

} // namespace

QString germanExample0()
{
    return QStringLiteral("Käse aß Anton gerne zweimal täglich! - 1234567890!\"()$/?öäü+*ABCDEFGabcdefg");
}

QString englishExample0()
{
    return QStringLiteral("Anton is eating Cheese! - 1234567890!\"()$/?öäü+*ABCDEFGabcdefg");
}

QString defaultSample(bool german)
{
    return german ? germanExample0() : englishExample0();
}

QStringList designSamples()
{
    const QString specials = QStringLiteral("!\"§$%&/()=?`;:_'*,.-#+ÖÄÜß´~\\}][{²³|<>°^");
    return {germanExample0(),
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
            QStringLiteral("1234567890"),
            QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
            specials,
            QStringLiteral("1234567890") + specials,
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz ")};
}

QStringList appendedSamples()
{
    // The Cyrillic alphabet starts each half with the Latin A and a, as the program always had it.
    const QString cyrillic = QStringLiteral("A") + range(0x0411, 0x0415) + chars({0x0401}) + range(0x0416, 0x042F)
        + QStringLiteral("a") + range(0x0431, 0x0435) + chars({0x0451}) + range(0x0436, 0x044F);
    const QString greek = range(0x0391, 0x03A9, 0x03A2) + range(0x03B1, 0x03C9, 0x03C2);
    const QString georgian = range(0x10D0, 0x10F0);
    const QString han = chars({0x4E02, 0x4E14, 0x4E1A, 0x4E28, 0x4E42, 0x4E40, 0x4E67, 0x4E78, 0x4E81, 0x4EA4, 0x4EB7,
                               0x4ED8, 0x4EF5, 0x4EF2, 0x4F39, 0x4F46, 0x4F53, 0x4F52, 0x4F89, 0x4F97, 0x4FB3, 0x4FC2,
                               0x4FFA, 0x5007, 0x5015, 0x5024, 0x5071, 0x5087, 0x5089, 0x5108, 0x5114});
    const QString mixed = QStringLiteral("ABCDabcd") + QStringLiteral("A") + range(0x0411, 0x0413) + QStringLiteral("a")
        + range(0x0431, 0x0433) + range(0x0391, 0x0394) + range(0x03B1, 0x03B4) + range(0x10D0, 0x10D5)
        + chars({0x4E78, 0x4E81, 0x4EA4, 0x4EB7, 0x0E05, 0x0E07, 0x0E0A, 0x0E0B, 0x0E0D, 0x0E1B})
        + QStringLiteral("1234");
    return {cyrillic, greek, georgian, han, mixed, QStringLiteral("Benutzerdefiniert..")};
}

} // namespace fonts
