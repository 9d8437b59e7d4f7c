#pragma once
// What a long output run (image and PDF targets) needs of the program's windows: a progress
// display with its abort button, the main window kept from use while the run goes on, and the
// file name the save dialogs propose. The program's windows implement it; a run without them (a
// test) gives a stand-in. The run itself knows no window.

#include <QString>

namespace output {

/// The windows an output run shows itself in.
class RunWindows
{
public:
    virtual ~RunWindows() = default;

    /// An output run to any target is about to start, in the interface language `german`: an
    /// abort asked for in an earlier run no longer counts. Nothing by default.
    virtual void prepare(bool german) { Q_UNUSED(german); }

    /// The run begins with `lines` lines: the progress shows 0 of `lines`, and the main window is
    /// out of use until end().
    virtual void begin(qsizetype lines) = 0;

    /// The line at list position `index` is set. The windows show it and handle what the user did
    /// meanwhile (the abort button is pressed here).
    virtual void lineDone(qsizetype index) = 0;

    /// Whether the user asked the run to stop, by the abort button or by ending the program.
    virtual bool abortRequested() const = 0;

    /// Whether the stop was asked by the program's end: the run then offers nothing for saving.
    virtual bool exitRequested() const = 0;

    /// The run is over: the progress is hidden and the main window is in use again. Called once
    /// for each begin(), before any message about the run is shown.
    virtual void end() = 0;

    /// The name the save dialogs propose from: the last file chosen in them.
    virtual QString lastFileName() const = 0;

    /// Keeps `name` as the last file chosen.
    virtual void setLastFileName(const QString &name) = 0;
};

/// Holds the windows in their run state for its life: begin() when made, end() when left by any
/// way, or earlier through end().
class RunScope
{
public:
    /// Begins a run of `lines` lines in `windows`.
    RunScope(RunWindows &windows, qsizetype lines)
        : m_windows(windows)
    {
        m_windows.begin(lines);
    }
    ~RunScope() { end(); }
    RunScope(const RunScope &) = delete;
    RunScope &operator=(const RunScope &) = delete;

    /// Ends the run's window state now; later calls do nothing.
    void end()
    {
        if (m_ended)
            return;
        m_ended = true;
        m_windows.end();
    }

private:
    RunWindows &m_windows;
    bool m_ended = false;
};

} // namespace output
