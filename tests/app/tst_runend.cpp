// Tests of how a window run ends when it is asked to from outside: a termination request or a
// hang-up ends it as closing its window does, and a run removes the sample box folders that
// killed runs left behind.

#include "typeface/SampleBoxFace.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace {

/// Whether the process `pid` has a handler of its own for `signal`.
bool handles(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

} // namespace

class TestRunEnd : public QObject
{
    Q_OBJECT

private slots:
    void signalEndsTheRunCleanly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("termination request") << int(SIGTERM);
        QTest::newRow("hang-up") << int(SIGHUP);
    }

    void signalEndsTheRunCleanly()
    {
        QFETCH(int, signal);
        QTemporaryDir runtime;
        QTemporaryDir config;
        QVERIFY(runtime.isValid() && config.isValid());
        // The folder of a run that was killed: its process is gone, its lock free.
        const pid_t ended = ::fork();
        if (ended == 0)
            ::_exit(0);
        ::waitpid(ended, nullptr, 0);
        const QString left = runtime.filePath(QString::fromUtf16(platform::kFaceFolderPrefix)
                                              + QStringLiteral("%1-q1W2e3").arg(ended));
        QVERIFY(QDir().mkdir(left));
        for (const char *name : {".lock", "face-1.ttf"}) {
            QFile file(left + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(GW_PROGRAM), {});
        QVERIFY(program.waitForStarted());
        // The run takes signals once its windows are up; the folder left went before.
        QTRY_VERIFY_WITH_TIMEOUT(handles(program.processId(), signal), 60000);
        QVERIFY(!QFileInfo::exists(left));
        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

GW_TEST_MAIN_CORE(TestRunEnd)

#include "tst_runend.moc"
