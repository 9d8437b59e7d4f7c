#include "app/Tprog.h"
#include "app/Windows.h"
#include "output/Tstatus.h"
#include "support/AppTestMain.h"

#include <QDir>
#include <QProgressBar>
#include <QPushButton>

class TestStatusWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        gwtest::createWindowsWithoutGreeting();
    }

    void cleanup()
    {
        app::destroyWindows();
    }

    void window()
    {
        QCOMPARE(status->windowTitle(), QStringLiteral("Status"));
        QVERIFY(status->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!status->isVisible());
        status->show();
        QVERIFY(QTest::qWaitForWindowExposed(status));
        QCOMPARE(status->size(), QSize(273, 71));
        status->setMaximum(40);
        status->setPosition(13);
        QCOMPARE(status->stat->maximum(), 40);
        QCOMPARE(status->stat->value(), 13);
        QVERIFY(status->grab().save(QDir::current().filePath(QStringLiteral("status.png"))));
    }

    void severalBreaksAreOne()
    {
        status->show();
        status->beginRun(app::isGerman());
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(status->Break, Qt::LeftButton);
        QCOMPARE(status->abortRequest(), 1);
        QCOMPARE(status->Break->property("Tag").toInt(), 1);
        QVERIFY(status->isVisible());
        status->beginRun(app::isGerman());
        QCOMPARE(status->abortRequest(), 0);
    }

    void closingRequestsNoAbort()
    {
        status->show();
        status->beginRun(app::isGerman());
        QVERIFY(!status->close());
        QVERIFY(!status->isVisible());
        QCOMPARE(status->abortRequest(), 0);
    }

    void captionFollowsLanguageAtRunStart()
    {
        status->BreakClick();
        prog->mdeClick();
        QCOMPARE(status->Break->text(), QStringLiteral("Break")); // only a run start re-captions
        status->beginRun(app::isGerman());
        QCOMPARE(status->Break->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(status->abortRequest(), 0);
        prog->menClick();
        status->beginRun(app::isGerman());
        QCOMPARE(status->Break->text(), QStringLiteral("Break"));
    }
};

GW_TEST_MAIN_APP(TestStatusWindow)
#include "tst_status.moc"
