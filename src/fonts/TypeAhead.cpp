#include "fonts/TypeAhead.h"

#include <algorithm>

namespace fonts {

QString foldForSearch(QStringView text)
{
    QString folded;
    folded.reserve(text.size());
    // Most font names are plain ASCII: lower-cased letter by letter, without the normalization,
    // which costs most of the time of a list's first key.
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
        if (c != QLatin1Char(' ') && c.unicode() >= 0x20)
            folded += c.toLower();
        else if (c.unicode() < 0x20 && !c.isSpace())
            folded += c;
    }
    if (ascii)
        return folded;
    // The decomposed form puts an accent after its letter as a mark of its own; the compatibility
    // form also splits ligatures such as "ﬁ" into their letters.
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    folded.clear();
    for (const QChar c : decomposed) {
        if (c.isMark() || c.isSpace())
            continue;
        folded += c;
    }
    folded = folded.toCaseFolded();
    // Collation weighs "ß" as "ss"; simple case folding keeps it as it is.
    folded.replace(QChar(0x00DF), QLatin1String("ss"));
    return folded;
}

int findPrefix(const std::vector<QString> &keys, const QString &prefix, int from)
{
    const int count = int(keys.size());
    if (count == 0 || prefix.isEmpty())
        return -1;
    from = std::clamp(from, 0, count - 1);
    for (int i = 0; i < count; ++i) {
        const int row = (from + i) % count;
        if (keys[size_t(row)].startsWith(prefix))
            return row;
    }
    return -1;
}

int TypeAhead::type(const std::vector<QString> &keys, const QString &text, qint64 now, int current)
{
    const QString folded = foldForSearch(text);
    const bool continues = !m_typed.isEmpty() && now - m_last >= 0 && now - m_last <= m_interval;
    m_last = now;
    if (folded.isEmpty())
        return -1;
    m_typed = continues ? m_typed + folded : folded;
    const int count = int(keys.size());
    if (count == 0)
        return -1;
    const int next = current < 0 ? 0 : (current + 1) % count;
    if (!continues)
        return findPrefix(keys, m_typed, next);
    // A longer text is first looked for from the current entry on, which it may still match.
    const int found = findPrefix(keys, m_typed, std::max(current, 0));
    if (found >= 0)
        return found;
    // "aaa" where no entry begins so: each "a" goes on to the next entry that begins with "a".
    if (std::all_of(m_typed.cbegin(), m_typed.cend(), [&](QChar c) { return c == m_typed.front(); })) {
        const QString letter(m_typed.front());
        return findPrefix(keys, letter, next);
    }
    return -1;
}

} // namespace fonts
