#pragma once

#include <QWidget>

/// Window `status`: the progress and abort window of image runs. Created hidden at start and kept for the whole run;
/// closing it only hides it.
class Tstatus : public QWidget
{
    Q_OBJECT
public:
    explicit Tstatus(QWidget *parent = nullptr);
};
