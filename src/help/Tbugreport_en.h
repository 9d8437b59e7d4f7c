#pragma once

#include <QWidget>

/// Window `bugreport_en`: the English report window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Tbugreport_en : public QWidget
{
    Q_OBJECT
public:
    explicit Tbugreport_en(QWidget *parent = nullptr);
};
