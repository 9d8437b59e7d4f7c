#include "app/Application.h"

#include "app/SheetCommand.h"
#include "app/SheetRun.h"
#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "output/WordApplication.h"
#include "platform/Dialogs.h"
#include "typeface/FileFaces.h"
#include "typeface/SampleBoxFace.h"
#include "platform/Signals.h"
#include "ui/Logo.h"
#include "util/Errors.h"
#include "util/EscapedText.h"

#include <QDateTime>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

namespace app {

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // The run ends when the start window is closed, visible or not, never because the last
    // visible window went away (the start window hides itself after the greeting).
    setQuitOnLastWindowClosed(false);
    // Every window without an icon of its own shows this one; Wayland compositors match the
    // windows to the desktop entry by its file name.
    setWindowIcon(ui::applicationIcon());
    setDesktopFileName(QLatin1String(ui::desktopId));
    // A save beyond the file-size limit is a failed write for the user to hear of, not the end
    // of the run.
    platform::ignoreFileSizeSignal();
    platform::synthesiseBoldAtAnySize();
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const util::Error &e) {
        reportError(e.message());
    } catch (const std::exception &e) {
        reportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportError(QStringLiteral("Unknown error"));
    }
    return false;
}

void reportError(const QString &message)
{
    dialogs::message(dialogs::MessageKind::Error, message);
}

int run(int &argc, char **argv)
{
    // Before anything is opened: a closed standard stream must not become a font or sheet file.
    occupyClosedStandardStreams();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Command command = parseCommand(arguments);
    switch (command.kind) {
    case CommandKind::UsageError:
        writeTo(stderr, (command.options.german ? QStringLiteral("glyphworks: %1\n%2\nMehr sagt 'glyphworks --help --german'.\n")
                                                : QStringLiteral("glyphworks: %1\n%2\nTry 'glyphworks --help' for more.\n"))
                            .arg(util::escapeControls(command.error), usageLine()));
        return endOutput(2, command.options.german);
    case CommandKind::Help:
        writeTo(stdout, helpText(command.options.german));
        return endOutput(0, command.options.german);
    case CommandKind::Version:
        writeTo(stdout, QStringLiteral("glyphworks %1\n").arg(QLatin1String(GW_VERSION)));
        return endOutput(0, command.options.german);
    case CommandKind::Window:
    case CommandKind::Sheet:
    case CommandKind::ListFonts:
        break;
    }
    const bool windowless = command.kind != CommandKind::Window;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (!windowless) {
            std::fprintf(stderr, "Glyphworks needs a desktop: no display is set (DISPLAY or WAYLAND_DISPLAY).\n"
                                 "Start it from a desktop session, or under a virtual one (xvfb-run).\n");
            return 1;
        }
        // A sheet or the list needs no screen: Qt draws without one.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application application(argc, argv);
    // Documents handed to the word processor in earlier runs have long been read.
    output::removeOldDocuments(QDateTime::currentDateTime().addSecs(-3600));
    // Runs that were killed left their sample box faces behind.
    platform::removeAbandonedSampleBoxFolders();
    if (windowless)
        beginWindowlessRun();
    int code = 0;
    try {
        if (windowless) {
            code = runWithoutWindows(command);
        } else {
            createWindows();
            QObject::connect(start, &Tstart::runEnded, &application, [] { QCoreApplication::exit(0); });
            // A termination request or a hang-up ends the run as closing the main window does:
            // through the event loop, so that the run cleans up after itself.
            const InterruptWatch watch([] { prog->close(); });
            start->show();
            code = application.exec();
        }
    } catch (const util::Error &e) {
        reportError(e.message());
        code = 1;
    } catch (const std::exception &e) {
        reportError(QString::fromLocal8Bit(e.what()));
        code = 1;
    }
    if (!windowless)
        destroyWindows();
    // The font change notice of the end of the run is delivered before the process ends.
    QCoreApplication::processEvents();
    return code;
}

} // namespace app
