#pragma once
// Finding a list entry by typing the first letters of its name: the typed text and the entries'
// names are compared folded, without case, accents or spaces, as the list's sort weighs them.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace fonts {

/// `text` as type-ahead find compares it: decomposed, without combining marks (accents), case
/// folded, "ß" as "ss", and without white space. Space marks a row in the list, so a typed name
/// never holds one; "dejavus" finds "DejaVu Sans".
QString foldForSearch(QStringView text);

/// The text typed so far and the entry it found; pure, the time of each key comes from outside.
class TypeAhead
{
public:
    /// Keys further apart than this (milliseconds) start a new search.
    static constexpr qint64 kDefaultInterval = 400;

    explicit TypeAhead(qint64 interval = kDefaultInterval)
        : m_interval(interval)
    {}

    /// Takes the typed `text` at time `now` (milliseconds, any steady clock) and returns the
    /// row to move to among `keys` (folded entry names, foldForSearch()), searching from
    /// `current`, the current row (-1 for none): a first letter finds the next entry after the
    /// current one that begins with it, wrapping around; more letters extend the text, which
    /// the current entry keeps as long as it matches; the same letter typed again goes on to the
    /// next entry beginning with it. Returns -1 when no entry begins with the text, and for text
    /// that folds to nothing (a lone space or control character), which does not start a search.
    int type(const std::vector<QString> &keys, const QString &text, qint64 now, int current);

    /// Forgets the text typed so far.
    void reset() { m_typed.clear(); }

    /// The folded text typed so far.
    const QString &typed() const { return m_typed; }

private:
    qint64 m_interval;
    qint64 m_last = 0;
    QString m_typed;
};

/// The first row from `from` on, wrapping around past the end of `keys`, whose key begins with
/// `prefix`; -1 when none does.
int findPrefix(const std::vector<QString> &keys, const QString &prefix, int from);

} // namespace fonts
