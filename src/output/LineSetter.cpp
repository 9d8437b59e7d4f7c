#include "output/LineSetter.h"

#include "platform/FileFaces.h"
#include "platform/FontResolver.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

namespace output {

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

QString LineSetter::entryText(const SheetLine &line, bool unusable) const
{
    QString text = line.formB ? line.rest : line.label + line.rest;
    if (unusable)
        text += m_mark;
    return text;
}

LineMetrics LineSetter::measure(const SheetLine &line) const
{
    LineMetrics metrics;
    if (line.formB) {
        const QFontMetrics standard(font(QString::fromLatin1(kStandardFontName)), m_device);
        metrics.labelWidth = standard.horizontalAdvance(line.label + QLatin1Char(' '));
    }
    if (!line.fontFile.isEmpty()) {
        // Points become pixels at the surface's resolution, as for a font drawn by name there.
        const qreal points = m_pointSize > 0 ? qreal(m_pointSize) : QFont().pointSizeF();
        const platform::FaceStyle style{points * m_device->logicalDpiY() / 72.0, m_bold, m_italic};
        const QRawFont face = platform::FileFaces::instance().face(line.fontFile, style);
        if (face.isValid()) {
            metrics.shaped = platform::shapeText(face, entryText(line, false));
            metrics.height = metrics.shaped.height();
            metrics.width = metrics.labelWidth + qRound(metrics.shaped.width);
            return metrics;
        }
        metrics.unusable = true;
    }
    // A typeface, or a file that cannot be used, set in the standard font.
    const QFontMetrics entry(font(metrics.unusable ? QString::fromLatin1(kStandardFontName) : line.fontName), m_device);
    metrics.height = entry.height();
    metrics.width = metrics.labelWidth + entry.horizontalAdvance(entryText(line, metrics.unusable));
    return metrics;
}

void LineSetter::draw(QPainter &painter, const SheetLine &line, const LineMetrics &metrics, int x, int y) const
{
    // Text is drawn with its cell's top-left corner at (x, y); the background stays as it is.
    painter.setBackgroundMode(Qt::TransparentMode);
    if (line.formB) {
        painter.setFont(font(QString::fromLatin1(kStandardFontName)));
        painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), line.label + QLatin1Char(' '));
    }
    const int entryX = x + (line.formB ? metrics.labelWidth : 0);
    if (!line.fontFile.isEmpty() && !metrics.unusable) {
        platform::drawShapedText(painter, metrics.shaped, QPointF(entryX, y + metrics.shaped.ascent));
        return;
    }
    painter.setFont(font(metrics.unusable ? QString::fromLatin1(kStandardFontName) : line.fontName));
    painter.drawText(QPoint(entryX, y + painter.fontMetrics().ascent()), entryText(line, metrics.unusable));
}

} // namespace output
