#pragma once

#include "help/HelpWindow.h"

/// Window `hilfe`: the German help window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Thilfe : public help::HelpWindow
{
    Q_OBJECT
public:
    explicit Thilfe(QWidget *parent = nullptr);

    QPushButton *const &btide1 = backButton;
    QPushButton *const &btide2 = nextButton;

    /// "<< zurück": the previous page, from the first the last.
    void btide1Click() { backClick(); }
    /// "weiter >>": the next page, from the last the first.
    void btide2Click() { nextClick(); }
};
