#pragma once
// The 8-bit character set of the Macintosh names in font files: Mac OS Roman, in which the
// Macintosh records of the Roman encoding are written.

#include <QByteArrayView>
#include <QString>

namespace platform {

/// Converts Mac OS Roman bytes to text, one character per byte (NUL bytes included); the bytes
/// below 0x80 are ASCII.
QString macRomanToText(QByteArrayView bytes);

} // namespace platform
