#pragma once

#include <QWidget>

/// Window `fpreview`: the large font preview window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Tfpreview : public QWidget
{
    Q_OBJECT
public:
    explicit Tfpreview(QWidget *parent = nullptr);
};
