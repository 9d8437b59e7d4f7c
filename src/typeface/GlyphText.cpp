#include "typeface/GlyphText.h"

#include "typeface/qtinternals/EngineFaces.h"

#include <QPainter>

#include <fribidi.h>
#include <hb.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace platform {
namespace {

struct BufferDeleter
{
    void operator()(hb_buffer_t *buffer) const { hb_buffer_destroy(buffer); }
};

/// A stretch of text of one embedding level and one script, shaped as one.
struct Run
{
    int start = 0;
    int length = 0;
    FriBidiLevel level = 0;
    hb_script_t script = HB_SCRIPT_COMMON;
};

/// `value`, in 64ths of a pixel, in pixels.
qreal fromFixed(int value)
{
    return qreal(value) / 64;
}

/// `value`, in 64ths of a pixel, rounded to whole pixels (halves up), as the engine rounds.
int roundFixed(int value)
{
    return (value + 32) & -64;
}

bool isNeutralScript(hb_script_t script)
{
    return script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED || script == HB_SCRIPT_UNKNOWN;
}

/// The embedding level of each character in a left-to-right paragraph.
std::vector<FriBidiLevel> bidiLevels(const std::vector<FriBidiChar> &text)
{
    const auto length = FriBidiStrIndex(text.size());
    std::vector<FriBidiLevel> levels(text.size(), 0);
    std::vector<FriBidiCharType> types(text.size());
    std::vector<FriBidiBracketType> brackets(text.size());
    fribidi_get_bidi_types(text.data(), length, types.data());
    fribidi_get_bracket_types(text.data(), length, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_LTR;
    if (!fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), length, &direction, levels.data()))
        std::fill(levels.begin(), levels.end(), 0);
    return levels;
}

/// Splits the text into runs of one level and one script. Characters common to all scripts
/// (spaces, digits, punctuation) and combining marks go with the script before them, or at the
/// start with the first script that follows.
std::vector<Run> itemize(const std::vector<FriBidiChar> &text, const std::vector<FriBidiLevel> &levels)
{
    hb_unicode_funcs_t *unicode = hb_unicode_funcs_get_default();
    std::vector<hb_script_t> scripts(text.size());
    hb_script_t current = HB_SCRIPT_COMMON;
    for (size_t i = 0; i < text.size(); ++i) {
        const hb_script_t script = hb_unicode_script(unicode, text[i]);
        if (!isNeutralScript(script))
            current = script;
        scripts[i] = current;
    }
    for (size_t i = text.size(); i-- > 0;) {
        if (!isNeutralScript(scripts[i]))
            current = scripts[i];
        else
            scripts[i] = current;
    }
    std::vector<Run> runs;
    for (size_t i = 0; i < text.size(); ++i) {
        if (runs.empty() || runs.back().level != levels[i] || runs.back().script != scripts[i])
            runs.push_back({int(i), 0, levels[i], scripts[i]});
        ++runs.back().length;
    }
    return runs;
}

/// Puts the runs into visual order: from the highest level down to the lowest odd level, each
/// stretch of runs at that level or higher is reversed (rule L2 of the bidirectional algorithm).
void reorder(std::vector<Run> &runs)
{
    int highest = 0;
    int lowestOdd = FRIBIDI_BIDI_MAX_RESOLVED_LEVELS + 1;
    for (const Run &run : runs) {
        highest = std::max(highest, int(run.level));
        if (run.level % 2 == 1)
            lowestOdd = std::min(lowestOdd, int(run.level));
    }
    for (int level = highest; level >= lowestOdd && level > 0; --level) {
        for (size_t i = 0; i < runs.size();) {
            if (runs[i].level < level) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < runs.size() && runs[end].level >= level)
                ++end;
            std::reverse(runs.begin() + qsizetype(i), runs.begin() + qsizetype(end));
            i = end;
        }
    }
}

} // namespace

ShapedText shapeText(const QRawFont &face, const QString &text)
{
    ShapedText shaped;
    if (!face.isValid())
        return shaped;
    shaped.ascent = qRound(face.ascent());
    shaped.descent = qRound(face.descent());
    if (text.isEmpty())
        return shaped;

    const QList<uint> ucs4 = text.toUcs4();
    const std::vector<FriBidiChar> chars(ucs4.cbegin(), ucs4.cend());
    std::vector<Run> runs = itemize(chars, bidiLevels(chars));
    reorder(runs);

    // The face's own HarfBuzz font, as Qt's text layout uses it: glyphs and advances come from
    // the engine, hinted as it draws them.
    hb_font_t *font = qtinternals::harfbuzzFont(face);
    if (!font)
        return shaped;
    const bool wholePixels = !qtinternals::placesAtSubpixels(face);
    const hb_feature_t kerning = {HB_TAG('k', 'e', 'r', 'n'), 1, 0, uint(-1)};
    std::unique_ptr<hb_buffer_t, BufferDeleter> buffer(hb_buffer_create());
    // Positions in 64ths of a pixel, as HarfBuzz gives them and the engine adds them up.
    int pen = 0;
    for (const Run &run : runs) {
        hb_buffer_clear_contents(buffer.get());
        // The whole text is the context, so that letters join across the runs' edges.
        hb_buffer_add_utf32(buffer.get(), chars.data(), int(chars.size()), uint(run.start), run.length);
        hb_buffer_set_direction(buffer.get(), run.level % 2 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_set_script(buffer.get(), run.script);
        hb_buffer_set_language(buffer.get(), hb_language_get_default());
        int flags = HB_BUFFER_FLAG_DEFAULT;
        if (run.start == 0)
            flags |= HB_BUFFER_FLAG_BOT;
        if (run.start + run.length == int(chars.size()))
            flags |= HB_BUFFER_FLAG_EOT;
        hb_buffer_set_flags(buffer.get(), hb_buffer_flags_t(flags));
        hb_shape(font, buffer.get(), &kerning, 1);

        unsigned int count = 0;
        const hb_glyph_info_t *infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
        const hb_glyph_position_t *positions = hb_buffer_get_glyph_positions(buffer.get(), &count);
        QList<quint32> glyphs;
        QList<QPointF> points;
        glyphs.reserve(count);
        points.reserve(count);
        for (unsigned int i = 0; i < count; ++i) {
            glyphs.append(infos[i].codepoint);
            if (infos[i].codepoint == 0)
                ++shaped.missing;
            // Qt's HarfBuzz font counts y downwards, as the painter does.
            points.append(QPointF(fromFixed(pen + positions[i].x_offset), fromFixed(positions[i].y_offset)));
            int advance = positions[i].x_advance;
            if (wholePixels)
                advance = roundFixed(advance);
            pen += advance;
        }
        if (glyphs.isEmpty())
            continue;
        QGlyphRun glyphRun;
        glyphRun.setRawFont(face);
        glyphRun.setGlyphIndexes(glyphs);
        glyphRun.setPositions(points);
        shaped.runs.append(glyphRun);
    }
    shaped.width = fromFixed(pen);
    return shaped;
}

void drawShapedText(QPainter &painter, const ShapedText &shaped, const QPointF &origin)
{
    for (const QGlyphRun &run : shaped.runs)
        painter.drawGlyphRun(origin, run);
}

} // namespace platform
