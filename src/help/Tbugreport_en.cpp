#include "help/Tbugreport_en.h"

Tbugreport_en::Tbugreport_en(QWidget *parent)
    : help::ReportWindow(help::englishReportTexts(), parent)
{
}
