#pragma once
// Text for a terminal or a text file, where a character that moves the cursor, starts a line or
// starts an escape sequence would make a name read as something else: such characters are shown
// as escapes, so that one name is always one line of visible characters.

#include <QString>
#include <QStringView>

namespace util {

/// `text` as one line of visible characters: a backslash as "\\"; tab, line feed and carriage
/// return as "\t", "\n" and "\r"; every other C0 control character and DEL as "\x1b" (two
/// lowercase hex digits); C1 control characters, the line and paragraph separators U+2028 and
/// U+2029, and surrogates that are not part of a pair as "\u0085" (four lowercase hex digits),
/// but for U+DC80..U+DCFF, which carry the bytes of a file name outside UTF-8 (decodePath()):
/// those are the byte, "\xe9". Every other character stays as it is. Two texts that differ give
/// different results.
QString escapeControls(QStringView text);

/// `message`, a message of one or more lines for standard error, with its line breaks (a line
/// feed, or a carriage return and line feed) as line feeds and every other control character
/// escaped as escapeControls() does it; backslashes stay as they are, since the names in a
/// message are escaped, with escapeControls(), where they are put in. No part of a message can
/// then move the cursor or start an escape sequence on the terminal.
QString escapeMessageControls(QStringView message);

/// `text` as well-formed UTF-16, which every encoder and JSON reader takes: each surrogate that is
/// not part of a pair (a lone one from a font's name table, or a byte of a file name outside UTF-8
/// that decodePath() carried) becomes the replacement character U+FFFD. Every other character,
/// control characters included, stays as it is.
QString wellFormed(QStringView text);

} // namespace util
