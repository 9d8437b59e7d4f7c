#pragma once

#include <QWidget>

/// Window `bugreport_de`: the German report window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Tbugreport_de : public QWidget
{
    Q_OBJECT
public:
    explicit Tbugreport_de(QWidget *parent = nullptr);
};
