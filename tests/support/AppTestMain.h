#pragma once
// Test entry point for tests of whole windows: the program's own application object (with its
// error report), on the offscreen platform unless the caller chose another, and no dialog ever
// waiting for a person.

#include "app/Application.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "platform/Dialogs.h"
#include "support/TestMain.h"

namespace gwtest {
/// Creates the program's windows with the start window's greeting timer stopped: its real ticks
/// (the main window appearing, the start window going) would otherwise come in the middle of
/// whatever a test does, earlier or later with the machine's load.
inline void createWindowsWithoutGreeting()
{
    app::createWindows();
    start->Timer1->stop();
}
} // namespace gwtest

#define GW_TEST_MAIN_APP(TestObject)                            \
    int main(int argc, char **argv)                             \
    {                                                           \
        gwtest::useOffscreenUnlessSet();                        \
        app::Application application(argc, argv);               \
        dialogs::setNonInteractive(true);                       \
        TestObject tc;                                          \
        QTEST_SET_MAIN_SOURCE_PATH                              \
        return QTest::qExec(&tc, argc, argv);                   \
    }
