#include "output/Tstatus.h"

Tstatus::Tstatus(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("status"));
}
