#include "ui/Logo.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

namespace ui {

QPixmap drawLogo(const QString &name, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Three tiles with the same letter in three styles: what the program is about.
    const QColor dark(15, 63, 111);
    const QColor light(90, 140, 190);
    const int tile = size.height() / 2 - 4;
    const int tilesWidth = 3 * tile + 2 * 4;
    int x = (size.width() - tilesWidth) / 2;
    const QStringList styles = {QStringLiteral("serif"), QStringLiteral("sans"), QStringLiteral("monospace")};
    for (int i = 0; i < 3; ++i) {
        const QRect r(x, 2, tile, tile);
        QLinearGradient g(r.topLeft(), r.bottomRight());
        g.setColorAt(0, i == 1 ? dark : light);
        g.setColorAt(1, i == 1 ? light : dark);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(r, 4, 4);
        QFont f(styles.at(i));
        f.setPixelSize(tile - 6);
        f.setBold(i == 1);
        f.setItalic(i == 0);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("G"));
        x += tile + 4;
    }

    QFont f(QStringLiteral("sans"));
    f.setBold(true);
    f.setPixelSize(size.height() / 3);
    // Shrink until the name fits the width.
    while (f.pixelSize() > 8 && QFontMetrics(f).horizontalAdvance(name) > size.width() - 4)
        f.setPixelSize(f.pixelSize() - 1);
    p.setFont(f);
    p.setPen(dark);
    const QRect textRect(0, tile + 4, size.width(), size.height() - tile - 4);
    p.drawText(textRect, Qt::AlignCenter, name);
    return pixmap;
}

QIcon applicationIcon()
{
    // The PNG sizes, not the SVG: the SVG needs Qt's SVG module, which the program does without.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(QLatin1String(desktopId)),
                     QSize(size, size));
    return icon;
}

} // namespace ui
