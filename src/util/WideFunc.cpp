#include "util/WideFunc.h"

#include <QtNumeric>

#include <algorithm>
#include <utility>
#include <vector>

void SplitText(QStringList &parts, const QString &separator, const QString &text)
{
    // An empty separator would match everywhere without consuming anything.
    if (separator.isEmpty()) {
        parts.append(text);
        return;
    }

    // Working on one copy with the separator appended lets an occurrence reach into the
    // appended separator ("a," at ",," gives "a", ""). Positions move forward instead of
    // cutting the front off the copy, so the split stays linear in the text length.
    // Held apart from `parts`, which may be growing the list the separator came from.
    const QString sep = separator;
    const QString w = text + sep;
    const qsizetype length = w.size();
    const qsizetype sepLength = sep.size();
    qsizetype pos = 0;
    do {
        const qsizetype hit = w.indexOf(sep, pos, Qt::CaseSensitive);
        if (hit < 0) {
            // What is left is shorter than the separator or holds no occurrence: it is
            // dropped and the piece is empty.
            parts.append(QString());
            break;
        }
        parts.append(w.mid(pos, hit - pos));
        pos = hit + sepLength;
    } while (pos < length);
}

bool IsInList(const QStringList &list, const QString &text)
{
    const QString wanted = text.toUpper();
    for (const QString &element : list) {
        // Equal texts are equal upper-cased too; this spares the conversion for exact hits.
        if (element == text || element.toUpper() == wanted)
            return true;
    }
    return false;
}

bool AppendToList(QStringList &list, const QString &text)
{
    list.append(text);
    return true;
}

void ReplaceAll(const QString &source, const QString &oldText, const QString &newText, QString &result)
{
    const qsizetype sourceLength = source.size();
    const qsizetype oldLength = oldText.size();
    if (oldText == newText || sourceLength == 0 || oldLength == 0) {
        result = source;
        return;
    }

    // Find every match first (leftmost, not overlapping), so the result can be sized exactly.
    std::vector<qsizetype> matches;
    for (qsizetype at = source.indexOf(oldText, 0, Qt::CaseSensitive); at >= 0;
         at = source.indexOf(oldText, at + oldLength, Qt::CaseSensitive))
        matches.push_back(at);
    if (matches.empty()) {
        result = source;
        return;
    }

    const qsizetype newLength = newText.size();
    qsizetype growth = 0;
    qsizetype total = 0;
    if (qMulOverflow(newLength - oldLength, qsizetype(matches.size()), &growth)
        || qAddOverflow(sourceLength, growth, &total))
        qBadAlloc();

    // Built apart from `result`, which may be the same object as one of the inputs.
    QString built(total, Qt::Uninitialized);
    QChar *out = built.data();
    const QChar *in = source.constData();
    const QChar *replacement = newText.constData();
    qsizetype from = 0;
    for (const qsizetype at : matches) {
        std::copy(in + from, in + at, out);
        out += at - from;
        std::copy(replacement, replacement + newLength, out);
        out += newLength;
        from = at + oldLength;
    }
    std::copy(in + from, in + sourceLength, out);
    result = std::move(built);
}
