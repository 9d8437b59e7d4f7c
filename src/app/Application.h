#pragma once

#include <QApplication>

namespace app {

/// The application object. Any failure that an event handler does not handle ends that handler
/// and is reported once, as an error box with the failure's message; the program goes on.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    /// Delivers `event` to `receiver`, turning an escaping exception into the error report.
    bool notify(QObject *receiver, QEvent *event) override;
};

/// Shows the application-wide error report for a failure with `message`.
void reportError(const QString &message);

/// Runs the program: windows, event loop, end of the run. Returns the process exit code.
/// With --sheet FILE it makes one sheet, with --list-fonts it prints the font list instead, and
/// ends; either makes no window and needs no display. --help, --version and
/// usage errors (exit code 2) need no windows at all (see SheetCommand.h).
int run(int &argc, char **argv);

} // namespace app
