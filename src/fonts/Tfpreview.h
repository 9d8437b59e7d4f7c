#pragma once

#include <QWidget>

class QPlainTextEdit;

/// Window `fpreview`: the large font preview window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Tfpreview : public QWidget
{
    Q_OBJECT
public:
    explicit Tfpreview(QWidget *parent = nullptr);

    /// The large sample box; the font list sets its font to the focused entry's.
    QPlainTextEdit *Memo2 = nullptr;
};
