#include "platform/Dialogs.h"
#include "support/TestMain.h"

using dialogs::Answer;
using dialogs::MessageKind;

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dialogs::setNonInteractive(true);
        dialogs::clearShown();
    }

    void defaultsWithoutQueuedAnswer_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("expected");
        QTest::addColumn<dialogs::DialogKind>("recorded");
        QTest::newRow("information box") << int(MessageKind::Information) << int(Answer::Ok) << dialogs::DialogKind::Information;
        QTest::newRow("error box") << int(MessageKind::Error) << int(Answer::Ok) << dialogs::DialogKind::Error;
        QTest::newRow("confirmation box") << int(MessageKind::Confirmation) << int(Answer::Cancel) << dialogs::DialogKind::Confirmation;
    }
    void defaultsWithoutQueuedAnswer()
    {
        QFETCH(int, kind);
        QFETCH(int, expected);
        QFETCH(dialogs::DialogKind, recorded);
        QCOMPARE(int(dialogs::message(MessageKind(kind), QStringLiteral("Text\r\nsecond line"))), expected);
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, recorded);
        QCOMPARE(dialogs::shown().first().text, QStringLiteral("Text\r\nsecond line"));
    }

    void queuedAnswersAreUsedInOrder()
    {
        dialogs::setNextAnswer(QVariant::fromValue(Answer::Ok));
        dialogs::setNextAnswer(QStringLiteral("/tmp"));
        dialogs::setNextAnswer(QVariant::fromValue(Answer::Cancel));
        QCOMPARE(dialogs::message(MessageKind::Confirmation, QStringLiteral("first")), Answer::Ok);
        QCOMPARE(dialogs::chooseFolder(QString(), QStringLiteral("/home")), QStringLiteral("/tmp"));
        QCOMPARE(dialogs::message(MessageKind::Confirmation, QStringLiteral("third")), Answer::Cancel);
        // The queue is spent: the default answer again.
        QCOMPARE(dialogs::chooseFolder(QString(), QStringLiteral("/home")), QString());
        QCOMPARE(dialogs::shown().size(), 4);
        QCOMPARE(dialogs::shown().at(1).kind, dialogs::DialogKind::Folder);
        QCOMPARE(dialogs::shown().at(1).answer.toString(), QStringLiteral("/tmp"));
    }

    void titleDefaultsToApplicationTitle()
    {
        dialogs::setApplicationTitle(QStringLiteral("Glyphwerk"));
        dialogs::message(MessageKind::Error, QStringLiteral("x"));
        dialogs::message(MessageKind::Error, QStringLiteral("y"), QStringLiteral("Own"));
        QCOMPARE(dialogs::shown().at(0).title, QStringLiteral("Glyphwerk"));
        QCOMPARE(dialogs::shown().at(1).title, QStringLiteral("Own"));
    }

    void clearShownDropsQueuedAnswers()
    {
        dialogs::setNextAnswer(QVariant::fromValue(Answer::Ok));
        dialogs::clearShown();
        QCOMPARE(dialogs::message(MessageKind::Confirmation, QStringLiteral("q")), Answer::Cancel);
    }
};

GW_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
