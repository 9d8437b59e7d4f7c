// An image run with a recording stand-in for the program's windows: the run needs none of them.

#include "output/ImageSheet.h"
#include "output/RunWindows.h"
#include "platform/Dialogs.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Records what the run asked of its windows; asks to stop once its log has `stopAfter` entries.
class RecordedWindows : public output::RunWindows
{
public:
    QStringList log;
    qsizetype stopAfter = -1;
    bool exit = false;
    QString name = QStringLiteral("Font Image");

    void begin(qsizetype lines) override { log << QStringLiteral("begin %1").arg(lines); }
    void lineDone(qsizetype index) override { log << QStringLiteral("line %1").arg(index); }
    bool abortRequested() const override { return stopAfter >= 0 && log.size() >= stopAfter; }
    bool exitRequested() const override { return exit && abortRequested(); }
    // The windows are back before the save dialog opens.
    void end() override { log << QStringLiteral("end, dialogs %1").arg(dialogs::shown().size()); }
    QString lastFileName() const override { return name; }
    void setLastFileName(const QString &chosen) override { name = chosen; }
};

class Lines : public output::SheetSource
{
public:
    qsizetype count() const override { return 3; }
    output::SheetLine line(qsizetype index) const override
    {
        output::SheetLine line;
        line.label = QStringLiteral("%1 -- DejaVu Sans -- ").arg(index + 1);
        line.rest = QStringLiteral("Sample");
        line.fontName = QStringLiteral("DejaVu Sans");
        return line;
    }
};

} // namespace

class TestImageRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { dialogs::setNonInteractive(true); }

    void run_data()
    {
        QTest::addColumn<int>("stopAfter");
        QTest::addColumn<bool>("exit");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("saved");
        const QString begin = QStringLiteral("begin 3");
        const QString end = QStringLiteral("end, dialogs 0");
        QTest::newRow("whole") << -1 << false
                               << QStringList{begin, QStringLiteral("line 0"), QStringLiteral("line 1"),
                                              QStringLiteral("line 2"), end}
                               << true;
        // The abort button: the lines set so far are offered for saving.
        QTest::newRow("aborted") << 2 << false << QStringList{begin, QStringLiteral("line 0"), end} << true;
        // The program's end: nothing is offered.
        QTest::newRow("program ends") << 2 << true << QStringList{begin, QStringLiteral("line 0"), end} << false;
    }
    void run()
    {
        QFETCH(int, stopAfter);
        QFETCH(bool, exit);
        QFETCH(QStringList, log);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sheet.bmp"));
        dialogs::clearShown();
        dialogs::setNextAnswer(path);
        RecordedWindows windows;
        windows.stopAfter = stopAfter;
        windows.exit = exit;

        output::imageSheet(QStringLiteral("BMP-Image"), output::SheetNumbers(), output::RunStyle(), Lines(), windows);

        QCOMPARE(windows.log, log);
        QCOMPARE(dialogs::shown().size(), saved ? 1 : 0);
        QCOMPARE(windows.name, saved ? path : QStringLiteral("Font Image"));
        if (saved) {
            QCOMPARE(dialogs::shown().constFirst().proposal, QStringLiteral("Font Image"));
            QVERIFY2(gwtest::toolOutput(QStringLiteral("identify"), {path}).contains(QLatin1String(" BMP3 ")),
                     qPrintable(path));
        }
        dialogs::setNextAnswer(QVariant());
    }
};

GW_TEST_MAIN(TestImageRun)
#include "tst_imagerun.moc"
