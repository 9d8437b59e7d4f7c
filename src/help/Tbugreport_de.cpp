#include "help/Tbugreport_de.h"

Tbugreport_de::Tbugreport_de(QWidget *parent)
    : help::ReportWindow(help::germanReportTexts(), parent)
{
}
