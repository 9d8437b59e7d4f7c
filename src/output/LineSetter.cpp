#include "output/LineSetter.h"

#include "platform/FontResolver.h"

#include <QFontMetrics>
#include <QPainter>

namespace output {

LineSetter::LineSetter(QPaintDevice *device, int pointSize, bool italic, bool bold)
    : m_device(device)
    , m_pointSize(pointSize)
    , m_italic(italic)
    , m_bold(bold)
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

LineMetrics LineSetter::measure(const SheetLine &line) const
{
    LineMetrics metrics;
    const QFontMetrics entry(font(line.fontName), m_device);
    if (!line.formB) {
        const QString text = line.label + line.rest;
        metrics.height = entry.height();
        metrics.width = entry.horizontalAdvance(text);
        return metrics;
    }
    const QString label = line.label + QLatin1Char(' ');
    const QFontMetrics standard(font(QString::fromLatin1(kStandardFontName)), m_device);
    metrics.labelWidth = standard.horizontalAdvance(label);
    metrics.height = entry.height();
    metrics.width = metrics.labelWidth + entry.horizontalAdvance(line.rest);
    return metrics;
}

void LineSetter::draw(QPainter &painter, const SheetLine &line, const LineMetrics &metrics, int x, int y) const
{
    // Text is drawn with its cell's top-left corner at (x, y); the background stays as it is.
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFont entryFont = font(line.fontName);
    if (!line.formB) {
        painter.setFont(entryFont);
        painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), line.label + line.rest);
        return;
    }
    painter.setFont(font(QString::fromLatin1(kStandardFontName)));
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), line.label + QLatin1Char(' '));
    painter.setFont(entryFont);
    painter.drawText(QPoint(x + metrics.labelWidth, y + painter.fontMetrics().ascent()), line.rest);
}

} // namespace output
