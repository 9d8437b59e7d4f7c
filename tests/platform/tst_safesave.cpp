// The one safe save of every file target, where a process is ended in the middle of it: a save
// ended by SIGKILL leaves no part of its file where files can be made without a name, and
// elsewhere a hidden one that the next save into the folder removes, unless its writer still
// lives or it is not the user's file of the saves' own name.

#include "platform/SafeSave.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A child process in the middle of a save to `path`: it has written part of the file and waits,
// inside the save, until it is ended. Returns its pid once it waits there.
pid_t stalledSave(const QString &path, bool nameless)
{
    int ready[2];
    int hold[2];
    if (::pipe(ready) != 0 || ::pipe(hold) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        ::close(hold[1]);
        platform::setNamelessFilesDisabled(!nameless);
        try {
            platform::saveThrough(path, [&](QFile &file) {
                file.write(QByteArray(100000, 'n'));
                file.flush();
                const char byte = 1;
                (void)!::write(ready[1], &byte, 1);
                char wait;
                (void)!::read(hold[0], &wait, 1);
            });
        } catch (...) {
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(hold[0]);
    char byte = 0;
    const bool waiting = child > 0 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    // The child keeps its end of `hold`: it waits until it is killed.
    ::close(hold[1]);
    return waiting ? child : -1;
}

void kill(pid_t child)
{
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestSafeSave : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { platform::setNamelessFilesDisabled(false); }

    // A save killed midway: the old file as it was, and no part of the new one once the next
    // save into the folder is done (with a nameless file there is none even before).
    void killedSaveLeavesNothing_data()
    {
        QTest::addColumn<bool>("nameless");
        QTest::newRow("nameless file") << true;
        QTest::newRow("named file (no O_TMPFILE)") << false;
    }
    void killedSaveLeavesNothing()
    {
        QFETCH(bool, nameless);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.pdf"));
        QVERIFY(gwtest::writeFile(path, "old"));
        const pid_t child = stalledSave(path, nameless);
        QVERIFY(child > 0);
        kill(child);
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(entries(dir.path()).size(), nameless ? 1 : 2);
        platform::setNamelessFilesDisabled(!nameless);
        platform::saveBytes("other", dir.filePath(QStringLiteral("other.pdf")));
        QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("old.pdf"), QStringLiteral("other.pdf")}));
    }

    // What the next save leaves of files of the saves' own name: only the user's regular files
    // whose writer is gone are removed.
    void leftoversThatStay_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("removed");
        QTest::newRow("writer gone") << "gone" << true;
        QTest::newRow("writer still writing") << "writing" << false;
        QTest::newRow("another user's file") << "other user" << false;
        QTest::newRow("link") << "link" << false;
        QTest::newRow("other name") << "other name" << false;
    }
    void leftoversThatStay()
    {
        QFETCH(QString, kind);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString leftover = dir.filePath(QStringLiteral(".glyphworks-0123456789ab.part"));
        pid_t writer = -1;
        if (kind == QLatin1String("writing")) {
            writer = stalledSave(dir.filePath(QStringLiteral("sheet.bmp")), false);
            QVERIFY(writer > 0);
        } else if (kind == QLatin1String("link")) {
            QVERIFY(gwtest::writeFile(dir.filePath(QStringLiteral("kept")), "kept"));
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("kept")), leftover));
        } else {
            const QString name = kind == QLatin1String("other name") ? dir.filePath(QStringLiteral(".glyphworks-x.part"))
                                                                     : leftover;
            QVERIFY(gwtest::writeFile(name, "part"));
            if (kind == QLatin1String("other user"))
                QCOMPARE(::chown(QFile::encodeName(name).constData(), 65534, 65534), 0);
        }
        const QStringList before = entries(dir.path());
        platform::saveBytes("new", dir.filePath(QStringLiteral("new.bmp")));
        QStringList after = entries(dir.path());
        QVERIFY(after.removeOne(QStringLiteral("new.bmp")));
        if (writer > 0)
            kill(writer);
        QCOMPARE(after.size(), before.size() - (removed ? 1 : 0));
        QVERIFY(platform::isPartialFileName(".glyphworks-0123456789ab.part"));
        QVERIFY(!platform::isPartialFileName(".glyphworks-0123456789AB.part"));
    }
};

GW_TEST_MAIN_CORE(TestSafeSave)
#include "tst_safesave.moc"
