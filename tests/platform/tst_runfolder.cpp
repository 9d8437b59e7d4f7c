// Tests of the folders a run keeps for itself: private, gone with the run, and removed by a later
// run when their own run died without removing them, never through a link, never another
// run's that lives.

#include "platform/RunFolder.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::RunFolder;

namespace {

const QString kPrefix = QStringLiteral("gw-test-run-");

bool writeFile(const QString &path, const QByteArray &bytes = "x")
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// The id of a process that has ended and been reaped.
pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

} // namespace

class TestRunFolder : public QObject
{
    Q_OBJECT

private slots:
    // The folder is the owner's alone, named after the process, and goes with its files.
    void folderGoesWithTheRun()
    {
        QTemporaryDir parent;
        QVERIFY(parent.isValid());
        QString path;
        {
            const RunFolder folder(parent.path(), kPrefix);
            QVERIFY(folder.isValid());
            path = folder.path();
            QVERIFY(QFileInfo(path).fileName().startsWith(kPrefix + QString::number(::getpid()) + QLatin1Char('-')));
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
            QCOMPARE(st.st_mode & 0777, 0700u);
            QVERIFY(writeFile(folder.filePath(QStringLiteral("face-1.ttf"))));
            // A run alive keeps its folder whatever else its name and lock say.
            QCOMPARE(platform::removeAbandonedRunFolders(parent.path(), kPrefix), 0);
            QVERIFY(QFileInfo::exists(path));
        }
        QVERIFY(!QFileInfo::exists(path));
    }

    void runtimeFolderWhenSet()
    {
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        QCOMPARE(platform::runFolderParent(), runtime.path());
        qputenv("XDG_RUNTIME_DIR", "relative/path");
        QCOMPARE(platform::runFolderParent(), QDir::tempPath());
        qunsetenv("XDG_RUNTIME_DIR");
        QCOMPARE(platform::runFolderParent(), QDir::tempPath());
        if (!before.isNull())
            qputenv("XDG_RUNTIME_DIR", before);
    }

    void abandonedFoldersGo_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("removed");
        QTest::newRow("lock that no process holds") << "free lock" << true;
        QTest::newRow("lock held") << "held lock" << false;
        QTest::newRow("no lock, process ended") << "ended" << true;
        QTest::newRow("no lock, process alive") << "alive" << false;
        QTest::newRow("link to a folder") << "link" << false;
        QTest::newRow("link in an abandoned folder") << "link inside" << true;
        QTest::newRow("another name") << "other name" << false;
        QTest::newRow("lock that is a folder") << "folder lock" << false;
    }

    // Folders of the naming that their runs left behind go, with everything right inside them;
    // what a link leads to stays, and so do folders whose run may still be alive.
    void abandonedFoldersGo()
    {
        QFETCH(QString, kind);
        QFETCH(bool, removed);
        QTemporaryDir parent;
        QTemporaryDir outside;
        QVERIFY(parent.isValid() && outside.isValid());
        const QString victim = outside.filePath(QStringLiteral("keep.ttf"));
        QVERIFY(writeFile(victim));

        pid_t pid = ::getpid();
        if (kind == QLatin1String("ended"))
            pid = endedProcess();
        else if (kind == QLatin1String("alive"))
            pid = ::getppid();
        const QString name = kind == QLatin1String("other name") ? QStringLiteral("gw-test-other-%1-abcdef").arg(pid)
                                                                  : kPrefix + QStringLiteral("%1-aB3dEf").arg(pid);
        const QString path = parent.filePath(name);
        int held = -1;
        if (kind == QLatin1String("link")) {
            QCOMPARE(::symlink(QFile::encodeName(outside.path()).constData(), QFile::encodeName(path).constData()), 0);
            QVERIFY(writeFile(outside.filePath(QStringLiteral(".lock"))));
        } else {
            QVERIFY(QDir().mkdir(path));
            QVERIFY(writeFile(path + QStringLiteral("/face-1.ttf")));
            const QString lock = path + QStringLiteral("/.lock");
            if (kind == QLatin1String("folder lock")) {
                QVERIFY(QDir().mkdir(lock));
            } else if (kind != QLatin1String("ended") && kind != QLatin1String("alive")) {
                QVERIFY(writeFile(lock, {}));
            }
            if (kind == QLatin1String("held lock")) {
                held = ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_CLOEXEC);
                QCOMPARE(::flock(held, LOCK_EX), 0);
            }
            if (kind == QLatin1String("link inside"))
                QCOMPARE(::symlink(QFile::encodeName(victim).constData(),
                                   QFile::encodeName(path + QStringLiteral("/face-2.ttf")).constData()),
                         0);
        }

        QCOMPARE(platform::removeAbandonedRunFolders(parent.path(), kPrefix), removed ? 1 : 0);
        if (held >= 0)
            ::close(held);
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &st) == 0, !removed);
        QVERIFY(QFileInfo::exists(victim));
        if (kind == QLatin1String("link"))
            QVERIFY(QFileInfo::exists(outside.filePath(QStringLiteral(".lock"))));
    }
};

GW_TEST_MAIN_CORE(TestRunFolder)

#include "tst_runfolder.moc"
