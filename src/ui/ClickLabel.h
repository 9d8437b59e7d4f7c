#pragma once

#include <QLabel>

namespace ui {

/// A text label that reports a click on it, so that it can stand in for the caption of the check
/// box or radio button beside it.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    /// A label without text in `parent`.
    explicit ClickLabel(QWidget *parent = nullptr);

signals:
    /// The left mouse button was pressed and released over the label.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace ui
