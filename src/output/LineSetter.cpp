#include "output/LineSetter.h"

#include "typeface/ColourGlyphs.h"
#include "typeface/FileFaces.h"
#include "typeface/FontResolver.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace output {
namespace {

/// `parts` when they make up `text`, else `text` as one part.
QStringList partsOf(const QStringList &parts, const QString &text)
{
    if (!parts.isEmpty() && parts.join(QString()) == text)
        return parts;
    return text.isEmpty() ? QStringList() : QStringList{text};
}

/// Whether `font` holds a glyph for every character of `text` that needs one.
bool fontHolds(const QFontMetrics &metrics, const QString &text)
{
    for (const char32_t c : text.toUcs4())
        if (QChar::isPrint(c) && !QChar::isSpace(c) && !metrics.inFontUcs4(c))
            return false;
    return true;
}

/// Lays out parts left to right from `x`, returning the x after the last.
class PieceRow
{
public:
    explicit PieceRow(QList<LinePiece> &pieces, qreal x = 0)
        : m_pieces(pieces)
        , m_x(x)
    {
    }
    void add(const QFont &font, const QFontMetrics &metrics, const QFontMetricsF &exact, const QString &text)
    {
        LinePiece piece;
        piece.x = m_x;
        piece.ascent = metrics.ascent();
        piece.font = font;
        piece.text = text;
        m_x += exact.horizontalAdvance(text);
        m_pieces.append(piece);
    }
    void add(platform::ShapedText shaped)
    {
        LinePiece piece;
        piece.x = m_x;
        piece.ascent = shaped.ascent;
        piece.glyphs = true;
        m_x += shaped.width;
        piece.shaped = std::move(shaped);
        m_pieces.append(std::move(piece));
    }
    /// The advance so far, rounded as font metrics round a whole text's.
    int x() const { return qRound(m_x); }

private:
    QList<LinePiece> &m_pieces;
    // Unrounded: parts set one after the other advance as the whole text would.
    qreal m_x;
};

} // namespace

QString unusableFileMark(bool german)
{
    return german ? QStringLiteral(" (nicht lesbar)") : QStringLiteral(" (unreadable)");
}

LineSetter::LineSetter(QPaintDevice *device, int pointSize, bool italic, bool bold, bool german)
    : m_device(device)
    , m_pointSize(pointSize)
    , m_italic(italic)
    , m_bold(bold)
    , m_mark(unusableFileMark(german))
{
}

QFont LineSetter::font(const QString &fontName) const
{
    QFont font = platform::resolveFont(fontName, m_pointSize, m_bold, m_italic);
    // A sheet shows what each font itself holds: characters it lacks are not borrowed from other
    // fonts (the sheet would claim a coverage the font does not have), as a printer's own text
    // output does not borrow them either.
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoFontMerging));
    return font;
}

QFont LineSetter::standardFont() const
{
    return platform::resolveFont(QString::fromLatin1(kStandardFontName), m_pointSize, m_bold, m_italic);
}

LineMetrics LineSetter::measure(const SheetLine &line) const
{
    LineMetrics metrics;
    const QStringList labelParts = partsOf(line.labelParts, line.label);
    QStringList restParts = partsOf(line.restParts, line.rest);
    const QFont standard = standardFont();
    const QFontMetrics standardMetrics(standard, m_device);
    const QFontMetricsF standardExact(standard, m_device);
    PieceRow row(metrics.pieces);
    if (line.formB) {
        for (const QString &part : labelParts)
            row.add(standard, standardMetrics, standardExact, part);
        row.add(standard, standardMetrics, standardExact, QStringLiteral(" "));
        metrics.labelWidth = row.x();
    }
    // Form A sets the label in the entry's font too; a label part the font cannot show (a name
    // in a script the font lacks) is set in the standard font, so that the label always reads.
    const QStringList ownLabel = line.formB ? QStringList() : labelParts;

    QRawFont face;
    if (!line.fontFile.isEmpty()) {
        // Points become pixels at the surface's resolution, as for a font drawn by name there.
        const qreal points = m_pointSize > 0 ? qreal(m_pointSize) : QFont().pointSizeF();
        const platform::FaceStyle style{points * m_device->logicalDpiY() / 72.0, m_bold, m_italic};
        face = platform::FileFaces::instance().face(line.fontFile, style);
        metrics.unusable = !face.isValid();
    }
    if (face.isValid()) {
        metrics.height = platform::shapeText(face, QString()).height();
        for (const QString &part : ownLabel) {
            platform::ShapedText shaped = platform::shapeText(face, part);
            if (shaped.missing > 0)
                row.add(standard, standardMetrics, standardExact, part);
            else
                row.add(std::move(shaped));
        }
        // The parts before the sample (folder, file, separator) are labels too: set in the
        // standard font when the face cannot show them. The sample, the last part, shows the
        // face as it is, always.
        for (qsizetype p = 0; p < restParts.size(); ++p) {
            platform::ShapedText shaped = platform::shapeText(face, restParts.at(p));
            if (p + 1 < restParts.size() && shaped.missing > 0)
                row.add(standard, standardMetrics, standardExact, restParts.at(p));
            else
                row.add(std::move(shaped));
        }
    } else {
        // A typeface, or a file that cannot be used, set in the standard font with the mark.
        if (metrics.unusable)
            restParts << m_mark;
        const QFont entryFont = metrics.unusable ? standard : font(line.fontName);
        const QFontMetrics entryMetrics(entryFont, m_device);
        const QFontMetricsF entryExact(entryFont, m_device);
        metrics.height = entryMetrics.height();
        for (const QString &part : ownLabel) {
            if (fontHolds(entryMetrics, part))
                row.add(entryFont, entryMetrics, entryExact, part);
            else
                row.add(standard, standardMetrics, standardExact, part);
        }
        // As above: a label before the sample that the font cannot show is set in the standard
        // font; the sample stays in the entry's font.
        for (qsizetype p = 0; p < restParts.size(); ++p) {
            const QString &part = restParts.at(p);
            if (p + 1 < restParts.size() && !fontHolds(entryMetrics, part))
                row.add(standard, standardMetrics, standardExact, part);
            else
                row.add(entryFont, entryMetrics, entryExact, part);
        }
    }
    metrics.width = row.x();
    return metrics;
}

namespace {

/// Draws `piece`, a part of `line` set in the face of its font file, on a print job or PDF
/// document, its glyphs in colour as images.
void drawFilePieceInColour(QPainter &painter, const SheetLine &line, const LinePiece &piece, const QPointF &origin)
{
    // The colour glyphs are rendered from the file's own bytes, read as the face was: a file
    // that is no longer the one listed gives none, and its glyphs stay text.
    const QString file = line.fontFile;
    platform::drawGlyphRunsInColour(painter, piece.shaped.runs, origin,
                                    [file] { return platform::FileFaces::instance().fileBytes(file).bytes; });
}

} // namespace

void LineSetter::draw(QPainter &painter, const SheetLine &line, const LineMetrics &metrics, int x, int y) const
{
    // Text is drawn with its cell's top-left corner at (x, y); the background stays as it is.
    // Each part is a paragraph of its own that runs from left to right.
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setLayoutDirection(Qt::LeftToRight);
    // A print job or PDF document shows glyphs as outlines only: glyphs in colour go there as images.
    const bool colourAsImages = platform::drawsColourAsImages(painter.device());
    for (const LinePiece &piece : metrics.pieces) {
        const QPointF origin(x + piece.x, y + piece.ascent);
        if (piece.glyphs && colourAsImages) {
            drawFilePieceInColour(painter, line, piece, origin);
        } else if (piece.glyphs) {
            platform::drawShapedText(painter, piece.shaped, origin);
        } else {
            painter.setFont(piece.font);
            if (!colourAsImages || !platform::drawTextInColour(painter, piece.font, piece.text, origin))
                painter.drawText(origin, piece.text);
        }
    }
}

} // namespace output
