#include "output/Teinst.h"

Teinst::Teinst(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("einst"));
}
