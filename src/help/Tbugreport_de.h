#pragma once

#include "help/ReportWindow.h"

/// Window `bugreport_de`: the German report window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Tbugreport_de : public help::ReportWindow
{
    Q_OBJECT
public:
    explicit Tbugreport_de(QWidget *parent = nullptr);
};
