// An image run with a recording stand-in for the program's windows: the run needs none of them.

#include "output/ImageSheet.h"
#include "output/LineSetter.h"
#include "output/RunWindows.h"
#include "platform/Dialogs.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

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

// Lines of DejaVu Sans whose samples are "Sample" repeated as often as `repeats` says.
class RepeatedLines : public output::SheetSource
{
public:
    explicit RepeatedLines(QList<int> repeats)
        : m_repeats(std::move(repeats))
    {
    }
    qsizetype count() const override { return m_repeats.size(); }
    output::SheetLine line(qsizetype index) const override
    {
        output::SheetLine line;
        line.label = QStringLiteral("%1 -- ").arg(index + 1);
        line.rest = QStringLiteral("Sample ").repeated(m_repeats.at(index));
        line.fontName = QStringLiteral("DejaVu Sans");
        return line;
    }

private:
    QList<int> m_repeats;
};

// The number of bands of rows with ink in `image`: the lines on it.
int inkBands(const QImage &image)
{
    int bands = 0;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = qGray(image.pixel(x, y)) < 160;
        bands += ink && !inBand;
        inBand = ink;
    }
    return bands;
}

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

        output::imageSheet(output::ImageFormat::Bmp, output::SheetNumbers(), output::RunStyle(), Lines(), windows);

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

    // Parts of a split run hold as many lines as fit within the image limits, never more than
    // the lines per part: wide lines give more, smaller parts. A line larger than any image is
    // cut off at its part's edges, and the run says so once it is over.
    void partsHoldWhatFits_data()
    {
        QTest::addColumn<QList<int>>("repeats");
        QTest::addColumn<int>("wideLinesPerPart"); // 0: the limit is a width the wide line exceeds
        QTest::addColumn<int>("clipped");
        QList<int> wideAfterTen(10, 1);
        wideAfterTen += QList<int>(20, 8);
        QTest::newRow("wide lines, three a part") << wideAfterTen << 3 << 0;
        QList<int> oneTooWide(12, 1);
        oneTooWide[8] = 40;
        QTest::newRow("one line wider than an image") << oneTooWide << 0 << 1;
    }
    void partsHoldWhatFits()
    {
        QFETCH(QList<int>, repeats);
        QFETCH(int, wideLinesPerPart);
        QFETCH(int, clipped);
        const RepeatedLines sheet(repeats);
        const output::SheetNumbers numbers;
        QImage device(1, 1, QImage::Format_RGB32);
        const int dpm = int(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 0.0254));
        device.setDotsPerMeterX(dpm);
        device.setDotsPerMeterY(dpm);
        const output::LineSetter setter(&device, numbers.size, false, false);
        const output::LineMetrics narrow = setter.measure(sheet.line(0));
        const qsizetype widest = std::max_element(repeats.begin(), repeats.end()) - repeats.begin();
        const output::LineMetrics wide = setter.measure(sheet.line(widest));
        // The height of a part of c lines, as it is saved.
        const auto partHeight = [&](int c) { return 20 + c * (narrow.height + numbers.spacing) + narrow.height + 40; };
        output::ImageLimits limits;
        if (wideLinesPerPart > 0)
            limits.maxPixels = qint64(wide.width + 40) * partHeight(wideLinesPerPart);
        else
            limits.maxWidth = narrow.width + 100;
        output::setImageLimits(limits);
        const auto restore = qScopeGuard([] { output::setImageLimits(output::ImageLimits()); });

        QTemporaryDir dir;
        dialogs::clearShown();
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        dialogs::setNextAnswer(dir.filePath(QStringLiteral("part.bmp")));
        RecordedWindows windows;
        output::imageSheet(output::ImageFormat::Bmp, numbers, output::RunStyle(), sheet, windows);

        QList expected{dialogs::DialogKind::ErrorQuestion, dialogs::DialogKind::Save};
        if (clipped > 0)
            expected << dialogs::DialogKind::Information;
        QCOMPARE(dialogs::shownKinds(), expected);
        if (clipped > 0)
            QCOMPARE(dialogs::shown().last().text, output::clippedLinesText(clipped, false));
        // The split run set every line, in order.
        const qsizetype split = windows.log.lastIndexOf(QStringLiteral("begin %1").arg(repeats.size()));
        QStringList lines;
        for (int i = 0; i < repeats.size(); ++i)
            lines << QStringLiteral("line %1").arg(i);
        QCOMPARE(windows.log.mid(split + 1, lines.size()), lines);

        // Every part within the limits; together they hold every line.
        const int f = int(windows.log.indexOf(QStringLiteral("end, dialogs 0"))) - 1;
        const int n = output::linesPerPart(f);
        int parts = 0;
        int total = 0;
        int atTheLimit = 0;
        for (;; ++parts) {
            const QImage part(dir.filePath(QStringLiteral("part%1.bmp").arg(parts)));
            if (part.isNull())
                break;
            QVERIFY2(output::withinLimits(limits, part.width(), part.height()), qPrintable(QString::number(parts)));
            const int bands = inkBands(part);
            QVERIFY(bands >= 1 && bands <= n);
            total += bands;
            atTheLimit += part.width() == limits.maxWidth;
        }
        QCOMPARE(total, repeats.size());
        QVERIFY2(parts > (repeats.size() + n - 1) / n || clipped > 0, qPrintable(QString::number(parts)));
        QCOMPARE(atTheLimit, clipped);
        dialogs::setNextAnswer(QVariant());
    }
};

GW_TEST_MAIN(TestImageRun)
#include "tst_imagerun.moc"
