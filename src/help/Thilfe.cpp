#include "help/Thilfe.h"

Thilfe::Thilfe(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("hilfe"));
}
