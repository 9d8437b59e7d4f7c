#include "util/EscapedText.h"

namespace util {
namespace {

/// Appends the escape of `c` to `out` when it is a control character (backslash included when
/// `backslash`); returns false, appending nothing, for a character that stays as it is.
bool appendEscape(QString &out, QChar c, bool backslash)
{
    const char16_t u = c.unicode();
    switch (u) {
    case u'\\':
        if (!backslash)
            return false;
        out += QLatin1String("\\\\");
        return true;
    case u'\t':
        out += QLatin1String("\\t");
        return true;
    case u'\n':
        out += QLatin1String("\\n");
        return true;
    case u'\r':
        out += QLatin1String("\\r");
        return true;
    default:
        break;
    }
    if (u < 0x20 || u == 0x7F) {
        out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        return true;
    }
    if ((u >= 0x80 && u <= 0x9F) || u == 0x2028 || u == 0x2029) {
        out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        return true;
    }
    return false;
}

/// Appends `text` to `out` with every control character escaped; a pair of surrogates stays, a
/// lone surrogate, which no encoding carries, is escaped.
void appendEscaped(QString &out, QStringView text, bool backslash)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF) {
            // A byte of a file name that is not UTF-8, shown as the byte it is on disk.
            out += QStringLiteral("\\x%1").arg(uint(c.unicode() - 0xDC00), 2, 16, QLatin1Char('0'));
        } else if (c.isSurrogate()) {
            out += QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
        } else if (!appendEscape(out, c, backslash)) {
            out += c;
        }
    }
}

} // namespace

QString escapeControls(QStringView text)
{
    QString out;
    out.reserve(text.size());
    appendEscaped(out, text, true);
    return out;
}

QString escapeMessageControls(QStringView message)
{
    QString out;
    out.reserve(message.size());
    qsizetype start = 0;
    while (start <= message.size()) {
        qsizetype end = message.indexOf(u'\n', start);
        if (end < 0)
            end = message.size();
        QStringView line = message.sliced(start, end - start);
        // A message made the Windows way ends its lines with CR LF.
        if (end < message.size() && line.endsWith(u'\r'))
            line.chop(1);
        appendEscaped(out, line, false);
        if (end < message.size())
            out += QLatin1Char('\n');
        start = end + 1;
    }
    return out;
}

QString wellFormed(QStringView text)
{
    QString out = text.toString();
    if (text.isValidUtf16())
        return out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // a pair: one character, kept
        else if (c.isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

} // namespace util
