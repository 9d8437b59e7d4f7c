// Tests of the font list view through the main window: rows drawn in the list's font or in each
// entry's own face (a font file's from the file itself), font files that cannot be used, the
// sample-mode switch, deleting marked and unmarked entries, and the font carried to the sample
// boxes. Rows are checked by their pixels against text drawn directly.

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontEntry.h"
#include "fonts/Tfpreview.h"
#include "typeface/FileFaces.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/stat.h>

namespace {

const QColor kListText(15, 63, 111);
// The greys of a font file that cannot be used: on a row, and on a marked row.
const QColor kUnusableText(112, 112, 112);
const QColor kMarkedUnusableText(176, 176, 176);

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
    QString m_dejaVuSans;

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

    /// Loads the fonts of `folder` alone.
    void loadFolder(const QString &folder)
    {
        prog->cb_system->setChecked(false);
        prog->cb_folder->setChecked(true);
        prog->ed_folder->setText(folder);
        prog->SchriftenNeuLadenClick();
    }

    /// Row `row` of a font file that cannot be used, as it should look in sample mode.
    QImage unusableRow(int row, const QString &mark) const
    {
        QListWidget *list = prog->ListBox1;
        const bool marked = list->item(row)->isSelected();
        const QSize size(rowRect(list, row).width(), QFontMetrics(list->font()).height() + 2);
        return drawnRow(size, marked ? kListText : list->palette().color(QPalette::Base),
                        list->item(row)->text() + mark, list->font(), marked ? kMarkedUnusableText : kUnusableText, 1);
    }

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(QStringLiteral("Fonts"));
        const QString liberation =
            gwtest::packageFontFile(QStringLiteral("fonts-liberation2"), QStringLiteral("LiberationSans-Regular.ttf"));
        m_dejaVuSans = gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans.ttf"));
        // Two files named "DejaVu Sans" with faces of different heights: Liberation Sans under
        // an installed family's name, and a plain copy of that family's file.
        QVERIFY(gwtest::makeRenamedFont(liberation, m_folder + QStringLiteral("/own.ttf"), QStringLiteral("DejaVu Sans"),
                                        QStringLiteral("Book"), QStringLiteral("DejaVu Sans Book")));
        QVERIFY(gwtest::copyFile(m_dejaVuSans, m_folder + QStringLiteral("/sub/copy.ttf")));
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
        QTest::addColumn<bool>("german");

        QTest::newRow("list font") << false << false << "own.ttf" << "list" << false;
        QTest::newRow("list font, marked") << false << true << "own.ttf" << "list" << false;
        // A file's row is drawn from the file: the glyphs of Liberation Sans, not the installed
        // face of the name the file gives.
        QTest::newRow("own face") << true << false << "own.ttf" << "Liberation Sans" << false;
        QTest::newRow("own face, marked") << true << true << "own.ttf" << "Liberation Sans" << false;
        QTest::newRow("copy of an installed font") << true << false << "copy.ttf" << "DejaVu Sans" << false;
        // No font in the file: the list's font in grey with the mark, and no message.
        QTest::newRow("unusable") << true << false << "broken.ttf" << "unusable" << false;
        QTest::newRow("unusable, marked") << true << true << "broken.ttf" << "unusable" << false;
        QTest::newRow("unusable, German") << true << false << "broken.ttf" << "unusable" << true;
        // Outside sample mode no file is opened, so nothing can be known about it.
        QTest::newRow("unusable outside sample mode") << false << false << "broken.ttf" << "list" << false;
    }
    void rowsDrawn()
    {
        QFETCH(bool, sample);
        QFETCH(bool, marked);
        QFETCH(QString, file);
        QFETCH(QString, face);
        QFETCH(bool, german);

        if (german)
            prog->mdeClick();
        loadFolder(m_folder);
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
        if (face == QLatin1String("unusable")) {
            const QString mark = german ? QStringLiteral(" (nicht lesbar)") : QStringLiteral(" (unreadable)");
            QCOMPARE(shown, unusableRow(row, mark));
            QVERIFY(dialogs::shown().isEmpty());
            return;
        }
        const QColor background = marked ? kListText : list->palette().color(QPalette::Base);
        const QColor text = marked ? list->palette().color(QPalette::HighlightedText) : kListText;
        const QFont font = face == QLatin1String("list") ? list->font() : familyFont(face, 15);
        if (sample)
            QCOMPARE(shown.height(), QFontMetrics(font).height() + 2);
        QCOMPARE(dominantColour(shown), background);
        QCOMPARE(shown, drawnRow(shown.size(), background, entry, font, text, sample ? 1 : 0));
        const QString name = prog->ListBox1->entry(row).name;
        if (sample && face != name)
            QVERIFY(shown != drawnRow(shown.size(), background, entry, familyFont(name, 15), text, 1));
        QVERIFY(dialogs::shown().isEmpty());
    }

    void fileUnusableAfterListing_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("shownBefore");

        QTest::newRow("FIFO") << "fifo" << false;
        QTest::newRow("truncated") << "truncate" << false;
        QTest::newRow("deleted") << "delete" << false;
        QTest::newRow("another file") << "replace" << false;
        // Drawn before, then gone once its face has left the cache: the row takes its new height.
        QTest::newRow("deleted after it was shown") << "delete" << true;
    }
    void fileUnusableAfterListing()
    {
        QFETCH(QString, change);
        QFETCH(bool, shownBefore);

        // The first of two files changes; the second row must follow it wherever it ends.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.ttf"));
        QVERIFY(gwtest::copyFile(m_dejaVuSans, path));
        QVERIFY(gwtest::copyFile(m_dejaVuSans, dir.filePath(QStringLiteral("b.ttf"))));
        loadFolder(dir.path());
        QListWidget *list = prog->ListBox1;
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(0)->text().endsWith(QLatin1String("/a.ttf")));
        if (shownBefore) {
            prog->cb_schriftprobeliste->click();
            QCoreApplication::processEvents();
            QCOMPARE(rowRect(list, 1).top(), QFontMetrics(familyFont(QStringLiteral("DejaVu Sans"), 15)).height() + 2);
            platform::FileFaces::instance().clear();
        }

        const QByteArray encoded = QFile::encodeName(path);
        if (change == QLatin1String("fifo")) {
            // Opened the way a font file usually is, it would block the list's painting.
            QVERIFY(QFile::remove(path));
            QCOMPARE(::mkfifo(encoded.constData(), 0600), 0);
        } else if (change == QLatin1String("truncate")) {
            QVERIFY(QFile::resize(path, 2000));
        } else if (change == QLatin1String("delete")) {
            QVERIFY(QFile::remove(path));
        } else {
            // Renamed over it while the old file still exists, so the new file is another inode.
            QVERIFY(gwtest::copyFile(m_dejaVuSans, path + QStringLiteral(".new")));
            QVERIFY(::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(), encoded.constData()) == 0);
        }
        if (shownBefore)
            list->viewport()->repaint();
        else
            prog->cb_schriftprobeliste->click();
        QCoreApplication::processEvents();

        QCOMPARE(rowRect(list, 1).top(), QFontMetrics(list->font()).height() + 2);
        QCOMPARE(shownRow(list, 0), unusableRow(0, QStringLiteral(" (unreadable)")));
        QVERIFY(dialogs::shown().isEmpty());
    }

    // A row whose font file fails to load with an exception (out of memory, injected here) while
    // the list is measured: the application's error report shows it once, the list repaints and
    // measures again, the failed file is drawn as unreadable and the other file in its face.
    void rowFailureLeavesListUsable_data()
    {
        QTest::addColumn<QString>("step");
        QTest::newRow("sample mode switched on") << "switch";
        QTest::newRow("folder loaded in sample mode") << "load";
    }
    void rowFailureLeavesListUsable()
    {
        QFETCH(QString, step);
        QTemporaryDir dir;
        QVERIFY(gwtest::copyFile(m_dejaVuSans, dir.filePath(QStringLiteral("a.ttf"))));
        QVERIFY(gwtest::copyFile(m_dejaVuSans, dir.filePath(QStringLiteral("b.ttf"))));
        auto &faces = platform::FileFaces::instance();
        const auto previous = faces.setReader([](const QString &path, const platform::FileIdentity &listed) {
            if (path.endsWith(QLatin1String("/b.ttf")))
                throw std::bad_alloc();
            return platform::readFontFile(path, listed);
        });
        const auto restore = qScopeGuard([&] { faces.setReader(previous); });
        QListWidget *list = prog->ListBox1;
        prog->ed_folder->setText(dir.path());
        QTest::mouseClick(prog->cb_system, Qt::LeftButton);
        if (step == QLatin1String("switch")) {
            QTest::mouseClick(prog->cb_folder, Qt::LeftButton);
            QTest::mouseClick(prog->cb_schriftprobeliste, Qt::LeftButton);
        } else {
            QTest::mouseClick(prog->cb_schriftprobeliste, Qt::LeftButton);
            QTest::mouseClick(prog->cb_folder, Qt::LeftButton);
        }
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();

        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().constFirst().kind, dialogs::DialogKind::Error);
        QCOMPARE(dialogs::shown().constFirst().text, QStringLiteral("std::bad_alloc"));
        QVERIFY(list->updatesEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(list->count(), 2);
        QCOMPARE(rowRect(list, 0).height(), QFontMetrics(familyFont(QStringLiteral("DejaVu Sans"), 15)).height() + 2);
        QCOMPARE(shownRow(list, 1), unusableRow(1, QStringLiteral(" (unreadable)")));
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

    // A catalogue user's sequence: a small folder with names in several scripts, then a large
    // folder of distinct fonts, sample mode on and off, and the small folder again. Each entry
    // still draws in its own file's face: the list, the sample box and the sheet look as before.
    void facesStayAfterALargeFolder()
    {
        const QString small = m_dir.filePath(QStringLiteral("Small"));
        const QString dejaVu = QStringLiteral("fonts-dejavu-core"), liberation = QStringLiteral("fonts-liberation2");
        const struct
        {
            QString package, file, family;
        } fonts[] = {
            {QStringLiteral("fonts-ipafont-gothic"), QStringLiteral("ipag.ttf"), QStringLiteral("ゴシックテスト")},
            {dejaVu, QStringLiteral("DejaVuSans.ttf"), QStringLiteral("خط تجريبي")},
            {dejaVu, QStringLiteral("DejaVuSerif.ttf"), QStringLiteral("Γραμματοσειρά Δοκιμή")},
            {liberation, QStringLiteral("LiberationSerif-Regular.ttf"), QStringLiteral("Größe Übung")},
            {liberation, QStringLiteral("LiberationMono-Regular.ttf"), QStringLiteral("Test Mono")},
            {liberation, QStringLiteral("LiberationSans-Bold.ttf"), QStringLiteral("Test Fett")},
            {dejaVu, QStringLiteral("DejaVuSansMono.ttf"), QStringLiteral("Test Schmal")},
            {dejaVu, QStringLiteral("DejaVuSerif-Bold.ttf"), QStringLiteral("Test Serif")},
            {liberation, QStringLiteral("LiberationSans-Regular.ttf"), QStringLiteral("Test Sans")},
        };
        int n = 0;
        for (const auto &font : fonts)
            QVERIFY(gwtest::makeRenamedFont(gwtest::packageFontFile(font.package, font.file),
                                            small + QStringLiteral("/f%1.ttf").arg(++n), font.family,
                                            QStringLiteral("Regular"), font.family));
        const QString large = m_dir.filePath(QStringLiteral("Large"));
        QVERIFY(gwtest::toolOutput(QStringLiteral("/usr/bin/python3"),
                                   {gwtest::sourceDir() + QStringLiteral("/bench/make_distinct_fonts.py"), large,
                                    QStringLiteral("500")})
                    .contains(QLatin1String("500 files")));

        QListWidget *list = prog->ListBox1;
        const auto looks = [&](const QString &sheet) {
            loadFolder(small);
            prog->cb_schriftprobeliste->click();
            const int japanese = int(listEntries(list).indexOf(QRegularExpression(QStringLiteral(".*/f1.ttf"))));
            list->setCurrentRow(japanese);
            prog->ListBox1MouseMove();
            prog->cd1->setFocus();
            QCoreApplication::processEvents();
            const QImage shown = list->viewport()->grab().toImage();
            const QImage box = prog->Memo1->grab().toImage();
            prog->cb_schriftprobeliste->click();
            dialogs::setNextAnswer(sheet);
            prog->cbdrucker->setCurrentIndex(prog->cbdrucker->findText(QStringLiteral("BMP-Image")));
            QTest::mouseClick(prog->Button1, Qt::LeftButton);
            return QList<QImage>{shown, box, QImage(sheet)};
        };
        const QList<QImage> before = looks(m_dir.filePath(QStringLiteral("before.bmp")));
        QVERIFY(!before.last().isNull());
        loadFolder(large);
        QCOMPARE(list->count(), 500);
        prog->cb_schriftprobeliste->click();
        list->scrollToBottom();
        QCoreApplication::processEvents();
        prog->cb_schriftprobeliste->click();
        const QList<QImage> after = looks(m_dir.filePath(QStringLiteral("after.bmp")));
        QVERIFY(after[0] == before[0]);
        QVERIFY(after[1] == before[1]);
        QVERIFY(after[2] == before[2]);
        for (const dialogs::Shown &shown : dialogs::shown())
            QCOMPARE(shown.kind, dialogs::DialogKind::Save);
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
