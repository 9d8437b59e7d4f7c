#include "help/Thilfe_en.h"

Thilfe_en::Thilfe_en(QWidget *parent)
    : help::HelpWindow(help::englishHelpTexts(), parent)
{
}
