#pragma once
// The program's windows as a long output run sees them.

#include "output/RunWindows.h"

namespace app {

/// The progress window `status` with its bar and abort button, the main window out of use while
/// the run goes on, and the name the main window's save dialog proposes (Tprog::sdFileName).
class ProgramRunWindows : public output::RunWindows
{
public:
    void prepare(bool german) override;
    void begin(qsizetype lines) override;
    void lineDone(qsizetype index) override;
    bool abortRequested() const override;
    bool exitRequested() const override;
    void end() override;
    QString lastFileName() const override;
    void setLastFileName(const QString &name) override;
};

} // namespace app
