#include "help/Tbugreport_de.h"

Tbugreport_de::Tbugreport_de(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("bugreport_de"));
}
