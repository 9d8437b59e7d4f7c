#include "ui/LinkLabel.h"

#include "ui/Look.h"

#include <QMouseEvent>

namespace ui {

LinkLabel::LinkLabel(QWidget *parent)
    : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::styleAsLink()
{
    QFont f = font();
    f.setBold(true);
    f.setUnderline(true);
    setFont(f);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, ui::linkColour());
    setPalette(p);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    // Taken here, so that the press does not reach the window underneath, which would start
    // moving itself and leave the label without its release.
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a release over the label, as with buttons: dragging off the label cancels it.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace ui
