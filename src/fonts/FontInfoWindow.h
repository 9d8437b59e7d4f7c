#pragma once

#include "fonts/FontEntry.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTextEdit;

/// Window `fontinfo`: what the focused list entry's font file says about it (names, maker,
/// licence, embedding, format, coverage, axes, file), as text that can be selected and read
/// by keyboard and screen reader. Created hidden at start and kept for the whole run.
class FontInfoWindow : public QWidget
{
    Q_OBJECT
public:
    /// The window; `german` tells whenever its texts are set whether the interface language is
    /// German.
    explicit FontInfoWindow(std::function<bool()> german, QWidget *parent = nullptr);

    /// Reads the facts of `entry`'s font (fonts::entryFacts()) and shows them, the keyboard focus
    /// on the text. A file that cannot be read is said so in the text, with the reason.
    void showEntry(const fonts::FontListEntry &entry);

    /// Sets the window's texts for the current interface language, the facts shown included.
    void LocalSpr();

    /// The facts' text shown, as plain text.
    QString factsText() const;

    // Controls, by their names.
    QLabel *Label1 = nullptr;
    QTextEdit *Memo1 = nullptr;
    QPushButton *Button1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::function<bool()> m_german;
    fonts::FontListEntry m_entry;
    bool m_hasEntry = false;
};
