#include "app/ProgramRunWindows.h"

#include "app/Tprog.h"
#include "app/Windows.h"
#include "output/Tstatus.h"

#include <QCoreApplication>

namespace app {

void ProgramRunWindows::prepare(bool german)
{
    status->beginRun(german);
}

void ProgramRunWindows::begin(qsizetype lines)
{
    status->show();
    prog->setEnabled(false);
    status->setMaximum(int(lines));
    status->setPosition(0);
}

void ProgramRunWindows::lineDone(qsizetype index)
{
    status->setPosition(int(index));
    // The run holds the event loop; the abort button and the window's repaints get their turn here.
    QCoreApplication::processEvents();
}

bool ProgramRunWindows::abortRequested() const
{
    return status->abortRequest() != 0;
}

bool ProgramRunWindows::exitRequested() const
{
    return status->exitRequested();
}

void ProgramRunWindows::end()
{
    status->hide();
    prog->setEnabled(true);
    prog->activateWindow();
    prog->setFocus();
}

QString ProgramRunWindows::lastFileName() const
{
    return prog->sdFileName;
}

void ProgramRunWindows::setLastFileName(const QString &name)
{
    prog->sdFileName = name;
}

} // namespace app
