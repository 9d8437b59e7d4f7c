#pragma once
// The 8-bit code page that names read from font files pass through: Windows-1252, the code page
// of German and English Windows, in which those names were written.

#include <QByteArrayView>
#include <QString>

namespace platform {

/// Converts Windows-1252 bytes to text, one character per byte (NUL bytes included). The five
/// bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control
/// characters of the same value, as Windows converts them.
QString ansiToText(QByteArrayView bytes);

} // namespace platform
