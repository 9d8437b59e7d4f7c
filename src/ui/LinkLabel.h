#pragma once

#include <QLabel>

namespace ui {

/// A label that opens a web page: it reports a click of the left mouse button, and, once it has
/// the keyboard focus (it takes it with Tab), Enter or Space as a click. It shows the focus with
/// the style's focus frame and tells assistive technology that it is a link.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

    /// Gives the label the look of a link on the help and report windows: bold, underlined,
    /// transparent, in the maker's dark blue, with the hand cursor.
    void styleAsLink();

signals:
    /// The label was clicked, or Enter or Space was pressed on it.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace ui
