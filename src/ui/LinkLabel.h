#pragma once

#include <QLabel>

namespace ui {

/// A label that reports a click of the left mouse button, for the texts that open web pages.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

    /// Gives the label the look of a link on the help and report windows: bold, underlined,
    /// transparent, in the maker's dark blue, with the hand cursor.
    void styleAsLink();

signals:
    /// The label was clicked.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace ui
