#pragma once
// Paths between text and the file system.
//
// A name on disk is a string of bytes, mostly UTF-8; old archives also hold names in an 8-bit
// code page (a Latin-1 "é" as the one byte 0xE9). Such names are carried losslessly as text:
// each byte that is not part of valid UTF-8 becomes the lone surrogate U+DC00 + byte, which
// no valid UTF-8 name decodes to, and goes back to its byte on the way to the file system.
// Every path that crosses between text and the file system passes decodePath() or
// encodePath(); readablePath() gives the form shown to people.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace util {

/// The text of the name or path `native` as the file system holds it: UTF-8, with each byte
/// outside valid UTF-8 carried as the lone surrogate U+DC00 + byte.
QString decodePath(QByteArrayView native);

/// The bytes of `path` for the file system: UTF-8, with each lone surrogate U+DC80..U+DCFF that
/// decodePath() made turned back into its byte. encodePath(decodePath(b)) gives b again.
QByteArray encodePath(const QString &path);

/// `text` (a path, or a font list entry holding one) to show: each byte that decodePath()
/// carried as a lone surrogate appears as its Latin-1 character, and as the replacement
/// character U+FFFD for the bytes 0x80..0x9F, which are control characters in Latin-1.
QString readablePath(const QString &text);

} // namespace util
