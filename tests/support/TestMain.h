#pragma once
// Test entry points that run every test on the offscreen platform unless the caller chose another,
// so GUI tests never need a display.

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QtTest>

namespace gwtest {
inline void useOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
} // namespace gwtest

/// main() for tests that need widgets.
#define GW_TEST_MAIN(TestObject)                                \
    int main(int argc, char **argv)                             \
    {                                                           \
        gwtest::useOffscreenUnlessSet();                        \
        QApplication app(argc, argv);                           \
        TestObject tc;                                          \
        QTEST_SET_MAIN_SOURCE_PATH                              \
        return QTest::qExec(&tc, argc, argv);                   \
    }

/// main() for tests that draw (fonts, images) but show no widget.
#define GW_TEST_MAIN_GUI(TestObject)                            \
    int main(int argc, char **argv)                             \
    {                                                           \
        gwtest::useOffscreenUnlessSet();                        \
        QGuiApplication app(argc, argv);                        \
        TestObject tc;                                          \
        QTEST_SET_MAIN_SOURCE_PATH                              \
        return QTest::qExec(&tc, argc, argv);                   \
    }

/// main() for tests of plain logic.
#define GW_TEST_MAIN_CORE(TestObject)                           \
    int main(int argc, char **argv)                             \
    {                                                           \
        QCoreApplication app(argc, argv);                       \
        TestObject tc;                                          \
        QTEST_SET_MAIN_SOURCE_PATH                              \
        return QTest::qExec(&tc, argc, argv);                   \
    }
