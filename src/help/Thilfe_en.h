#pragma once

#include <QWidget>

/// Window `hilfe_en`: the English help window. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Thilfe_en : public QWidget
{
    Q_OBJECT
public:
    explicit Thilfe_en(QWidget *parent = nullptr);
};
