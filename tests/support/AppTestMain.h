#pragma once
// Test entry point for tests of whole windows: the program's own application object (with its
// error report), on the offscreen platform unless the caller chose another, and no dialog ever
// waiting for a person.

#include "app/Application.h"
#include "platform/Dialogs.h"
#include "support/TestMain.h"

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
