#pragma once

#include "help/HelpWindow.h"

/// Window `hilfe_en`: the English help window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Thilfe_en : public help::HelpWindow
{
    Q_OBJECT
public:
    explicit Thilfe_en(QWidget *parent = nullptr);

    QPushButton *const &btien1 = backButton;
    QPushButton *const &btien2 = nextButton;

    /// "<< back": the previous page, from the first the last.
    void btien1Click() { backClick(); }
    /// "next >>": the next page, from the last the first.
    void btien2Click() { nextClick(); }
};
