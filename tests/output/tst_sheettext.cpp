#include "output/PageFlow.h"
#include "output/SheetText.h"
#include "support/TestMain.h"

using output::LabelSwitches;

namespace {
LabelSwitches switches(const QString &on)
{
    LabelSwitches s;
    s.numbering = on.contains(QLatin1Char('n'));
    s.fontName = on.contains(QLatin1Char('f'));
    s.directory = on.contains(QLatin1Char('d'));
    s.fileName = on.contains(QLatin1Char('a'));
    return s;
}
const QString kSep = QStringLiteral("  --  ");
const QString kFile = QStringLiteral("DejaVu Sans | /usr/share/fonts/A.ttf");
} // namespace

class TestSheetText : public QObject
{
    Q_OBJECT
private slots:
    void composition_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name"); // the font's name; a typeface's text is its name
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("on"); // n: number, f: font name, d: directory, a: file name
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("sample");
        const QString courier = QStringLiteral("Courier New");
        const QString dejavu = QStringLiteral("DejaVu Sans");
        // Installed fonts never get a file label, whatever the switches.
        QTest::newRow("installed, all on") << courier << courier << 4 << "nfda" << "5  --  Courier New  --  " << "S";
        QTest::newRow("installed, number only") << courier << courier << 0 << "n" << "1  --  " << "S";
        QTest::newRow("installed, name only") << courier << courier << 0 << "f" << "Courier New  --  " << "S";
        QTest::newRow("installed, all off") << courier << courier << 0 << "" << "" << "S";
        QTest::newRow("file, all on") << kFile << dejavu << 9 << "nfda" << "10  --  DejaVu Sans  --  "
                                      << "/usr/share/fonts/A.ttf  --  S";
        QTest::newRow("file, directory only") << kFile << dejavu << 0 << "d" << "" << "/usr/share/fonts/  --  S";
        QTest::newRow("file, file name only") << kFile << dejavu << 0 << "a" << "" << "A.ttf  --  S";
        QTest::newRow("file, both off: no separator")
            << kFile << dejavu << 0 << "nf" << "1  --  DejaVu Sans  --  " << "S";
        QTest::newRow("file without name") << QStringLiteral(" | /f/x.ttf") << "" << 0 << "fd" << "  --  "
                                           << "/f/  --  S";
        QTest::newRow("file in the root folder") << QStringLiteral("X | /x.ttf") << "X" << 0 << "d" << "" << "/  --  S";
        QTest::newRow("file name outside UTF-8")
            << QStringLiteral("A | /f/caf") + QChar(0xDCE9) + QStringLiteral(".ttf") << "A" << 0 << "da" << ""
            << QString::fromUtf16(u"/f/caf\u00E9.ttf  --  S");
        // The name is the font's, the folder and file the listed file's, whatever the name holds.
        QTest::newRow("name holding the separator")
            << QStringLiteral("Pipe | /tmp/elsewhere.ttf | /f/x.ttf") << "Pipe | /tmp/elsewhere.ttf" << 0 << "fd"
            << "Pipe | /tmp/elsewhere.ttf  --  " << "/f/  --  S";
        QTest::newRow("bar without separator")
            << QStringLiteral("A|B/c") << "A|B/c" << 0 << "fa" << "A|B/c  --  " << "c  --  S";
    }
    void composition()
    {
        QFETCH(QString, entry);
        QFETCH(int, index);
        QFETCH(QString, on);
        QFETCH(QString, label);
        QFETCH(QString, sample);
        QFETCH(QString, name);
        // A row of a font file carries the name and path its text was made of.
        const fonts::FontListEntry record = name == entry ? fonts::FontListEntry::typeface(entry)
                                                          : fonts::FontListEntry::file(name, entry.mid(name.size() + 3));
        QCOMPARE(record.text, entry);
        QCOMPARE(output::labelPart(index, record, switches(on), kSep), label);
        QCOMPARE(output::samplePart(record, switches(on), kSep, QStringLiteral("S")), sample);
    }

    void flow_data()
    {
        // spacing 5, top 250, bottom 550, page height 1000: threshold 450.
        QTest::addColumn<QList<int>>("heights");
        QTest::addColumn<bool>("pageNumbers");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expected"); // per line: page:y[d][+] (d drawn, + new page after)
        // The second line ends exactly at the threshold (450): no break yet; the third line starts
        // there, is drawn on the page and ends below it.
        QTest::newRow("line starting at the threshold") << QList<int>{100, 90, 1, 1} << false << 1 << 25
                                                        << "1:255d 1:360d 1:455d+ 2:255d";
        QTest::newRow("one pixel past the threshold") << QList<int>{100, 91, 1} << false << 1 << 25
                                                      << "1:255d 1:360d+ 2:255d";
        QTest::newRow("range 2 to 3") << QList<int>{200, 200, 200, 200, 200} << true << 2 << 3
                                      << "1:255 2:255d+ 3:255d 4:255 5:255";
        QTest::newRow("from beyond the end") << QList<int>{200, 200} << true << 10 << 25 << "1:255 2:255";
    }
    void flow()
    {
        QFETCH(QList<int>, heights);
        QFETCH(bool, pageNumbers);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, expected);
        output::PageFlow flow(5, 250, 550, 1000, {pageNumbers, from, to});
        QStringList got;
        for (int h : heights) {
            const output::LinePlacement p = flow.next(h);
            got << QStringLiteral("%1:%2%3%4").arg(p.sheetPage).arg(p.y).arg(p.drawn ? "d" : "").arg(
                p.newPageAfter ? "+" : "");
        }
        QCOMPARE(got.join(QLatin1Char(' ')), expected);
    }

    void topMarginBeyondThresholdGivesOneLinePerPage()
    {
        output::PageFlow flow(5, 900, 550, 1000);
        for (int page = 1; page <= 3; ++page) {
            const output::LinePlacement p = flow.next(20);
            QCOMPARE(p.sheetPage, page);
            QCOMPARE(p.y, 905);
            QVERIFY(p.newPageAfter);
        }
    }

    void hugeSettingsDoNotWrap()
    {
        output::PageFlow flow(2147483647, 2147483647, -2147483647 - 1, 1000);
        const output::LinePlacement p = flow.next(2147483647);
        QCOMPARE(p.y, 2147483647);
        QVERIFY(p.newPageAfter);
        QCOMPARE(flow.y(), 2147483647LL);
    }
};

GW_TEST_MAIN_CORE(TestSheetText)
#include "tst_sheettext.moc"
