#include "ui/Anchors.h"

#include <QEvent>
#include <QWidget>

namespace ui {

QRect anchoredRect(const QRect &design, const QSize &designParent, const QSize &parent, unsigned anchors)
{
    const int dw = parent.width() - designParent.width();
    const int dh = parent.height() - designParent.height();
    QRect r = design;
    if ((anchors & AnchorLeft) && (anchors & AnchorRight))
        r.setWidth(design.width() + dw);
    else if (anchors & AnchorRight)
        r.moveLeft(design.left() + dw);
    if ((anchors & AnchorTop) && (anchors & AnchorBottom))
        r.setHeight(design.height() + dh);
    else if (anchors & AnchorBottom)
        r.moveTop(design.top() + dh);
    return r;
}

AnchorLayout::AnchorLayout(QWidget *container, QSize designSize)
    : QObject(container)
    , m_container(container)
    , m_designSize(designSize)
{
    container->installEventFilter(this);
}

void AnchorLayout::place(QWidget *child, const QRect &design, unsigned anchors)
{
    m_items.append({child, design, anchors});
    child->setGeometry(anchoredRect(design, m_designSize, m_container->size(), anchors));
}

bool AnchorLayout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_container && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}

void AnchorLayout::apply()
{
    const QSize size = m_container->size();
    for (const Item &item : std::as_const(m_items))
        if (item.widget)
            item.widget->setGeometry(anchoredRect(item.design, m_designSize, size, item.anchors));
}

} // namespace ui
