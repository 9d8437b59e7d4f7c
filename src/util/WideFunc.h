#pragma once
// Text and file utilities on UTF-16 text shared by the main window, the font list loader and the
// language switch. They keep no state; failures are not reported (see each function).

#include <QString>
#include <QStringList>

/// Splits `text` at every occurrence of `separator` into `parts` (appended; callers pass an empty
/// list). Matching is exact. A one-character separator gives one piece more than it occurs:
/// "a,,b" gives "a", "", "b"; "a," gives "a", ""; "" gives one empty piece. An occurrence may
/// reach into the separator appended at the end: "a," split at ",," gives "a", "". An empty
/// separator gives the whole text as the one piece.
void SplitText(QStringList &parts, const QString &separator, const QString &text);

/// True when an element of `list` equals `text` ignoring case (both Unicode upper-cased).
bool IsInList(const QStringList &list, const QString &text);

/// Appends `text` to `list`; always true.
bool AppendToList(QStringList &list, const QString &text);

/// Sets `result` to `source` with every occurrence of `oldText` replaced by `newText`, scanning
/// from the left without overlapping matches ("aaa", "aa" -> "b" gives "ba"). When `oldText` is
/// empty, equals `newText`, or does not occur, or `source` is empty, `result` is `source`.
/// The result is allocated once.
void ReplaceAll(const QString &source, const QString &oldText, const QString &newText, QString &result);
