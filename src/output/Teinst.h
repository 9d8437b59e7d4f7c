#pragma once

#include <QWidget>

/// Window `einst`: the output settings dialog. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Teinst : public QWidget
{
    Q_OBJECT
public:
    explicit Teinst(QWidget *parent = nullptr);
};
