// The program's side of the desktop integration: the icon on every window, and the names by which
// docks and window managers match the windows to the desktop entry.

#include "support/AppTestMain.h"
#include "ui/Logo.h"

#include <QFile>
#include <QGuiApplication>
#include <QWidget>

class TestDesktopIntegration : public QObject
{
    Q_OBJECT
private slots:
    void init() { gwtest::createWindowsWithoutGreeting(); }
    void cleanup() { app::destroyWindows(); }

    void everyWindowHasTheIcon()
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(!windows.isEmpty());
        for (QWidget *window : windows)
            QVERIFY2(!window->windowIcon().isNull(), qPrintable(window->objectName()));
        // A missing resource file would leave a size out, not the icon null.
        QCOMPARE(QApplication::windowIcon().availableSizes().size(), 8);
    }

    void namesMatchTheDesktopEntry()
    {
        const QString id = QGuiApplication::desktopFileName();
        QFile entry(QStringLiteral(GW_SOURCE_DIR "/data/") + id + QStringLiteral(".desktop"));
        QVERIFY2(entry.open(QIODevice::ReadOnly), qPrintable(entry.fileName()));
        const QString text = QString::fromUtf8(entry.readAll());
        QVERIFY(text.contains(QStringLiteral("\nStartupWMClass=") + QApplication::applicationName() + QLatin1Char('\n')));
        QVERIFY(text.contains(QStringLiteral("\nIcon=") + id + QLatin1Char('\n')));
    }
};

GW_TEST_MAIN_APP(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
