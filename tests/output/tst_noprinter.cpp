// Runs with CUPS_SERVER pointing nowhere: a machine without any printer.
#include "app/Tprog.h"
#include "app/Windows.h"
#include "support/AppTestMain.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

class TestNoPrinter : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
        prog->show();
    }
    void cleanup() { app::destroyWindows(); }

    void listFillsWithoutPrinter()
    {
        QCOMPARE(prog->cbdrucker->count(), 7);
        QVERIFY(prog->ListBox1->count() > 0);
    }

    void printingReportsTheMissingPrinter_data()
    {
        QTest::addColumn<int>("target");
        QTest::newRow("standard printer") << 0;
        QTest::newRow("print dialog") << 1;
    }
    void printingReportsTheMissingPrinter()
    {
        QFETCH(int, target);
        prog->cbdrucker->setCurrentIndex(target);
        QTest::mouseClick(prog->Button1, Qt::LeftButton);
        // One error box, no print dialog.
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Error);
        QCOMPARE(dialogs::shown().first().text, QStringLiteral("There is no default printer currently selected"));
    }
};

GW_TEST_MAIN_APP(TestNoPrinter)
#include "tst_noprinter.moc"
