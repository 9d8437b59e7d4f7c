// Tests of the font list view through the main window: rows drawn in the list's font or in each
// entry's own face, the sample-mode switch, deleting marked and unmarked entries, and the font
// carried to the sample boxes. Rows are checked by their pixels against text drawn directly.

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/Tfpreview.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTemporaryDir>

namespace {

const QColor kListText(15, 63, 111);

QStringList listEntries(const QListWidget *list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

QRect rowRect(const QListWidget *list, int row)
{
    return list->visualRect(list->model()->index(row, 0));
}

/// Row `row` of the list as the screen shows it.
QImage shownRow(QListWidget *list, int row)
{
    return list->viewport()->grab(rowRect(list, row)).toImage().convertToFormat(QImage::Format_RGB32);
}

/// A row of `size` drawn directly: `background`, then `text` in `font` and `colour` with the top
/// of its line `top` pixels below the row's top.
QImage drawnRow(QSize size, const QColor &background, const QString &text, const QFont &font, const QColor &colour,
                int top)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QPoint(0, top + painter.fontMetrics().ascent()), text);
    return image;
}

/// The colour most pixels of `image` have.
QColor dominantColour(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const auto most = std::max_element(counts.constBegin(), counts.constEnd());
    return QColor::fromRgb(most.key());
}

QFont familyFont(const QString &family, qreal points)
{
    QFont font;
    font.setFamilies({family});
    font.setPointSizeF(points);
    return font;
}

} // namespace

class TestFontListView : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_folder;

    /// Fills the list with the given entries, as a load would, and leaves nothing marked.
    void setEntries(const QStringList &entries)
    {
        prog->ListBox1->clear();
        prog->ListBox1->addItems(entries);
    }

    void markRows(const QList<int> &rows)
    {
        for (int row : rows)
            prog->ListBox1->item(row)->setSelected(true);
    }

    QList<int> markedRows() const
    {
        QList<int> rows;
        for (int i = 0; i < prog->ListBox1->count(); ++i)
            if (prog->ListBox1->item(i)->isSelected())
                rows << i;
        return rows;
    }

    /// Loads the test folder alone: a face renamed to an installed family's name, its twin
    /// under a family of its own, and a file that is no font.
    void loadFolder()
    {
        prog->cb_system->setChecked(false);
        prog->cb_folder->setChecked(true);
        prog->ed_folder->setText(m_folder);
        prog->SchriftenNeuLadenClick();
    }

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(QStringLiteral("Fonts"));
        const QString liberation =
            gwtest::packageFontFile(QStringLiteral("fonts-liberation2"), QStringLiteral("LiberationSans-Regular.ttf"));
        // The same glyphs twice: once under an installed family (another foundry's "DejaVu
        // Sans"), once under a family of their own to draw the reference with.
        QVERIFY(gwtest::makeRenamedFont(liberation, m_folder + QStringLiteral("/own.ttf"), QStringLiteral("DejaVu Sans"),
                                        QStringLiteral("Book"), QStringLiteral("DejaVu Sans Book")));
        QVERIFY(gwtest::makeRenamedFont(liberation, m_folder + QStringLiteral("/sub/twin.ttf"),
                                        QStringLiteral("Glyphworks Twin"), QStringLiteral("Regular"),
                                        QStringLiteral("Glyphworks Twin")));
        QVERIFY(gwtest::writeFile(m_folder + QStringLiteral("/broken.ttf"), QByteArrayLiteral("no font")));
    }

    void init()
    {
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
        prog->show();
        QVERIFY(QTest::qWaitForWindowExposed(prog));
        // No focus mark in the rows compared by their pixels.
        prog->cd1->setFocus();
    }

    void cleanup()
    {
        app::destroyWindows();
    }

    void rowsDrawn_data()
    {
        QTest::addColumn<bool>("sample");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("face");

        QTest::newRow("list font") << false << false << "own.ttf" << "list";
        QTest::newRow("list font, marked") << false << true << "own.ttf" << "list";
        QTest::newRow("own face") << true << false << "own.ttf" << "Glyphworks Twin";
        QTest::newRow("own face, marked") << true << true << "own.ttf" << "Glyphworks Twin";
        // No name could be read: the list's face, and no message.
        QTest::newRow("no name, marked") << true << true << "broken.ttf" << "list at 15 pt";
    }
    void rowsDrawn()
    {
        QFETCH(bool, sample);
        QFETCH(bool, marked);
        QFETCH(QString, file);
        QFETCH(QString, face);

        loadFolder();
        QListWidget *list = prog->ListBox1;
        const int row = int(listEntries(list).indexOf(QRegularExpression(QStringLiteral(".*/") + file)));
        QVERIFY(row >= 0);
        const QString entry = list->item(row)->text();
        if (sample)
            prog->cb_schriftprobeliste->click();
        if (marked)
            markRows({row});
        QCoreApplication::processEvents();

        const QImage shown = shownRow(list, row);
        const QColor background = marked ? kListText : list->palette().color(QPalette::Base);
        const QColor text = marked ? list->palette().color(QPalette::HighlightedText) : kListText;
        QFont font = list->font();
        if (face == QLatin1String("list at 15 pt"))
            font.setPointSizeF(15);
        else if (face != QLatin1String("list"))
            font = familyFont(face, 15);
        if (sample)
            QCOMPARE(shown.height(), QFontMetrics(font).height() + 2);
        QCOMPARE(dominantColour(shown), background);
        QCOMPARE(shown, drawnRow(shown.size(), background, entry, font, text, sample ? 1 : 0));
        if (face.startsWith(QLatin1String("Glyphworks")))
            QVERIFY(shown != drawnRow(shown.size(), background, entry, familyFont(QStringLiteral("DejaVu Sans"), 15),
                                      text, 1));
        QVERIFY(dialogs::shown().isEmpty());
    }

    void switchKeepsFocusDropsMarks()
    {
        // A file's path may hold a line break; its entry stays one entry.
        QStringList names = prog->installed_fonts.mid(0, 9) << QStringLiteral("Zz | /fonts/two\nlines.ttf");
        names.sort(Qt::CaseInsensitive);
        setEntries(names);
        QListWidget *list = prog->ListBox1;
        list->setCurrentRow(5);
        markRows({2, 5, 7});
        QCoreApplication::processEvents();
        gwtest::PaintCounter counter;
        list->viewport()->installEventFilter(&counter);

        prog->cb_schriftprobeliste->click();
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 1);
        QCOMPARE(listEntries(list), names);
        QCOMPARE(list->currentRow(), 5);
        QCOMPARE(markedRows(), QList<int>());
        QVERIFY(prog->mspb->isChecked());
        for (int row = 0; row < list->count(); ++row)
            QCOMPARE(rowRect(list, row).height(), prog->ListBox1MeasureItem(row));

        // The hidden menu twin switches back; rows return to the height of the list's font.
        markRows({1});
        prog->mspb->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!prog->cb_schriftprobeliste->isChecked());
        QVERIFY(!prog->mspb->isVisible());
        QCOMPARE(list->currentRow(), 5);
        QCOMPARE(markedRows(), QList<int>());
        QCOMPARE(rowRect(list, 9).height(), QFontMetrics(list->font()).height());
    }

    void deleting_data()
    {
        QTest::addColumn<QList<int>>("marked");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<int>>("kept");

        const QList<int> all{0, 1, 2, 3, 4, 5};
        QTest::newRow("Del, nothing marked") << QList<int>() << "Del" << all;
        QTest::newRow("Ctrl+Del, nothing marked") << QList<int>() << "Ctrl+Del" << QList<int>();
        QTest::newRow("Del") << QList<int>{1, 3, 4} << "Del" << QList<int>{0, 2, 5};
        QTest::newRow("Ctrl+Del") << QList<int>{1, 3, 4} << "Ctrl+Del" << QList<int>{1, 3, 4};
        QTest::newRow("pop1") << QList<int>{0, 5} << "pop1" << QList<int>{1, 2, 3, 4};
        QTest::newRow("pop2") << QList<int>{0, 5} << "pop2" << QList<int>{0, 5};
    }
    void deleting()
    {
        QFETCH(QList<int>, marked);
        QFETCH(QString, command);
        QFETCH(QList<int>, kept);

        const QString count = prog->Label1->text();
        const QStringList entries{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                  QStringLiteral("D"), QStringLiteral("E"), QStringLiteral("F")};
        setEntries(entries);
        markRows(marked);
        prog->ListBox1->setFocus();
        if (command == QLatin1String("Del"))
            QTest::keyClick(prog->ListBox1, Qt::Key_Delete);
        else if (command == QLatin1String("Ctrl+Del"))
            QTest::keyClick(prog->ListBox1, Qt::Key_Delete, Qt::ControlModifier);
        else
            prog->findChild<QAction *>(command)->trigger();
        QStringList expected;
        for (int row : kept)
            expected << entries.at(row);
        QCOMPARE(listEntries(prog->ListBox1), expected);
        QCOMPARE(prog->Label1->text(), count);
    }

    void mouseMoveCarriesFocusedFont()
    {
        setEntries({QStringLiteral("DejaVu Sans Bold"), QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Mono")});
        QPlainTextEdit *memo1 = prog->Memo1;
        QPlainTextEdit *memo2 = fpreview->Memo2;
        QFont own = memo1->font();
        own.setItalic(true);
        own.setUnderline(true);
        memo1->setFont(own);
        const int memo2Size = memo2->font().pixelSize();

        QListWidget *list = prog->ListBox1;
        list->setCurrentRow(0);
        QTest::mouseMove(list->viewport(), rowRect(list, 2).center());
        for (QPlainTextEdit *box : {memo1, memo2}) {
            const QFontInfo shown(box->font());
            QCOMPARE(shown.family(), QStringLiteral("DejaVu Sans"));
            QCOMPARE(shown.styleName(), QStringLiteral("Bold"));
        }
        QCOMPARE(QFontInfo(memo1->font()).pixelSize(), own.pixelSize());
        QVERIFY(memo1->font().italic() && memo1->font().underline());
        QCOMPARE(memo2->font().pixelSize(), memo2Size);

        // The bold of the face shown before does not stay with the box.
        list->setCurrentRow(1);
        QTest::mouseMove(list->viewport(), rowRect(list, 0).center());
        for (QPlainTextEdit *box : {memo1, memo2}) {
            const QFontInfo shown(box->font());
            QCOMPARE(shown.family(), QStringLiteral("DejaVu Serif"));
            QVERIFY(!shown.styleName().contains(QLatin1String("Bold")));
        }
    }

    void scrolledRowsHaveTheirHeights()
    {
        QListWidget *list = prog->ListBox1;
        QVERIFY(list->count() > 100);
        prog->cb_schriftprobeliste->click();
        list->setFocus();
        // Every row in view has its measured height and the next row begins where it ends; the
        // focused row is wholly in view.
        const auto check = [list](int focused) {
            for (int row = 0; row < list->count(); ++row) {
                const QRect rect = rowRect(list, row);
                if (rect.bottom() < 0 || rect.top() >= list->viewport()->height())
                    continue;
                QCOMPARE(rect.height(), prog->ListBox1MeasureItem(row));
                if (row + 1 < list->count())
                    QCOMPARE(rowRect(list, row + 1).top(), rect.bottom() + 1);
            }
            QVERIFY(list->viewport()->rect().contains(rowRect(list, focused)));
        };
        list->scrollToBottom();
        check(list->count() - 1);
        list->setCurrentRow(0);
        for (int step = 0; step < 3; ++step) {
            QTest::keyClick(list, Qt::Key_PageDown);
            check(list->currentRow());
        }
        for (int step = 0; step < 30; ++step)
            QTest::keyClick(list, Qt::Key_Down);
        check(list->currentRow());
    }

    void screenshots()
    {
        prog->cb_system->setChecked(true);
        prog->cb_folder->setChecked(true);
        prog->ed_folder->setText(m_folder);
        prog->SchriftenNeuLadenClick();
        QListWidget *list = prog->ListBox1;
        list->setFocus();
        for (bool sample : {false, true}) {
            if (sample)
                prog->cb_schriftprobeliste->click();
            list->setCurrentRow(3);
            markRows({1, 3, 4});
            QCoreApplication::processEvents();
            const QString name = sample ? QStringLiteral("list_sample.png") : QStringLiteral("list_plain.png");
            QVERIFY(prog->grab().save(QDir::current().filePath(name)));
        }
    }
};

GW_TEST_MAIN_APP(TestFontListView)
#include "tst_fontlistview.moc"
