// Prints through a real CUPS queue backed by cups-pdf. Only where GW_CUPS_PDF_DIR names the
// queue's output folder (.ci/run sets up such a queue as the default printer); the test command
// never changes the printer setup of a user's machine.
#include "app/Tprog.h"
#include "app/Windows.h"
#include "platform/Printer.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QStringList pdfsIn(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

// Waits until the print system has no pending job and a new PDF stands in `dir`.
QString waitForNewPdf(const QString &dir, const QStringList &before)
{
    for (int i = 0; i < 600; ++i) {
        const bool idle = gwtest::toolOutput(QStringLiteral("lpstat"), {QStringLiteral("-o")}).trimmed().isEmpty();
        QStringList now = pdfsIn(dir);
        for (const QString &f : before)
            now.removeAll(f);
        if (idle && !now.isEmpty())
            return QDir(dir).filePath(now.first());
        QTest::qWait(100);
    }
    return {};
}

} // namespace

class TestCupsPrint : public QObject
{
    Q_OBJECT
private:
    QString m_dir;
    QTemporaryDir m_home;
    QString m_queue; // the default printer

    // Prints the list on `target`; whether the queue wrote its PDF.
    bool printOn(const QString &target)
    {
        if (prog->cbdrucker->findText(target) < 0)
            prog->cbdrucker->addItem(target);
        prog->cbdrucker->setCurrentIndex(prog->cbdrucker->findText(target));
        const QStringList before = pdfsIn(m_dir);
        QTest::mouseClick(prog->Button1, Qt::LeftButton);
        return !waitForNewPdf(m_dir, before).isEmpty();
    }

private slots:
    void initTestCase()
    {
        m_dir = qEnvironmentVariable("GW_CUPS_PDF_DIR");
        if (m_dir.isEmpty())
            QSKIP("no cups-pdf queue set up: .ci/run makes one the default printer and sets GW_CUPS_PDF_DIR; "
                  "the test command leaves a user's printers alone");
        // A second printer name for the queue, from a home folder of the test's own.
        // Set before the print system is first asked: it reads the home folder once.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral(".cups")));
        QFile options(m_home.filePath(QStringLiteral(".cups/lpoptions")));
        QVERIFY(options.open(QIODevice::WriteOnly));
        m_queue = QPrinterInfo::defaultPrinterName();
        QVERIFY(!m_queue.isEmpty());
        options.write("Dest " + m_queue.toLocal8Bit() + "/gwtest\n");
        options.close();
    }

    void init()
    {
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
        prog->show();
    }
    void cleanup() { app::destroyWindows(); }

    void printsOnTheQueue_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("standard printer") << "Standard Printer";
        QTest::newRow("unknown name: default printer") << "No Such Printer";
    }
    void printsOnTheQueue()
    {
        QFETCH(QString, target);
        QVERIFY(prog->cbdrucker->count() > 7);
        prog->ListBox1->clear();
        prog->ListBox1->addItems({QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")});
        prog->cd1->setEditText(QStringLiteral("Sample line"));
        if (prog->cbdrucker->findText(target) < 0)
            prog->cbdrucker->addItem(target);
        prog->cbdrucker->setCurrentIndex(prog->cbdrucker->findText(target));
        const QStringList before = pdfsIn(m_dir);
        QTest::mouseClick(prog->Button1, Qt::LeftButton);
        QVERIFY2(dialogs::shown().isEmpty(), dialogs::shown().isEmpty() ? "" : qPrintable(dialogs::shown().first().text));
        const QString pdf = waitForNewPdf(m_dir, before);
        QVERIFY2(!pdf.isEmpty(), "no PDF from the queue");
        const QString text = gwtest::toolOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("1\\s+--\\s+DejaVu Sans\\s+--\\s+Sample line"))),
                 qPrintable(text));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("2\\s+--\\s+DejaVu Serif\\s+--\\s+Sample line"))));
    }

    // A printer chosen by name or in the print dialog prints that job; "Standard Printer" prints
    // the next one on the default printer again. The other printer is an instance of the queue,
    // known only to this test's home folder.
    void standardPrinterIsTheDefaultAgain_data()
    {
        QTest::addColumn<bool>("byDialog");
        QTest::newRow("named printer") << false;
        QTest::newRow("print dialog") << true;
    }
    void standardPrinterIsTheDefaultAgain()
    {
        QFETCH(bool, byDialog);
        auto &printer = platform::Printer::instance();
        const QString other = m_queue + QStringLiteral("/gwtest");
        QVERIFY2(printer.printerIndex(other) >= 0, qPrintable(printer.printers().join(QLatin1Char(','))));
        prog->ListBox1->clear();
        prog->ListBox1->addItem(QStringLiteral("DejaVu Sans"));
        if (byDialog) {
            dialogs::PrintChoice choice;
            choice.accepted = true;
            choice.printer = other.toUpper();
            dialogs::setNextAnswer(QVariant::fromValue(choice));
            QVERIFY(printOn(QStringLiteral("Printer Dialog with Options")));
        } else {
            QVERIFY(printOn(other));
        }
        QCOMPARE(printer.lastJob().printer, other);
        QVERIFY(printOn(QStringLiteral("Standard Printer")));
        QCOMPARE(printer.lastJob().printer, m_queue);
        QVERIFY(dialogs::shown().size() == (byDialog ? 1 : 0));
    }
};

GW_TEST_MAIN_APP(TestCupsPrint)
#include "tst_cupsprint.moc"
