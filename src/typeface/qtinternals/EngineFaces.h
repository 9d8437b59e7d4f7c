#pragma once
// What the faces of this program read from Qt's font engines beyond Qt's public interface: the
// FreeType library and face behind a QRawFont, the file it was drawn from, and its HarfBuzz
// font. Qt keeps these in its engines' private parts; this folder alone reaches them (with the
// Qt version it was tested with, see the top CMakeLists), and everything above it sees plain
// FreeType, HarfBuzz and Qt types only.

#include <QByteArray>
#include <QRawFont>

#include <hb.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <optional>

namespace platform::qtinternals {

/// The FreeType library Qt's font engines open their faces in (for this thread). Faces opened
/// in it must be closed before the program ends, as Qt's own are.
FT_Library freetypeLibrary();

/// The FreeType face Qt draws `face` with; null when `face` is invalid or not drawn by FreeType.
/// The face is the engine's own and not locked: read its flags and tables only, never size it or
/// load glyphs in it.
FT_Face freetypeFace(const QRawFont &face);

/// Where the font engine behind a face took it from.
struct FaceOrigin
{
    /// The file the font system named (as the engine holds it, encoded); for a face made from
    /// bytes, whatever file name its engine was given.
    QByteArray fileName;
    /// The identity of a face made from bytes (unique for each load); empty for files.
    QByteArray uuid;
    /// The face's index in its file (a collection's entry).
    int index = 0;
};

/// Where `face` comes from when Qt draws it with FreeType; nothing when it is invalid or drawn
/// by another engine.
std::optional<FaceOrigin> freetypeFaceOrigin(const QRawFont &face);

/// The HarfBuzz font of the engine behind `face`, as Qt's text layout shapes with it: glyphs and
/// advances come from the engine, hinted as it draws them. Null for an invalid face. Owned by
/// the engine; valid as long as `face` (or a copy) is held.
hb_font_t *harfbuzzFont(const QRawFont &face);

/// Whether the engine behind `face` places glyphs at fractions of a pixel across the line;
/// when not, its advances are drawn rounded to whole pixels. False for an invalid face.
bool placesAtSubpixels(const QRawFont &face);

} // namespace platform::qtinternals
