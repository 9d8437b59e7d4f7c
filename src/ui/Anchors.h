#pragma once
// Controls placed at fixed design positions that follow the window's edges they are anchored to.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

/// Edges a control keeps its distance to.
enum Anchor : unsigned { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };

/// The place of a control designed at `design` inside a parent of `designParent`, once the parent
/// has `parent` size: anchored to both opposite edges it stretches, to the far edge alone it moves,
/// to the near edge alone it stays.
QRect anchoredRect(const QRect &design, const QSize &designParent, const QSize &parent, unsigned anchors);

/// Keeps the registered children of one container at their anchored places when it is resized.
class AnchorLayout : public QObject
{
    Q_OBJECT
public:
    /// Follows `container`, whose design size is `designSize`.
    AnchorLayout(QWidget *container, QSize designSize);

    /// Places `child` at `design` and keeps it anchored to `anchors` from now on.
    void place(QWidget *child, const QRect &design, unsigned anchors);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Item
    {
        QPointer<QWidget> widget;
        QRect design;
        unsigned anchors;
    };
    void apply();

    QWidget *m_container;
    QSize m_designSize;
    QList<Item> m_items;
};

} // namespace ui
