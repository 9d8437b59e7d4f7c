#include "help/Tbugreport_en.h"

Tbugreport_en::Tbugreport_en(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("bugreport_en"));
}
