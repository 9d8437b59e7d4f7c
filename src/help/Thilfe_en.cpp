#include "help/Thilfe_en.h"

Thilfe_en::Thilfe_en(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("hilfe_en"));
}
