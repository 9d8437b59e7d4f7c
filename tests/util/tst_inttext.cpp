#include "support/TestMain.h"
#include "util/Errors.h"
#include "util/IntText.h"

class TestIntText : public QObject
{
    Q_OBJECT
private slots:
    void conversion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("negative") << "-5" << true << -5;
        QTest::newRow("plus") << "+17" << true << 17;
        QTest::newRow("leading blanks") << "  12" << true << 12;
        QTest::newRow("leading zeros") << "0007" << true << 7;
        QTest::newRow("int max") << "2147483647" << true << 2147483647;
        QTest::newRow("int min") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("past int max") << "2147483648" << false << 0;
        QTest::newRow("past int min") << "-2147483649" << false << 0;
        QTest::newRow("many digits") << "99999999999999999999999" << false << 0;
        QTest::newRow("trailing letter") << "12a" << false << 0;
        QTest::newRow("trailing blank") << "12 " << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blanks") << "   " << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("blank after sign") << "- 5" << false << 0;
        QTest::newRow("hex") << "$1F" << false << 0;
        QTest::newRow("decimal point") << "1.5" << false << 0;
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << false << 0;
    }
    void conversion()
    {
        QFETCH(QString, text);
        QFETCH(bool, whole);
        QFETCH(int, value);
        QCOMPARE(util::IsInt(text), whole);
        if (whole) {
            QCOMPARE(util::StrToInt(text), value);
            return;
        }
        try {
            util::StrToInt(text);
            QFAIL("no error for a text that is no whole number");
        } catch (const util::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
};

GW_TEST_MAIN_CORE(TestIntText)
#include "tst_inttext.moc"
