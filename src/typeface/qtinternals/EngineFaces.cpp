#include "typeface/qtinternals/EngineFaces.h"

#include <QtGui/private/qfontengine_ft_p.h>
#include <QtGui/private/qrawfont_p.h>

namespace platform::qtinternals {
namespace {

/// The engine behind `face`, when it has one.
QFontEngine *engineOf(const QRawFont &face)
{
    return face.isValid() ? QRawFontPrivate::get(face)->fontEngine : nullptr;
}

/// The FreeType engine behind `face`, when it has one.
QFontEngineFT *freetypeEngine(const QRawFont &face)
{
    QFontEngine *engine = engineOf(face);
    return engine && engine->type() == QFontEngine::Freetype ? static_cast<QFontEngineFT *>(engine) : nullptr;
}

} // namespace

FT_Library freetypeLibrary()
{
    return qt_getFreetype();
}

FT_Face freetypeFace(const QRawFont &face)
{
    const QFontEngineFT *engine = freetypeEngine(face);
    return engine ? engine->non_locked_face() : nullptr;
}

std::optional<FaceOrigin> freetypeFaceOrigin(const QRawFont &face)
{
    const QFontEngineFT *engine = freetypeEngine(face);
    if (!engine)
        return std::nullopt;
    const QFontEngine::FaceId id = engine->faceId();
    return FaceOrigin{id.filename, id.uuid, int(id.index)};
}

hb_font_t *harfbuzzFont(const QRawFont &face)
{
    QFontEngine *engine = engineOf(face);
    // Qt builds its engines' fonts with the system's HarfBuzz, the one linked here (checked when
    // the build is configured), so the pointer is a HarfBuzz font of this program's library.
    return engine ? static_cast<hb_font_t *>(engine->harfbuzzFont()) : nullptr;
}

bool placesAtSubpixels(const QRawFont &face)
{
    const QFontEngine *engine = engineOf(face);
    return engine && engine->supportsHorizontalSubPixelPositions();
}

} // namespace platform::qtinternals
