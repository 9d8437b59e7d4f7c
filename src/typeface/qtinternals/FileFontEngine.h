#pragma once
// Faces made from a font file's bytes on Qt's FreeType engine, rendered as the font system
// renders the same font installed and named, for Qt's print engine, by the file they came from.

#include <QByteArray>
#include <QByteArrayView>
#include <QRawFont>

typedef struct _FcPattern FcPattern;

namespace platform::qtinternals {

/// Makes the face `index` of the font file held in `bytes` at `pixelSize` pixels, bold and italic
/// as asked (synthesised where the face lacks them, as Qt does for fonts drawn by name, and
/// reported by the face for every target to draw alike).
///
/// `label` tells this load of the bytes from any other, so that Qt never takes one load's face
/// for another's. `pattern` is the face as fontconfig describes it (null for the desktop's
/// defaults): its hinting, antialiasing, subpixel order and LCD filter are used as Qt uses them
/// for a font drawn by name. `fileName` (an encoded path) is the file the face names to Qt's
/// print engine, which embeds only fonts named by a file; it is never opened. The PostScript name
/// the face gives documents it is embedded in is `embeddedName` of the face's own (of its family
/// when it has none).
///
/// Invalid when FreeType cannot open the face or it has no glyph but the missing one. `bytes`
/// must stay unchanged while the face is held (the engine keeps a shallow copy).
QRawFont makeFileFace(const QByteArray &bytes, int index, const QByteArray &label, FcPattern *pattern,
                      const QByteArray &fileName, qreal pixelSize, bool bold, bool italic,
                      QByteArray (*embeddedName)(QByteArrayView));

} // namespace platform::qtinternals
