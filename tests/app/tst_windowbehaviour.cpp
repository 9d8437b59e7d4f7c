// How the windows behave on a desktop: keys, titles, keyboard order, sizes.

#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "support/AppTestMain.h"

#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QWindow>

class TestWindowBehaviour : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        gwtest::createWindowsWithoutGreeting();
        prog->show();
        prog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(prog));
    }
    void cleanup()
    {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        app::destroyWindows();
    }

    // An open drop-down or menu takes its own Esc; only an Esc that reaches the main window
    // ends the run. The keys go in as the window system delivers them.
    void escClosesWhatIsOpen_data()
    {
        QTest::addColumn<QString>("open");
        QTest::newRow("output box") << "cbdrucker";
        QTest::newRow("sample box") << "cd1";
        QTest::newRow("menu") << "m1";
        QTest::newRow("pop-up menu") << "PopupMenu1";
    }
    void escClosesWhatIsOpen()
    {
        QFETCH(QString, open);
        QSignalSpy ended(start, &Tstart::runEnded);
        if (auto *box = prog->findChild<QComboBox *>(open))
            box->showPopup();
        else
            prog->findChild<QMenu *>(open)->popup(prog->mapToGlobal(QPoint(20, 20)));
        QWidget *popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        QTest::keyClick(popup->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!popup->isVisible());
        QCOMPARE(ended.count(), 0);
        prog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(prog));
        QTest::keyClick(prog->windowHandle(), Qt::Key_Escape);
        QCOMPARE(ended.count(), 1);
    }
};

GW_TEST_MAIN_APP(TestWindowBehaviour)
#include "tst_windowbehaviour.moc"
