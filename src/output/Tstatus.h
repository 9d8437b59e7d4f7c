#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

/// Window `status`: the progress and abort window of image runs. Created hidden at start and kept for the whole run;
/// closing it only hides it. The abort request is the tag of the button `Break`: 0 none, 1 requested.
class Tstatus : public QWidget
{
    Q_OBJECT
public:
    /// The window, its button captioned in German when `german`, else in English.
    explicit Tstatus(bool german, QWidget *parent = nullptr);

    // Controls, by their names.
    QProgressBar *stat = nullptr;
    QPushButton *Break = nullptr;

    /// Requests the abort of the running output (tag := 1). Neither hides the window nor ends the run.
    void BreakClick();

    /// Prepares the window for an output run: clears the abort request and captions the button in
    /// the language active now (German when `german`). Called at the start of every run, whatever
    /// its target.
    void beginRun(bool german);

    /// The abort request: 0 none, 1 the user asked to stop.
    int abortRequest() const;

    /// The program is ending: requests the abort as `BreakClick` does, and the run leaves its
    /// image unsaved.
    void abortForExit();

    /// Whether the running output was aborted because the program is ending.
    bool exitRequested() const;

    /// Sets the bar's maximum (the number of lines of the run); the minimum is 0.
    void setMaximum(int maximum);

    /// Sets the bar's position (the list position of the line just set).
    void setPosition(int position);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_exitRequested = false;
};
