#pragma once

#include <QWidget>

class QLabel;
class QTimer;

/// Window `start`: the borderless start window that greets the user for about three seconds,
/// decides the interface language and is the principal window: closing it ends the run.
class Tstart : public QWidget
{
    Q_OBJECT
public:
    explicit Tstart(QWidget *parent = nullptr);

    /// Hidden label holding the interface language code, "en" or "de".
    QLabel *spr = nullptr;
    QLabel *Image1 = nullptr; ///< German logo
    QLabel *Image2 = nullptr; ///< English logo
    QLabel *Label1 = nullptr; ///< the maker's address, later its donation page
    QWidget *r1 = nullptr;    ///< frame line, top
    QWidget *r2 = nullptr;    ///< frame line, bottom
    QWidget *r3 = nullptr;    ///< frame line, left
    QWidget *r4 = nullptr;    ///< frame line, right
    QTimer *Timer1 = nullptr; ///< drives the greeting, every 90 ms

    /// Ticks counted so far by Timer1Timer.
    int start_ticks = 0;

    /// Applies the language code to the start window and the application title.
    void startsprache();

    /// One tick of the greeting: the donation address at 18, the main window at 25, hiding at 35,
    /// the timer stopped at 36.
    void Timer1Timer();

    /// A click on the background, a logo or the label: ends the greeting at once.
    void FormClick();

signals:
    /// The start window was closed: the run ends.
    void runEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void centreLabel1();
};
