#include "platform/Dialogs.h"
#include "support/TestMain.h"
#include "platform/BrowseForFolder.h"

#include <QDir>

class TestBrowseForFolder : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dialogs::setNonInteractive(true);
        dialogs::clearShown();
    }

    void answers_data()
    {
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("cancel keeps empty path") << QVariant(QString()) << QString() << QString();
        QTest::newRow("cancel keeps old path") << QVariant(QString()) << "/old" << "/old";
        QTest::newRow("chosen folder") << QVariant(QStringLiteral("/usr/share/fonts")) << "/old"
                                       << "/usr/share/fonts";
        QTest::newRow("trailing slash dropped") << QVariant(QStringLiteral("/usr/share/fonts/")) << QString()
                                                << "/usr/share/fonts";
        QTest::newRow("root stays root") << QVariant(QStringLiteral("/")) << QString() << "/";
    }
    void answers()
    {
        QFETCH(QVariant, answer);
        QFETCH(QString, before);
        QFETCH(QString, after);
        dialogs::setNextAnswer(answer);
        QString path = before;
        BrowseForFolder(0, QString(), path);
        QCOMPARE(path, after);
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Folder);
        // The dialog opens in the user's own files.
        QCOMPARE(dialogs::shown().first().text, QDir::homePath());
    }
};

GW_TEST_MAIN(TestBrowseForFolder)
#include "tst_browseforfolder.moc"
