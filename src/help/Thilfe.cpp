#include "help/Thilfe.h"

Thilfe::Thilfe(QWidget *parent)
    : help::HelpWindow(help::germanHelpTexts(), parent)
{
}
