#include "fonts/Tfpreview.h"

Tfpreview::Tfpreview(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fpreview"));
}
