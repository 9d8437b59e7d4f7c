#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "platform/DesktopLanguage.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"
#include "util/Errors.h"

#include <QDir>
#include <QLabel>
#include <QProcessEnvironment>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// An object whose handler fails, as a handler meeting an unexpected failure would.
class FailingHandler : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw util::Error(QStringLiteral("Something went wrong"));
        return QObject::event(e);
    }
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private:
    QString m_startDir = QDir::currentPath();

private slots:
    void cleanup()
    {
        app::destroyWindows();
        QDir::setCurrent(m_startDir);
        dialogs::clearShown();
    }

    void languageFromMarkerFiles_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("code");
        QTest::newRow("de") << QStringList{"de"} << QStringList{} << "de";
        QTest::newRow("en") << QStringList{"en"} << QStringList{} << "en";
        QTest::newRow("both") << QStringList{"de", "en"} << QStringList{} << "de";
        QTest::newRow("neither") << QStringList{"DE", "de.txt"} << QStringList{} << "en";
        QTest::newRow("folder named de") << QStringList{} << QStringList{"de"} << "en";
        QTest::newRow("folder de, file en") << QStringList{"en"} << QStringList{"de"} << "en";
    }
    void languageFromMarkerFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(QString, code);
        QTemporaryDir dir;
        for (const QString &f : files)
            QVERIFY(gwtest::writeFile(dir.filePath(f), "contents are never read"));
        for (const QString &f : folders)
            QVERIFY(QDir(dir.path()).mkdir(f));
        QDir::setCurrent(dir.path());
        Tstart window;
        QCOMPARE(window.spr->text(), code);
        const bool german = code == QLatin1String("de");
        QCOMPARE(window.Image1->isVisibleTo(&window), german);
        QCOMPARE(window.Image2->isVisibleTo(&window), !german);
        QCOMPARE(window.Label1->text(), german ? QStringLiteral("velmont-media.de") : QStringLiteral("velmont-media.com"));
        QCOMPARE(dialogs::applicationTitle(),
                 german ? QStringLiteral("Glyphwerk - Velmont Media") : QStringLiteral("Glyphworks - Velmont Media"));
        // The marker files are left as they were.
        for (const QString &f : files)
            QVERIFY(QFileInfo(dir.filePath(f)).isFile());
    }

    // Without marker files the desktop's language decides, as the desktop's own programs read it.
    void languageFromDesktop_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("code");
        QTest::newRow("LANG German") << QStringList{"LANG=de_DE.UTF-8"} << "de";
        QTest::newRow("LANG Austrian") << QStringList{"LANG=de_AT@euro"} << "de";
        QTest::newRow("LANG French") << QStringList{"LANG=fr_FR.UTF-8"} << "en";
        QTest::newRow("LANG not de") << QStringList{"LANG=dsb_DE.UTF-8"} << "en";
        QTest::newRow("nothing set") << QStringList{} << "en";
        QTest::newRow("LC_MESSAGES before LANG") << QStringList{"LANG=en_GB.UTF-8", "LC_MESSAGES=de_CH.UTF-8"} << "de";
        QTest::newRow("LC_ALL before LC_MESSAGES") << QStringList{"LC_MESSAGES=de_DE.UTF-8", "LC_ALL=en_US.UTF-8"} << "en";
        QTest::newRow("LANGUAGE first") << QStringList{"LANG=en_US.UTF-8", "LANGUAGE=de:en"} << "de";
        QTest::newRow("LANGUAGE English") << QStringList{"LANG=de_DE.UTF-8", "LANGUAGE=en_GB:de"} << "en";
        QTest::newRow("C locale ignores LANGUAGE") << QStringList{"LC_ALL=C.UTF-8", "LANGUAGE=de"} << "en";
    }
    void languageFromDesktop()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, code);
        QProcessEnvironment set;
        for (const QString &variable : environment)
            set.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
        QCOMPARE(platform::languageCodeOf(set), code);
    }

    // The start window takes it when no marker file is there, and a marker file still wins.
    void startWindowTakesDesktopLanguage_data()
    {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("code");
        QTest::newRow("no marker") << QString() << "de";
        QTest::newRow("marker en") << "en" << "en";
    }
    void startWindowTakesDesktopLanguage()
    {
        QFETCH(QString, marker);
        QFETCH(QString, code);
        QTemporaryDir dir;
        if (!marker.isEmpty())
            QVERIFY(gwtest::writeFile(dir.filePath(marker), ""));
        QDir::setCurrent(dir.path());
        const QByteArray allBefore = qgetenv("LC_ALL");
        qputenv("LC_ALL", "de_DE.UTF-8");
        Tstart window;
        qputenv("LC_ALL", allBefore);
        QCOMPARE(window.spr->text(), code);
        QCOMPARE(dialogs::applicationTitle().startsWith(QLatin1String("Glyphwerk")), code == QLatin1String("de"));
    }

    void startWindowLayout()
    {
        Tstart window;
        QCOMPARE(window.size(), QSize(269, 170));
        QCOMPARE(window.Image1->geometry(), QRect(269 / 2 - 67, 170 / 2 - 34, 134, 68));
        QCOMPARE(window.Image2->pos(), window.Image1->pos());
        QCOMPARE(window.r1->geometry(), QRect(0, 0, 269, 2));
        QCOMPARE(window.r2->geometry(), QRect(0, 168, 269, 2));
        QCOMPARE(window.r3->geometry(), QRect(0, 0, 2, 170));
        QCOMPARE(window.r4->geometry(), QRect(267, 0, 2, 170));
        QCOMPARE(window.Label1->y(), 149);
        QVERIFY(qAbs(window.Label1->x() + window.Label1->width() / 2 - 269 / 2) <= 1);
        QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window.Timer1->interval(), 90);
        QVERIFY(window.Timer1->isActive());
    }

    void tickSequence()
    {
        app::createWindows();
        // The real timer stays active (the sequence stops it) but its ticks are held back: only
        // the test's own ticks count.
        const QSignalBlocker realTicks(start->Timer1);
        start->show();
        QVERIFY(!prog->isVisible());
        const QString home = start->Label1->text();
        for (int tick = 1; tick <= 36; ++tick) {
            start->Timer1Timer();
            QCOMPARE(start->start_ticks, tick);
            QCOMPARE(start->Label1->text(), tick < 18 ? home : QStringLiteral("velmont-media.com/donate"));
            QCOMPARE(prog->isVisible(), tick >= 25);
            QCOMPARE(start->isVisible(), tick < 35);
            QCOMPARE(start->Timer1->isActive(), tick < 36);
            QVERIFY(qAbs(start->Label1->x() + start->Label1->width() / 2 - 269 / 2) <= 1);
        }
    }

    void clickEndsGreeting_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("ends");
        QTest::newRow("background") << "start" << true;
        QTest::newRow("logo") << "Image2" << true;
        QTest::newRow("label") << "Label1" << true;
        QTest::newRow("frame line") << "r1" << false;
    }
    void clickEndsGreeting()
    {
        QFETCH(QString, target);
        QFETCH(bool, ends);
        app::createWindows();
        const QSignalBlocker realTicks(start->Timer1);
        start->show();
        for (int i = 0; i < 5; ++i)
            start->Timer1Timer();
        QWidget *w = target == QLatin1String("start") ? start : start->findChild<QWidget *>(target);
        QVERIFY(w);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(prog->isVisible(), ends);
        QCOMPARE(start->isVisible(), !ends);
        QCOMPARE(start->Timer1->isActive(), !ends);
        if (ends) {
            // Before tick 18: the donation address never shows.
            QTest::qWait(300);
            QCOMPARE(start->Label1->text(), QStringLiteral("velmont-media.com"));
        }
    }

    void closingEndsTheRun_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("main window closed during the overlap") << "close";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("menu item") << "m12";
        QTest::newRow("start window closed while hidden") << "start";
    }
    void closingEndsTheRun()
    {
        QFETCH(QString, how);
        app::createWindows();
        QSignalSpy ended(start, &Tstart::runEnded);
        start->Timer1->stop();
        start->show();
        for (int i = 0; i < 30; ++i)
            start->Timer1Timer();
        QVERIFY(prog->isVisible() && start->isVisible());
        if (how == QLatin1String("close")) {
            prog->close();
        } else if (how == QLatin1String("esc")) {
            prog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(prog));
            QTest::keyClick(prog->ListBox1, Qt::Key_Escape);
        } else if (how == QLatin1String("m12")) {
            prog->m12->trigger();
        } else {
            start->hide();
            start->close();
        }
        QCOMPARE(ended.count(), 1);
    }

    void unhandledFailureIsReportedOnce()
    {
        FailingHandler handler;
        QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Error);
        QCOMPARE(dialogs::shown().first().text, QStringLiteral("Something went wrong"));
        // The program goes on delivering events.
        bool delivered = false;
        QTimer::singleShot(0, [&] { delivered = true; });
        QTRY_VERIFY(delivered);
    }
};

GW_TEST_MAIN_APP(TestStartup)
#include "tst_startup.moc"
