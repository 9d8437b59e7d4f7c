#pragma once

#include <QWidget>

/// Window `hilfe`: the German help window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Thilfe : public QWidget
{
    Q_OBJECT
public:
    explicit Thilfe(QWidget *parent = nullptr);
};
