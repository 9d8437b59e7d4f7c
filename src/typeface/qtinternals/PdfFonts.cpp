#include "typeface/qtinternals/PdfFonts.h"

#include <QPainter>
#include <QPaintEngine>
#include <QtGui/private/qpdf_p.h>

namespace platform {
namespace {

// The engine keeps its fonts in its private part and writes them out only in private members.
// These are reached the one way the language leaves open: an explicit instantiation may name a
// private member, and hands its address out through a friend function.
template <typename Tag, typename Tag::type Member>
struct Reach
{
    friend typename Tag::type reached(Tag) { return Member; }
};

struct EnginePrivate
{
    using type = QScopedPointer<QPaintEnginePrivate> QPaintEngine::*;
    friend type reached(EnginePrivate);
};
template struct Reach<EnginePrivate, &QPaintEngine::d_ptr>;

struct WriteFonts
{
    using type = void (QPdfEnginePrivate::*)();
    friend type reached(WriteFonts);
};
template struct Reach<WriteFonts, &QPdfEnginePrivate::writeFonts>;

} // namespace

void writeUsedFonts(QPainter &painter)
{
    QPaintEngine *engine = painter.paintEngine();
    if (!painter.isActive() || !engine || engine->type() != QPaintEngine::Pdf)
        return;
    auto *d = static_cast<QPdfEnginePrivate *>((engine->*reached(EnginePrivate())).data());
    (d->*reached(WriteFonts()))();
}

} // namespace platform
