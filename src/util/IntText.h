#pragma once
// Whole-number texts of the output settings: the test the settings dialog applies to the font
// size and the conversion the output command applies to the numeric fields.

#include <QString>

namespace util {

/// The value of `text` as a signed 32-bit whole number. Accepted: optional leading blanks, an
/// optional '+' or '-', then one or more decimal digits 0-9 and nothing after them.
/// Throws util::Error "'<text>' is not a valid integer value" for anything else, including
/// the empty text and numbers outside the signed 32-bit range.
int StrToInt(const QString &text);

/// True when `text` is a whole number: converted twice, once falling back to 0 and once to 1,
/// both conversions give the same value. Equivalent to "StrToInt(text) does not throw".
bool IsInt(const QString &text);

} // namespace util
