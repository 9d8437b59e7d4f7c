#include "app/ListSources.h"
#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "fonts/FontEntry.h"
#include "fonts/FontListLoader.h"
#include "fonts/FontListView.h"
#include "fonts/ListRows.h"
#include "fonts/Tfpreview.h"
#include "output/LineSetter.h"
#include "typeface/FileFaces.h"
#include "typeface/FontResources.h"
#include "typeface/GlyphText.h"
#include "typeface/SampleBoxFace.h"
#include "platform/Printers.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTemporaryDir>

namespace {

QStringList listEntries(const QListWidget *list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_fonts;
    QString m_root;

private slots:
    void initTestCase()
    {
        m_root = m_fonts.path() + QStringLiteral("/Fonts");
        const QString core = QStringLiteral("fonts-dejavu-core");
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile(core, QStringLiteral("DejaVuSans-Bold.ttf")),
                                 m_root + QStringLiteral("/own.ttf")));
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile(core, QStringLiteral("DejaVuSansMono-Bold.ttf")),
                                 m_root + QStringLiteral("/sub/a.ttf")));
    }

    void init()
    {
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
    }

    void cleanup()
    {
        app::destroyWindows();
    }

    void controlsHaveTheirNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        const char *controls[][2] = {
            {"ListBox1", "QListWidget"}, {"Panel1", "QFrame"},         {"Label3", "QLabel"},
            {"Label4", "QLabel"},        {"Label1", "QLabel"},         {"Panel3", "QFrame"},
            {"cb_system", "QCheckBox"},  {"cb_folder", "QCheckBox"},   {"ed_folder", "QLineEdit"},
            {"BitBtn2", "QPushButton"},  {"Panel2", "QFrame"},         {"Label2", "QLabel"},
            {"Memo1", "QPlainTextEdit"}, {"cb_schriftprobe", "QCheckBox"}, {"cb_schriftprobeliste", "QCheckBox"},
            {"Label8", "QLabel"},        {"cbdrucker", "QComboBox"},   {"Label5", "QLabel"},
            {"cd1", "QComboBox"},        {"Button1", "QPushButton"},   {"laspenden", "QLabel"},
            {"Label11", "QLabel"},       {"Label16", "QLabel"},        {"menu", "QMenuBar"},
            {"m1", "QMenu"},             {"m2", "QMenu"},              {"mspr", "QMenu"},
            {"info_de", "QMenu"},        {"info_en", "QMenu"},         {"PopupMenu1", "QMenu"},
            {"mdruck", "QAction"},       {"m_spgross", "QAction"},     {"m11", "QAction"},
            {"msp", "QAction"},          {"mde", "QAction"},           {"men", "QAction"},
            {"m_bug", "QAction"},        {"m12", "QAction"},           {"SchriftenNeuLaden", "QAction"},
            {"m_system", "QAction"},     {"m_folder", "QAction"},      {"m22", "QAction"},
            {"m23", "QAction"},          {"mspb", "QAction"},          {"pop1", "QAction"},
            {"pop2", "QAction"},
        };
        for (const auto &c : controls)
            QTest::newRow(c[0]) << QString::fromLatin1(c[0]) << QString::fromLatin1(c[1]);
    }
    void controlsHaveTheirNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QObject *o = prog->findChild<QObject *>(name);
        QVERIFY2(o, qPrintable(name));
        QVERIFY(o->inherits(qPrintable(className)));
    }

    void designPlacesAndAnchors()
    {
        prog->show();
        QWidget *client = prog->centralWidget();
        QCOMPARE(client->size(), QSize(504, 572));
        QCOMPARE(prog->ListBox1->geometry(), QRect(8, 8, 235, 484));
        QCOMPARE(prog->Button1->geometry(), QRect(391, 540, 110, 25));
        QCOMPARE(prog->Panel3->geometry(), QRect(249, 90, 252, 84));
        prog->resize(prog->width() + 100, prog->height() + 50);
        QTRY_COMPARE(client->size(), QSize(604, 622));
        QCOMPARE(prog->ListBox1->geometry(), QRect(8, 8, 335, 534));
        QCOMPARE(prog->Button1->geometry(), QRect(491, 590, 110, 25));
        QCOMPARE(prog->Panel3->geometry(), QRect(349, 90, 252, 84));
        QCOMPARE(prog->cd1->geometry(), QRect(8, 562, 593, prog->cd1->height()));
        QCOMPARE(prog->Label5->pos(), QPoint(8, 546));
    }

    void outputBox()
    {
        QComboBox *box = prog->cbdrucker;
        QCOMPARE(box->count(), 7 + platform::installedPrinters().size());
        QCOMPARE(box->itemText(0), QStringLiteral("Standard Printer"));
        QCOMPARE(box->itemText(5), QStringLiteral("DOC-Microsoft Word® Document"));
        QCOMPARE(box->itemText(6), QStringLiteral("PDF-Document"));
        QCOMPARE(box->currentText(), QStringLiteral("Standard Printer"));
        QVERIFY(!box->isEditable());
        // Typing neither enters text nor jumps to an entry by its first letter.
        QTest::keyClicks(box, QStringLiteral("GJB"));
        QCOMPARE(box->currentIndex(), 0);
    }

    void sampleBox()
    {
        QComboBox *box = prog->cd1;
        QCOMPARE(box->count(), 13);
        QCOMPARE(box->itemText(12), QStringLiteral("Custom.."));
        QCOMPARE(box->currentText(), QStringLiteral("Anton is eating Cheese! - 1234567890!\"()$/?öäü+*ABCDEFGabcdefg"));
        QCOMPARE(box->itemText(7).size(), 66);
        QCOMPARE(box->itemText(11).size(), 44);
        prog->mdeClick();
        QCOMPARE(box->itemText(12), QStringLiteral("Benutzerdefiniert.."));
        QVERIFY(box->currentText().startsWith(QStringLiteral("Käse aß Anton")));
        QCOMPARE(prog->cbdrucker->currentText(), QStringLiteral("Standarddrucker"));
        QCOMPARE(prog->cbdrucker->itemText(6), QStringLiteral("PDF-Dokument"));
        QVERIFY(prog->info_de->menuAction()->isVisible());
        QVERIFY(!prog->info_en->menuAction()->isVisible());
    }

    void systemFontsListedSorted()
    {
        const QStringList entries = listEntries(prog->ListBox1);
        QVERIFY(entries.contains(QStringLiteral("DejaVu Sans")));
        const QCollator collator = fonts::entryCollator(false);
        for (int i = 1; i < entries.size(); ++i)
            QVERIFY(collator.compare(entries.at(i - 1), entries.at(i)) <= 0);
        QCOMPARE(prog->Label1->text(), QString::number(entries.size()) + QStringLiteral(" Fonts Detected!"));
        QVERIFY(!prog->installed_fonts.isEmpty());
    }

    void atEntriesGoOnFirstShowing()
    {
        prog->ListBox1->clear();
        prog->ListBox1->addItems({QStringLiteral("@Vertical"), QStringLiteral("A@B"), QString(), QStringLiteral("@")});
        prog->show();
        QCOMPARE(listEntries(prog->ListBox1), QStringList({QStringLiteral("A@B"), QString()}));
        QCOMPARE(prog->Label1->text(), QStringLiteral("2 Fonts Detected!"));
    }

    void bothSourcesOff()
    {
        prog->cb_system->click();
        QVERIFY(!prog->m_system->isChecked());
        QCOMPARE(prog->ListBox1->count(), 0);
        QCOMPARE(prog->Label1->text(), QStringLiteral("0 Fonts Detected!"));
        prog->mdeClick();
        QCOMPARE(prog->Label1->text(), QStringLiteral("0 Schriftarten wurden entdeckt!"));
        // The menu twin switches back; both show the same state.
        prog->m_system->trigger();
        QVERIFY(prog->cb_system->isChecked());
        QVERIFY(prog->m_system->isChecked());
        QVERIFY(prog->ListBox1->count() > 0);
    }

    void folderSource()
    {
        prog->cb_system->click();
        prog->ed_folder->setText(m_root + QStringLiteral("/"));
        prog->m_folder->trigger();
        QVERIFY(prog->cb_folder->isChecked());
        QVERIFY(prog->m_folder->isChecked());
        QCOMPARE(listEntries(prog->ListBox1),
                 QStringList({QStringLiteral("DejaVu Sans Bold | %1/own.ttf").arg(m_root),
                              QStringLiteral("DejaVu Sans Mono Bold | %1/sub/a.ttf").arg(m_root)}));
        QCOMPARE(prog->file_font_paths,
                 QStringList({m_root + QStringLiteral("/sub/a.ttf"), m_root + QStringLiteral("/own.ttf")}));
        QCOMPARE(prog->Label1->text(), QStringLiteral("2 Fonts Detected!"));
    }

    // A font file whose name on disk is not valid UTF-8 is listed with its font's name, and the
    // list shows the stray byte of the file name as its Latin-1 character.
    void fileNamedOutsideUtf8()
    {
        const QString folder = m_fonts.path() + QStringLiteral("/latin1");
        QVERIFY(QDir().mkpath(folder));
        QFile font(
            gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSerif-Bold.ttf")));
        QVERIFY(font.open(QIODevice::ReadOnly));
        QVERIFY(gwtest::writeNativeFile(QFile::encodeName(folder) + "/caf\xE9.ttf", font.readAll()));

        prog->cb_system->click();
        prog->ed_folder->setText(folder);
        prog->cb_folder->click();
        QCOMPARE(prog->ListBox1->count(), 1);
        const QString entry = prog->ListBox1->item(0)->text();
        QCOMPARE(FontNameOfEntry(entry), QStringLiteral("DejaVu Serif Bold"));
        const auto *delegate = qobject_cast<const QStyledItemDelegate *>(prog->ListBox1->itemDelegate());
        QVERIFY(delegate);
        QCOMPARE(delegate->displayText(entry, QLocale()),
                 QStringLiteral("DejaVu Serif Bold | %1/caf").arg(folder) + QChar(0xE9) + QStringLiteral(".ttf"));
    }

    // Whatever a font's name holds (" | " and a path, with or without a file planted there, a line
    // break, an escape sequence, a C1 control), its row, its sample boxes and its sheet line take
    // the font and the file the load found: the label shows the listed folder, the line is set in
    // the listed file's face, and the row is one line.
    void fontNamesNeverChooseTheFile()
    {
        const QString folder = m_fonts.path() + QStringLiteral("/hostile");
        const QList<gwtest::HostileFont> hostile =
            gwtest::makeHostileNamedFonts(folder, m_fonts.path() + QStringLiteral("/plant"));
        QVERIFY(!hostile.isEmpty());
        prog->cb_system->click();
        prog->ed_folder->setText(folder);
        prog->cb_folder->click();
        QCOMPARE(prog->ListBox1->count(), hostile.size());

        const app::ListSheet sheet(*prog);
        QImage device(1, 1, QImage::Format_RGB32);
        const output::LineSetter setter(&device, 8, false, false);
        QStringList seen;
        for (int row = 0; row < prog->ListBox1->count(); ++row) {
            const fonts::FontListEntry entry = prog->ListBox1->entry(row);
            const auto font = std::find_if(hostile.begin(), hostile.end(),
                                           [&](const gwtest::HostileFont &f) { return f.path == entry.path; });
            QVERIFY2(font != hostile.end(), qPrintable(entry.path));
            seen << entry.path;
            QCOMPARE(entry.name, font->name);
            QCOMPARE(entry.text, FontFileEntry(font->name, font->path));

            const output::SheetLine line = sheet.line(row);
            QCOMPARE(line.fontFile, font->path);
            QCOMPARE(line.fontName, font->name);
            QVERIFY(line.label.contains(font->name));
            QVERIFY(line.rest.startsWith(font->path));
            const output::LineMetrics metrics = setter.measure(line);
            QVERIFY(!metrics.unusable);
            for (const output::LinePiece &piece : metrics.pieces)
                for (const QGlyphRun &run : piece.shaped.runs)
                    QCOMPARE(run.rawFont().familyName(), font->family);

            // The sample boxes show the file's face, registered under a family of its own.
            const QFont carried = fonts::carriedFont(prog->Memo1->font(), entry);
            QVERIFY(platform::isSampleBoxFamily(carried.families().value(0)));
        }
        seen.sort();
        seen.removeDuplicates();
        QCOMPARE(seen.size(), hostile.size());

        // Sample mode: each row as high as one line of its file's face; an unusable file would
        // take the list font's height.
        prog->cb_schriftprobeliste->click();
        QCoreApplication::processEvents();
        for (int row = 0; row < prog->ListBox1->count(); ++row) {
            const QRawFont face = platform::FileFaces::instance().face(
                prog->ListBox1->entry(row).path, {fonts::samplePixelSize(prog->ListBox1->viewport()->logicalDpiY())});
            QVERIFY(face.isValid());
            QCOMPARE(prog->ListBox1->visualRect(prog->ListBox1->model()->index(row, 0)).height(),
                     platform::shapeText(face, QString()).height() + 2);
        }
    }

    void folderBoxKeys()
    {
        prog->show();
        prog->cb_folder->click();
        QLineEdit *box = prog->ed_folder;
        box->setFocus();
        QTest::keyClicks(box, m_root + QStringLiteral("\"*<>?|:\\"));
        // Only the six characters a folder name cannot hold are refused; the slash is the separator.
        QCOMPARE(box->text(), m_root + QStringLiteral(":\\"));
        const int before = prog->ListBox1->count();
        prog->ListBox1->addItem(QStringLiteral("marker"));
        QTest::keyClick(box, Qt::Key_Return);
        // Missing folder: no reload, the key swallowed.
        QCOMPARE(prog->ListBox1->count(), before + 1);
        box->setText(m_root);
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(prog->ListBox1->count(), before + 2);
        QVERIFY(!listEntries(prog->ListBox1).contains(QStringLiteral("marker")));
    }

    void folderChoice_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reloaded");
        QTest::newRow("cancel") << QString() << "/old/folder" << false;
        QTest::newRow("chosen") << "FONTS" << "FONTS" << true;
    }
    void folderChoice()
    {
        QFETCH(QString, answer);
        QFETCH(QString, text);
        QFETCH(bool, reloaded);
        if (answer == QLatin1String("FONTS"))
            answer = text = m_root;
        prog->ed_folder->setText(QStringLiteral("/old/folder"));
        prog->ListBox1->addItem(QStringLiteral("marker"));
        dialogs::setNextAnswer(answer);
        prog->BitBtn2->click();
        QCOMPARE(prog->ed_folder->text(), text);
        QCOMPARE(listEntries(prog->ListBox1).contains(QStringLiteral("marker")), !reloaded);
        // Choosing a folder does not switch the folder source on.
        QVERIFY(!prog->cb_folder->isChecked());
        QCOMPARE(dialogs::shown().size(), 1);
    }

    void reloadsAddAgainAndTheEndRemovesEach()
    {
        prog->ed_folder->setText(m_root);
        prog->cb_folder->click();
        prog->SchriftenNeuLaden->trigger();
        const QString own = m_root + QStringLiteral("/own.ttf");
        QCOMPARE(prog->file_font_paths.count(own), 2);
        auto &resources = platform::FontResources::instance();
        QCOMPARE(resources.additionCount(own), 2);
        QCoreApplication::processEvents();
        QSignalSpy changed(&resources, &platform::FontResources::fontsChanged);
        app::destroyWindows();
        QCOMPARE(resources.additionCount(own), 0);
        QCOMPARE(changed.count(), 0);  // posted, not sent
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 1);
    }

    void endOfRunNotifiesAlsoWithoutFonts()
    {
        QSignalSpy changed(&platform::FontResources::instance(), &platform::FontResources::fontsChanged);
        app::destroyWindows();
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 1);
    }

    void loadRepaintsOnce()
    {
        prog->show();
        QVERIFY(QTest::qWaitForWindowExposed(prog));
        QCoreApplication::processEvents();
        gwtest::PaintCounter counter;
        prog->ListBox1->viewport()->installEventFilter(&counter);
        prog->ed_folder->setText(m_root);
        prog->cb_folder->click();
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 1);
    }

    void previewFromMenu()
    {
        prog->m_spgross->trigger();
        QVERIFY(fpreview->isVisible());
        QVERIFY(!prog->cb_schriftprobe->isChecked());
    }

    // Both sample boxes start in one face: the same family where MS Sans Serif is missing.
    void sampleBoxesShowOneFace()
    {
        QCOMPARE(QFontInfo(prog->Memo1->font()).family(), QFontInfo(fpreview->Memo2->font()).family());
    }

    void screenshots()
    {
        start->show();
        prog->show();
        QVERIFY(QTest::qWaitForWindowExposed(prog));
        for (QWidget *w : {static_cast<QWidget *>(start), static_cast<QWidget *>(prog)}) {
            const QImage shot = w->grab().toImage();
            QSet<QRgb> colours;
            for (int y = 0; y < shot.height(); y += 3)
                for (int x = 0; x < shot.width(); x += 3)
                    colours.insert(shot.pixel(x, y));
            QVERIFY2(colours.size() > 8, qPrintable(w->objectName()));
            QVERIFY(shot.save(QDir::current().filePath(w->objectName() + QStringLiteral(".png"))));
        }
        prog->mdeClick();
        QVERIFY(prog->grab().save(QDir::current().filePath(QStringLiteral("prog_de.png"))));
    }
};

GW_TEST_MAIN_APP(TestMainWindow)
#include "tst_mainwindow.moc"
