// Tests of the font list for the keyboard and screen readers: typing the first letters of an
// entry moves the focus to it without touching the marks, in plain and sample mode; the rows
// tell their entry, place and mark, and a screen reader finds the focus moved on the row.

#include "fonts/FontListDelegate.h"
#include "fonts/FontListView.h"
#include "support/TestMain.h"
#include "util/FilePaths.h"

#include <QAccessible>
#include <QKeyEvent>

namespace {

const QStringList kEntries = {
    QStringLiteral("Arial"),
    QStringLiteral("\u00C0venir Light"),
    QStringLiteral("Bitstream Vera"),
    QStringLiteral("DejaVu Sans"),
    QStringLiteral("DejaVu Sans Mono"),
    QStringLiteral("DejaVu Serif"),
    QStringLiteral("\u00C9migr\u00E9 | /fonts/emigre.ttf"),
    QStringLiteral("Stra\u00DFe Grotesk"),
    QStringLiteral("Strong"),
};

QList<int> markedRows(const QListWidget &list)
{
    QList<int> rows;
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row)->isSelected())
            rows << row;
    return rows;
}

} // namespace

class TestTypeAhead : public QObject
{
    Q_OBJECT
private slots:
    void typingMovesTheFocus_data();
    void typingMovesTheFocus();
    void rowsTellEntryPlaceAndMark_data();
    void rowsTellEntryPlaceAndMark();
    void screenReadersFindTheFocusOnTheRow_data();
    void screenReadersFindTheFocusOnTheRow();
};

void TestTypeAhead::typingMovesTheFocus_data()
{
    QTest::addColumn<bool>("sampleMode");
    QTest::addColumn<int>("start");
    // The keys typed one by one; "/" is a pause long enough to start a new search.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("focused");

    QTest::newRow("first letter") << false << 0 << "d" << 3;
    QTest::newRow("words typed without their spaces") << false << 0 << "dejavuse" << 5;
    QTest::newRow("longer text stays on the entry") << false << 0 << "dejavusans" << 3;
    QTest::newRow("case ignored") << false << 0 << "DEJAVUSANSM" << 4;
    QTest::newRow("accent of the entry ignored") << false << 0 << "av" << 1;
    QTest::newRow("accent of the typed letter ignored") << false << 0 << "\u00E1v" << 1;
    QTest::newRow("font file by its name") << false << 0 << "emig" << 6;
    QTest::newRow("sharp s as ss") << false << 0 << "strass" << 7;
    QTest::newRow("same letter again goes on") << false << 0 << "ddd" << 5;
    QTest::newRow("pause starts anew") << false << 0 << "dejavuse/d" << 3;
    QTest::newRow("wraps around") << false << 5 << "a" << 0;
    QTest::newRow("no entry begins so") << false << 2 << "x" << 2;
    QTest::newRow("typed past every entry stays") << false << 0 << "dx" << 3;
    QTest::newRow("control key moves nothing") << false << 2 << "\t" << 2;
    QTest::newRow("sample mode: first letter") << true << 0 << "s" << 7;
    QTest::newRow("sample mode: accents and case") << true << 0 << "EMIGRE" << 6;
}

void TestTypeAhead::typingMovesTheFocus()
{
    QFETCH(bool, sampleMode);
    QFETCH(int, start);
    QFETCH(QString, keys);
    QFETCH(int, focused);

    fonts::FontListView list;
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto *rows = new fonts::FontListDelegate(&list);
    list.addItems(kEntries);
    rows->setSampleMode(sampleMode);
    qint64 now = 1000;
    list.setClock([&now] { return now; });
    list.setCurrentRow(start, QItemSelectionModel::NoUpdate);
    list.item(2)->setSelected(true);
    list.item(7)->setSelected(true);
    const QList<int> marks = markedRows(list);

    for (const QChar key : keys) {
        if (key == QLatin1Char('/')) {
            now += 5000;
            continue;
        }
        now += 50;
        QKeyEvent press(QEvent::KeyPress, key == QLatin1Char('\t') ? Qt::Key_Tab : Qt::Key_unknown,
                        Qt::NoModifier, QString(key));
        QCoreApplication::sendEvent(&list, &press);
    }

    QCOMPARE(list.currentRow(), focused);
    QCOMPARE(markedRows(list), marks);
    QCOMPARE(list.count(), kEntries.size());
}

void TestTypeAhead::rowsTellEntryPlaceAndMark_data()
{
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("place");

    QTest::newRow("English") << false << "12 of 2,300";
    QTest::newRow("German") << true << "12 von 2.300";
}

void TestTypeAhead::rowsTellEntryPlaceAndMark()
{
    QFETCH(bool, german);
    QFETCH(QString, place);

    fonts::FontListView list;
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList entries;
    for (int i = 0; i < 2300; ++i)
        entries << QStringLiteral("Font %1").arg(i, 4, 10, QLatin1Char('0'));
    // A file's path with a byte that is no UTF-8, kept in the entry so the file still opens.
    const QString path = util::decodePath(QByteArray("/fonts/caf\xe9.ttf"));
    entries[11] = QStringLiteral("Caf\u00E9 | ") + path;
    list.addItems(entries);
    list.setGerman(german);
    list.item(11)->setSelected(true);

    QAccessibleInterface *view = QAccessible::queryAccessibleInterface(&list);
    QVERIFY(view);
    QAccessibleInterface *row = view->child(11);
    QVERIFY(row);
    QCOMPARE(row->text(QAccessible::Name), util::readablePath(entries[11]));
    QVERIFY(row->text(QAccessible::Name).endsWith(QStringLiteral("caf\u00E9.ttf")));
    QCOMPARE(row->text(QAccessible::Description), place);
    QVERIFY(row->state().selected);
    QVERIFY(!view->child(12)->state().selected);
}

void TestTypeAhead::screenReadersFindTheFocusOnTheRow_data()
{
    QTest::addColumn<bool>("sampleMode");
    QTest::newRow("plain") << false;
    QTest::newRow("sample mode") << true;
}

void TestTypeAhead::screenReadersFindTheFocusOnTheRow()
{
    QFETCH(bool, sampleMode);

    fonts::FontListView list;
    auto *rows = new fonts::FontListDelegate(&list);
    list.addItems(kEntries);
    rows->setSampleMode(sampleMode);
    list.show();
    list.activateWindow();
    list.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&list));

    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("s"));
    QCoreApplication::sendEvent(&list, &press);

    QCOMPARE(list.currentRow(), 7);
    // The row a screen reader finds focused in the list: the one Qt's item view announces when an
    // accessibility is switched on (the AT-SPI test watches that announcement on a desktop).
    QAccessibleInterface *view = QAccessible::queryAccessibleInterface(&list);
    QVERIFY(view);
    QAccessibleInterface *row = view->focusChild();
    QVERIFY(row);
    QCOMPARE(row->text(QAccessible::Name), kEntries[7]);
    QVERIFY(row->state().focused);
}

GW_TEST_MAIN(TestTypeAhead)
#include "tst_typeahead.moc"
