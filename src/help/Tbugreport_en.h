#pragma once

#include "help/ReportWindow.h"

/// Window `bugreport_en`: the English report window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Tbugreport_en : public help::ReportWindow
{
    Q_OBJECT
public:
    explicit Tbugreport_en(QWidget *parent = nullptr);
};
