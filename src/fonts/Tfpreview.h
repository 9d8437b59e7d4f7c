#pragma once

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QToolButton;
class UpDown;

/// Window `fpreview`: the large font preview window, always on top. Created hidden at start and
/// kept for the whole run; closing it only hides it, so its size, styles and text survive.
class Tfpreview : public QWidget
{
    Q_OBJECT
public:
    /// The window; `german` tells whenever its texts are set whether the interface language is
    /// German (the language belongs to the start window, made before this one).
    explicit Tfpreview(std::function<bool()> german, QWidget *parent = nullptr);

    // Controls, by their names.
    QLabel *Label1 = nullptr;
    QComboBox *FSize = nullptr;
    UpDown *UpDown1 = nullptr;
    QLabel *Label2 = nullptr;
    QToolButton *bold = nullptr;
    QToolButton *italic = nullptr;
    QToolButton *under = nullptr;
    /// The large sample box; the font list sets its font to the focused entry's.
    QPlainTextEdit *Memo2 = nullptr;

    /// Sets the window's texts for the current interface language.
    void LocalSpr();

    /// Sets the size of `Memo2` from the text of `FSize` when it is a whole number; any other
    /// text is ignored and the last valid size stays.
    void FSizeChange();

    /// The arrows moved to `newValue`: the size of `Memo2` becomes `newValue` points. The change
    /// is always allowed.
    void UpDown1ChangingEx(bool &allowChange, int newValue);

    /// Toggles bold of `Memo2`, keeping the other style bits.
    void boldClick();
    /// Toggles italic of `Memo2`, keeping the other style bits.
    void italicClick();
    /// Toggles underline of `Memo2`, keeping the other style bits.
    void underClick();

    /// The window was hidden, however: announces it through hidden().
    void FormHide();

signals:
    /// The window was hidden (closed, or hidden by the program), not merely minimised.
    void hidden();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void setMemoSize(int points);
    int m_bold = 0;
    int m_italic = 0;
    int m_under = 0;
    std::function<bool()> m_german;
};

/// Up and down arrows that step a position between a minimum and a maximum, attached to an
/// edit box whose text they set to the new position.
class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(QWidget *parent, int minimum, int maximum, int position);

    /// The current position.
    int position() const { return m_position; }
    /// Sets the position without reporting a change.
    void setPosition(int position);
    /// The box whose text follows the position.
    void associate(QComboBox *box) { m_box = box; }

signals:
    /// An arrow asks to move to `newValue`; setting `allowChange` to false keeps the position.
    void changing(bool &allowChange, int newValue);

private:
    void step(int delta);
    int m_minimum;
    int m_maximum;
    int m_position;
    QComboBox *m_box = nullptr;
};
