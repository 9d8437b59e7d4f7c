#include "app/Tprog.h"
#include "app/Windows.h"
#include "output/LineSetter.h"
#include "output/PrintSheet.h"
#include "output/Teinst.h"
#include "output/Tstatus.h"
#include "platform/Printer.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtMath>

#include <algorithm>

#include <sys/resource.h>


using dialogs::PrintChoice;

namespace {

QString pdfValue(const QString &path, const QString &key)
{
    const QString info = gwtest::toolOutput(QStringLiteral("pdfinfo"), {path});
    const QRegularExpression re(QStringLiteral("^%1:\\s*(.*)$").arg(key), QRegularExpression::MultilineOption);
    return re.match(info).captured(1).trimmed();
}

int pdfPages(const QString &path)
{
    return pdfValue(path, QStringLiteral("Pages")).toInt();
}

QString pdfText(const QString &path, int page)
{
    return gwtest::pdfText({QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                           QStringLiteral("-layout"), path, QStringLiteral("-")});
}

// The running numbers of the lines on one page.
QList<int> lineNumbers(const QString &text)
{
    QList<int> numbers;
    const QRegularExpression re(QStringLiteral("(\\d+)\\s+--"));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = re.match(line);
        if (m.hasMatch())
            numbers << m.captured(1).toInt();
    }
    return numbers;
}

/// The fonts `pdffonts` lists for `path`: each name (without its subset prefix) with its "emb"
/// column.
QHash<QString, QString> embeddedFonts(const QString &path)
{
    const QStringList lines = gwtest::toolOutput(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'));
    QHash<QString, QString> fonts;
    if (lines.size() < 2)
        return fonts;
    // The second line underlines each column with dashes: the columns' extents.
    QList<std::pair<qsizetype, qsizetype>> columns;
    const QRegularExpression dashes(QStringLiteral("-+"));
    for (auto it = dashes.globalMatch(lines.at(1)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        columns.append({m.capturedStart(), m.capturedLength()});
    }
    if (columns.size() < 4)
        return fonts;
    for (const QString &line : lines.mid(2)) {
        if (line.trimmed().isEmpty())
            continue;
        const QString name = line.mid(columns.at(0).first, columns.at(0).second).trimmed();
        fonts.insert(name.section(QLatin1Char('+'), -1), line.mid(columns.at(3).first, columns.at(3).second).trimmed());
    }
    return fonts;
}

/// Every page and word of the PDF `path` with its place, as `pdftotext -bbox` gives them.
QStringList wordBoxes(const QString &path)
{
    const QStringList lines = gwtest::pdfText({QStringLiteral("-bbox"), path, QStringLiteral("-")})
                                  .split(QLatin1Char('\n'));
    return lines.filter(QRegularExpression(QStringLiteral("<(page|word) ")));
}

/// Page `page` of the PDF `path` rendered at 100 dots per inch.
QImage pdfPageImage(const QString &path, int page)
{
    const QString prefix = path + QStringLiteral("-page%1").arg(page);
    gwtest::toolOutput(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
                                                    QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                    QString::number(page), QStringLiteral("-singlefile"), path, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}



/// The pixels of an image in colour (far from any grey): how many, and the rectangle around them.
struct Coloured
{
    int count = 0;
    QRect box;
};

Coloured colouredPixels(const QImage &image, const QRect &area)
{
    Coloured coloured;
    const QRect within = area.intersected(image.rect());
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 80) {
                ++coloured.count;
                coloured.box |= QRect(x, y, 1, 1);
            }
        }
    }
    return coloured;
}

QString fontFile(const char *package, const char *fileName)
{
    return gwtest::packageFontFile(QString::fromLatin1(package), QString::fromLatin1(fileName));
}

PrintChoice range(int from, int to)
{
    PrintChoice choice;
    choice.accepted = true;
    choice.pageNumbers = true;
    choice.from = from;
    choice.to = to;
    return choice;
}

} // namespace

class TestPrintSheet : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_pdf;

    void fill(const QStringList &entries)
    {
        prog->ListBox1->clear();
        prog->ListBox1->addItems(entries);
    }

    // A sheet of 60 lines of 48 points: several pages.
    void fillLongSheet()
    {
        fill(QStringList(60, QStringLiteral("DejaVu Sans")));
        einst->Edit5->setEditText(QStringLiteral("48"));
        prog->cd1->setEditText(QStringLiteral("Sample"));
    }

    // Lists the font files of `folder` alone, as the program loads a folder.
    void loadFolder(const QString &folder)
    {
        prog->cb_system->setChecked(false);
        prog->cb_folder->setChecked(true);
        prog->ed_folder->setText(folder);
        prog->SchriftenNeuLadenClick();
    }

    // Copies of installed fonts under names of their own (full name = family), in a folder.
    QString makeFolder(const QString &name, const QList<std::pair<QString, QString>> &fonts)
    {
        const QString folder = m_dir.filePath(name);
        for (const auto &[source, family] : fonts) {
            if (!gwtest::makeRenamedFont(source, folder + QLatin1Char('/') + family + QStringLiteral(".ttf"), family,
                                         QStringLiteral("Regular"), family))
                return {};
        }
        return folder;
    }

    void printTo(const QString &target)
    {
        const int index = prog->cbdrucker->findText(target);
        if (index >= 0) {
            prog->cbdrucker->setCurrentIndex(index);
        } else {
            prog->cbdrucker->addItem(target);
            prog->cbdrucker->setCurrentIndex(prog->cbdrucker->count() - 1);
        }
        // A real click, so that a failure goes through the application's error report.
        prog->show();
        QTest::mouseClick(prog->Button1, Qt::LeftButton);
    }

private slots:
    void init()
    {
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
        m_pdf = m_dir.filePath(QStringLiteral("sheet%1.pdf").arg(QTest::currentDataTag()).remove(QLatin1Char(' ')));
        QFile::remove(m_pdf);
        platform::Printer::instance().setPdfOutput(m_pdf);
    }

    void cleanup()
    {
        platform::Printer::instance().setPdfOutput(QString());
        app::destroyWindows();
    }

    void emptyListGivesOneEmptyPage_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("title");
        QTest::newRow("en") << false << "Font List From Velmont Media Glyphworks";
        QTest::newRow("de") << true << "Schriftliste vom Velmont Media Glyphwerk";
    }
    void emptyListGivesOneEmptyPage()
    {
        QFETCH(bool, german);
        QFETCH(QString, title);
        if (german)
            prog->mdeClick();
        fill({});
        printTo(prog->cbdrucker->itemText(0));
        QCOMPARE(pdfPages(m_pdf), 1);
        QCOMPARE(pdfValue(m_pdf, QStringLiteral("Title")), title);
        QCOMPARE(pdfText(m_pdf, 1).trimmed(), QString());
        QVERIFY(dialogs::shown().isEmpty());
    }

    void linesAndPages()
    {
        fillLongSheet();
        printTo(QStringLiteral("Standard Printer"));
        const int pages = pdfPages(m_pdf);
        QVERIFY2(pages >= 5, qPrintable(QString::number(pages)));
        QList<int> all;
        for (int page = 1; page <= pages; ++page)
            all += lineNumbers(pdfText(m_pdf, page));
        QList<int> expected;
        for (int i = 1; i <= 60; ++i)
            expected << i;
        QCOMPARE(all, expected);
        QVERIFY(pdfValue(m_pdf, QStringLiteral("Page size")).contains(QLatin1String("595")));
    }

    // With a top margin near the page's foot, every line takes a page of its own, and the last
    // line leaves no empty page behind it.
    void noEmptyPageAfterTheLastLine_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("direct") << "Standard Printer";
        QTest::newRow("print dialog") << "Printer Dialog with Options";
    }
    void noEmptyPageAfterTheLastLine()
    {
        QFETCH(QString, target);
        fill(QStringList(3, QStringLiteral("DejaVu Sans")));
        einst->Edit3->setText(QStringLiteral("6600"));
        if (target.startsWith(QLatin1String("Printer Dialog"))) {
            PrintChoice all;
            all.accepted = true;
            dialogs::setNextAnswer(QVariant::fromValue(all));
        }
        printTo(target);
        QCOMPARE(pdfPages(m_pdf), 3);
    }

    // Numbers that leave every line off the page are refused before a job begins; what lies just
    // within the page is drawn (A4 at 600 dpi).
    void numbersOffThePage_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("problem");
        QTest::newRow("defaults") << 8 << 5 << 250 << 200 << "";
        QTest::newRow("a page high") << 700 << 5 << 250 << 200 << "";
        QTest::newRow("largest size") << 1638 << 5 << 250 << 200 << "font size (1638 points";
        QTest::newRow("size 0") << 0 << 5 << 250 << 200 << "font size 0";
        QTest::newRow("size 10000") << 10000 << 5 << 250 << 200 << "font size 10000";
        QTest::newRow("spacing past the foot") << 8 << 99999999 << 250 << 200 << "line spacing (99999999)";
        QTest::newRow("top past the foot") << 8 << 5 << 2000000000 << 200 << "top margin (2000000000)";
        QTest::newRow("German") << 1638 << 5 << 250 << 200 << "Schriftgröße (1638 Punkt";
        QTest::newRow("left past the edge") << 8 << 5 << 250 << 99999999 << "left margin (99999999)";
    }
    void numbersOffThePage()
    {
        QFETCH(int, size);
        QFETCH(int, spacing);
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(QString, problem);
        if (QByteArrayView(QTest::currentDataTag()) == "German")
            prog->mdeClick();
        fill({QStringLiteral("DejaVu Sans")});
        einst->Edit5->setEditText(QString::number(size));
        einst->Edit1->setText(QString::number(spacing));
        einst->Edit3->setText(QString::number(top));
        einst->Edit2->setText(QString::number(left));
        printTo(QStringLiteral("Standard Printer"));
        if (problem.isEmpty()) {
            QVERIFY(dialogs::shown().isEmpty());
            QVERIFY(!pdfText(m_pdf, 1).trimmed().isEmpty());
            return;
        }
        // The refusal is the run's error: in the error box, and no job was printed.
        QCOMPARE(dialogs::shown().size(), 1);
        QVERIFY2(dialogs::shown().constFirst().text.contains(problem), qPrintable(dialogs::shown().constFirst().text));
        QVERIFY(!QFileInfo::exists(m_pdf));
    }

    void dialogPageRange()
    {
        fillLongSheet();
        printTo(QStringLiteral("Standard Printer"));
        const QList<int> sheetPage2 = lineNumbers(pdfText(m_pdf, 2));
        const QList<int> sheetPage3 = lineNumbers(pdfText(m_pdf, 3));
        QVERIFY(!sheetPage2.isEmpty());

        const QString ranged = m_dir.filePath(QStringLiteral("range.pdf"));
        platform::Printer::instance().setPdfOutput(ranged);
        dialogs::setNextAnswer(QVariant::fromValue(range(2, 3)));
        printTo(QStringLiteral("Printer Dialog with Options"));
        QCOMPARE(pdfPages(ranged), 2);
        QCOMPARE(lineNumbers(pdfText(ranged, 1)), sheetPage2);
        QCOMPARE(lineNumbers(pdfText(ranged, 2)), sheetPage3);

        // The from page is kept for the next showing; the highest page is always 25.
        const QString beyond = m_dir.filePath(QStringLiteral("beyond.pdf"));
        platform::Printer::instance().setPdfOutput(beyond);
        dialogs::setNextAnswer(QVariant::fromValue(range(20, 25)));
        printTo(QStringLiteral("Printer Dialog with Options"));
        QCOMPARE(dialogs::shown().last().text, QStringLiteral("1-25 from 2"));
        QCOMPARE(pdfPages(beyond), 1);
        QCOMPARE(pdfText(beyond, 1).trimmed(), QString());
    }

    // Copies chosen in the print dialog count for that dialog's job only.
    void directJobAfterDialogIsOneCopy_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("standard") << "Standard Printer";
        QTest::newRow("named") << "No Such Printer";
    }
    void directJobAfterDialogIsOneCopy()
    {
        QFETCH(QString, target);
        fill({QStringLiteral("DejaVu Sans")});
        PrintChoice three;
        three.accepted = true;
        three.copies = 3;
        dialogs::setNextAnswer(QVariant::fromValue(three));
        printTo(QStringLiteral("Printer Dialog with Options"));
        QCOMPARE(platform::Printer::instance().lastJob().copies, 3);
        printTo(target);
        QVERIFY(dialogs::shown().size() == 1);
        QCOMPARE(platform::Printer::instance().lastJob().copies, 1);
    }

    void cancelledDialogPrintsNothing()
    {
        fill({QStringLiteral("DejaVu Sans")});
        dialogs::setNextAnswer(QVariant::fromValue(PrintChoice()));
        printTo(QStringLiteral("Printer Dialog with Options"));
        QVERIFY(!QFileInfo::exists(m_pdf));
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Print);
    }

    void landscape()
    {
        fill({QStringLiteral("DejaVu Sans")});
        einst->or_quer->setChecked(true);
        printTo(QStringLiteral("Standard Printer"));
        const QStringList size = pdfValue(m_pdf, QStringLiteral("Page size")).split(QLatin1Char(' '));
        QVERIFY(size.size() >= 3);
        QVERIFY(size.at(0).toDouble() > size.at(2).toDouble());
    }

    void lineForms_data()
    {
        QTest::addColumn<bool>("standardName");
        QTest::addColumn<QStringList>("fonts");
        QTest::newRow("form A") << false << QStringList{"DejaVuSerif", "DejaVuSans-Bold"};
        QTest::newRow("form B") << true << QStringList{"DejaVuSerif", "DejaVuSans-Bold", "LiberationSans"};
    }
    void lineForms()
    {
        QFETCH(bool, standardName);
        QFETCH(QStringList, fonts);
        // A family name and a full name: each line is drawn in its entry's own face.
        fill({QStringLiteral("DejaVu Serif"), QStringLiteral("DejaVu Sans Bold")});
        einst->cb_stdname->setChecked(standardName);
        printTo(QStringLiteral("Standard Printer"));
        const QString listing = gwtest::toolOutput(QStringLiteral("pdffonts"), {m_pdf});
        QStringList used;
        for (const QString &line : listing.split(QLatin1Char('\n')).mid(2)) {
            const QString name = line.section(QLatin1Char(' '), 0, 0);
            if (!name.isEmpty())
                used << name.section(QLatin1Char('+'), -1);
        }
        used.removeDuplicates();
        used.sort();
        fonts.sort();
        QCOMPARE(used, fonts);
        const QString text = pdfText(m_pdf, 1);
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("1\\s+--\\s+DejaVu Serif\\s+--\\s+Anton"))));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("2\\s+--\\s+DejaVu Sans Bold\\s+--\\s+Anton"))));
    }

    // Folder fonts are drawn from their files and embedded as fonts of their own: every line's
    // text can be extracted, and each file's face is listed as embedded.
    void folderFontsEmbedded()
    {
        const QString folder = makeFolder(
            QStringLiteral("embedded"),
            {{fontFile("fonts-dejavu-core", "DejaVuSans.ttf"), QStringLiteral("Glyphworks Sheet Alpha")},
             {fontFile("fonts-liberation2", "LiberationSerif-Regular.ttf"), QStringLiteral("Glyphworks Sheet Beta")},
             {fontFile("fonts-noto-core", "NotoSans-Regular.ttf"), QStringLiteral("Glyphworks Sheet Gamma")}});
        QVERIFY(!folder.isEmpty());
        loadFolder(folder);
        QCOMPARE(prog->ListBox1->count(), 3);
        prog->cd1->setEditText(QStringLiteral("Quizdeltagerne"));
        printTo(QStringLiteral("Standard Printer"));
        QVERIFY(dialogs::shown().isEmpty());

        const QString text = pdfText(m_pdf, 1);
        const QHash<QString, QString> fonts = embeddedFonts(m_pdf);
        int line = 0;
        for (const char *name : {"Alpha", "Beta", "Gamma"}) {
            const QString family = QStringLiteral("Glyphworks Sheet ") + QLatin1String(name);
            const QString path = folder + QLatin1Char('/') + family + QStringLiteral(".ttf");
            const QRegularExpression expected(QStringLiteral("^%1\\s+--\\s+%2\\s+--\\s+%3\\s+--\\s+Quizdeltagerne$")
                                                  .arg(++line)
                                                  .arg(family, QRegularExpression::escape(path)),
                                              QRegularExpression::MultilineOption);
            QVERIFY2(text.contains(expected), qPrintable(text));
            const QString postscript = QString(family).replace(QLatin1Char(' '), QLatin1Char('-'));
            QVERIFY2(fonts.value(postscript) == QLatin1String("yes"), qPrintable(postscript));
        }
    }

    // A file with a regular face only, printed bold or italic: the printed line has more ink, or
    // its upright strokes lean, against the same line printed plain.
    void synthesisedStyles_data()
    {
        QTest::addColumn<bool>("bold");
        QTest::newRow("bold") << true;
        QTest::newRow("italic") << false;
    }
    void synthesisedStyles()
    {
        QFETCH(bool, bold);
        const QString folder =
            makeFolder(QStringLiteral("regular"), {{fontFile("fonts-dejavu-core", "DejaVuSans.ttf"),
                                                    QStringLiteral("Glyphworks Sheet Upright")}});
        QVERIFY(!folder.isEmpty());
        loadFolder(folder);
        QCOMPARE(prog->ListBox1->count(), 1);
        // The sample alone, of upright strokes.
        for (QCheckBox *label : {einst->cb1, einst->cb2, einst->cb_verz, einst->cb_filename})
            label->setChecked(false);
        einst->Edit5->setEditText(QStringLiteral("24"));
        prog->cd1->setEditText(QStringLiteral("lllll"));
        printTo(QStringLiteral("Standard Printer"));
        const gwtest::Ink plain = gwtest::inkOf(pdfPageImage(m_pdf, 1));
        QVERIFY(plain.amount > 200);

        const QString styledPdf = m_dir.filePath(QStringLiteral("styled-%1.pdf").arg(QTest::currentDataTag()));
        platform::Printer::instance().setPdfOutput(styledPdf);
        (bold ? einst->cb4 : einst->cb3)->setChecked(true);
        printTo(QStringLiteral("Standard Printer"));
        const gwtest::Ink styled = gwtest::inkOf(pdfPageImage(styledPdf, 1));
        const QString figures = QStringLiteral("ink %1 -> %2, lean %3 -> %4")
                                    .arg(plain.amount).arg(styled.amount).arg(plain.lean).arg(styled.lean);
        if (bold) {
            QVERIFY2(styled.amount > plain.amount * 1.1, qPrintable(figures));
            QVERIFY2(qAbs(styled.lean - plain.lean) < 0.05, qPrintable(figures));
        } else {
            QVERIFY2(styled.lean > plain.lean + 0.1, qPrintable(figures));
            QVERIFY2(qAbs(styled.amount - plain.amount) < plain.amount / 10, qPrintable(figures));
        }
        // The text stays text.
        QCOMPARE(pdfText(styledPdf, 1).trimmed(), QStringLiteral("lllll"));
    }

    // Glyphs in colour, as colour bitmaps or as layers of outlines, of a typeface drawn by name or
    // of a folder's file: on paper and in the PDF document they show in their colours where the
    // sample is, after the name, which stays text, as do the plain glyphs of a colour face.
    void colourGlyphs_data()
    {
        QTest::addColumn<QString>("entry"); // a typeface, or the family of a font file in a folder
        QTest::addColumn<QString>("file");  // empty for a typeface
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("text");  // what the text of the line reads, blanks folded
        // The least width of the two colour glyphs side by side at 100 dots per inch: each is about
        // an em wide (24 points: 33 pixels), the bitmaps a little more, the layers' shapes less.
        QTest::addColumn<int>("width");
        const QString emoji = QStringLiteral("Noto Color Emoji");
        const QString layers = QStringLiteral("Glyphworks Colour Layers");
        const QString printer = QStringLiteral("Standard Printer");
        const QString document = QStringLiteral("PDF-Document");
        QTest::newRow("bitmaps by name, printer") << emoji << QString() << printer << emoji + " --" << 65;
        QTest::newRow("bitmaps by name, PDF document") << emoji << QString() << document << emoji + " --" << 65;
        QTest::newRow("bitmaps from a folder, printer") << emoji << "bitmaps" << printer << emoji + " --" << 65;
        QTest::newRow("bitmaps from a folder, PDF document") << emoji << "bitmaps" << document << emoji + " --" << 65;
        QTest::newRow("layers from a folder, printer") << layers << "layers" << printer << layers + " -- ABC" << 50;
        QTest::newRow("layers from a folder, PDF document") << layers << "layers" << document << layers + " -- ABC" << 50;
    }
    void colourGlyphs()
    {
        QFETCH(QString, entry);
        QFETCH(QString, file);
        QFETCH(QString, target);
        QFETCH(QString, text);
        QFETCH(int, width);
        if (file.isEmpty()) {
            fill({entry});
        } else {
            const QString folder = m_dir.filePath(QStringLiteral("colour-") + file);
            QVERIFY(QDir().mkpath(folder));
            const QString path = folder + QStringLiteral("/colour.ttf");
            QFile::remove(path);
            if (file == QLatin1String("bitmaps")) {
                QVERIFY(QFile::copy(fontFile("fonts-noto-color-emoji", "NotoColorEmoji.ttf"), path));
            } else {
                // No package holds a font of colour layers: one is made of a real font's shapes.
                gwtest::toolOutput(QStringLiteral("/usr/bin/python3"),
                                   {QStringLiteral(GW_SOURCE_DIR "/tests/output/make_colour_font.py"),
                                    fontFile("fonts-dejavu-core", "DejaVuSans.ttf"), path, entry});
                QVERIFY(QFileInfo(path).size() > 0);
            }
            loadFolder(folder);
            QCOMPARE(prog->ListBox1->count(), 1);
        }
        // The name and the sample.
        for (QCheckBox *label : {einst->cb1, einst->cb_verz, einst->cb_filename})
            label->setChecked(false);
        einst->cb2->setChecked(true);
        einst->Edit5->setEditText(QStringLiteral("24"));
        prog->cd1->setEditText(QStringLiteral("\U0001F600\U0001F389 ABC"));
        QString pdf = m_pdf;
        if (target == QLatin1String("PDF-Document")) {
            pdf = m_dir.filePath(QStringLiteral("colour-%1.pdf").arg(QTest::currentDataTag()).remove(QLatin1Char(' ')));
            dialogs::setNextAnswer(pdf);
        }
        printTo(target);
        QCOMPARE(dialogs::shown().size(), target == QLatin1String("PDF-Document") ? 1 : 0);

        QCOMPARE(pdfText(pdf, 1).simplified(), text);
        // The sample begins after the separator that ends the label.
        const QStringList words = wordBoxes(pdf).filter(QStringLiteral(">--</word>"));
        QCOMPARE(words.size(), 1);
        const QRegularExpressionMatch box =
            QRegularExpression(QStringLiteral("xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\"")).match(words.first());
        QVERIFY(box.hasMatch());
        const int labelEnd = qCeil(box.captured(1).toDouble() * 100 / 72);
        const int bottom = qRound(box.captured(2).toDouble() * 100 / 72);
        const QImage page = pdfPageImage(pdf, 1);
        const Coloured atSample = colouredPixels(page, QRect(labelEnd, bottom - 50, 200, 60));
        const int elsewhere = colouredPixels(page, page.rect()).count - atSample.count;
        // Side by side, however often the same face was printed before in this process.
        const QString figures = QStringLiteral("%1 coloured pixels at the sample, %2 wide, %3 elsewhere")
                                    .arg(atSample.count).arg(atSample.box.width()).arg(elsewhere);
        QVERIFY2(atSample.count > 600 && atSample.box.width() >= width && elsewhere == 0, qPrintable(figures));
    }

    // Listed font files that became a FIFO, a device link, half a file, another font or nothing:
    // the sheet is printed at once (a read that blocks would end the test by its time limit),
    // each of their lines set in the standard font and marked in the interface language.
    void hostileFilesOnTheSheet_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("mark");
        QTest::newRow("en") << false << " (unreadable)";
        QTest::newRow("de") << true << " (nicht lesbar)";
    }
    void hostileFilesOnTheSheet()
    {
        QFETCH(bool, german);
        QFETCH(QString, mark);
        QCOMPARE(output::unusableFileMark(german), mark);
        const QString dejavu = fontFile("fonts-dejavu-core", "DejaVuSans.ttf");
        // The good file's name sorts first: it stands on the first line.
        QList<std::pair<QString, QString>> fonts = {{dejavu, QStringLiteral("Glyphworks Hostile A Good")}};
        for (const QString &kind : gwtest::kHostileKinds)
            fonts.append({dejavu, QStringLiteral("Glyphworks Hostile ")
                                      + QString(kind).replace(QLatin1Char(' '), QLatin1Char('-'))});
        const QString folder = makeFolder(QStringLiteral("hostile-") + QLatin1String(QTest::currentDataTag()), fonts);
        QVERIFY(!folder.isEmpty());
        if (german)
            prog->mdeClick();
        loadFolder(folder);
        QCOMPARE(prog->ListBox1->count(), fonts.size());
        for (qsizetype i = 1; i < fonts.size(); ++i)
            QVERIFY(gwtest::makeHostile(folder + QLatin1Char('/') + fonts.at(i).second + QStringLiteral(".ttf"),
                                gwtest::kHostileKinds.at(i - 1), fontFile("fonts-dejavu-core", "DejaVuSerif.ttf")));
        prog->cd1->setEditText(QStringLiteral("Quizdeltagerne"));
        printTo(german ? QStringLiteral("Standarddrucker") : QStringLiteral("Standard Printer"));
        QVERIFY(dialogs::shown().isEmpty());

        const QString text = pdfText(m_pdf, 1);
        for (qsizetype i = 0; i < fonts.size(); ++i) {
            const QString family = fonts.at(i).second;
            const QString path = folder + QLatin1Char('/') + family + QStringLiteral(".ttf");
            const QRegularExpression line(QStringLiteral("^\\d+\\s+--\\s+%1\\s+--\\s+%2\\s+--\\s+Quizdeltagerne(.*)$")
                                              .arg(family, QRegularExpression::escape(path)),
                                          QRegularExpression::MultilineOption);
            const QRegularExpressionMatch match = line.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(text));
            QCOMPARE(match.captured(1), i == 0 ? QString() : mark);
        }
    }

    void invalidNumberEndsTheRunFirst_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty left margin") << "Edit2" << "";
        QTest::newRow("pasted letters") << "Edit1" << "12a";
        QTest::newRow("too large") << "Edit4" << "2147483648";
    }
    void invalidNumberEndsTheRunFirst()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        fill({QStringLiteral("DejaVu Sans")});
        einst->findChild<QLineEdit *>(field)->setText(text);
        printTo(QStringLiteral("Standard Printer"));
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Error);
        QCOMPARE(dialogs::shown().first().text, QStringLiteral("'%1' is not a valid integer value").arg(text));
        QVERIFY(!QFileInfo::exists(m_pdf));
    }

    // The PDF target asks for its file first: cancelled, it writes nothing and prints nothing.
    void pdfTargetCancelledWritesNothing()
    {
        fill({QStringLiteral("DejaVu Sans")});
        dialogs::setNextAnswer(QString());
        printTo(QStringLiteral("PDF-Writer"));
        QVERIFY(!QFileInfo::exists(m_pdf));
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Save);
        QCOMPARE(dialogs::shown().first().text, QStringLiteral("PDF (*.pdf)|*.pdf"));
    }

    // The PDF document is the direct print of the same sheet: the same pages with the same text
    // in the same places, every font embedded (folder fonts under their own names), with the
    // job's title and the program as its creator.
    void pdfDocumentIsTheDirectPrint_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<int>("fontLines");
        QTest::newRow("long sheet") << false << false << false << 0;
        QTest::newRow("landscape, german") << true << true << false << 0;
        QTest::newRow("folder fonts") << false << false << true << 0;
        // The fonts written out and let go of at page breaks as the print and the document go: the
        // same pages.
        QTest::newRow("long sheet, fonts written as it goes") << false << false << false << 7;
        QTest::newRow("landscape, german, fonts written as it goes") << true << true << false << 20;
    }
    void pdfDocumentIsTheDirectPrint()
    {
        QFETCH(bool, german);
        QFETCH(bool, landscape);
        QFETCH(bool, folder);
        QFETCH(int, fontLines);
        output::setFontLinesHeld(fontLines);
        const auto fontsAtTheEnd = qScopeGuard([] { output::setFontLinesHeld(0); });
        QStringList postscriptNames;
        if (folder) {
            const QString path = makeFolder(
                QStringLiteral("pdf"),
                {{fontFile("fonts-dejavu-core", "DejaVuSans.ttf"), QStringLiteral("Glyphworks Pdf Alpha")},
                 {fontFile("fonts-liberation2", "LiberationSerif-Regular.ttf"), QStringLiteral("Glyphworks Pdf Beta")}});
            QVERIFY(!path.isEmpty());
            loadFolder(path);
            postscriptNames = QStringList{QStringLiteral("Glyphworks-Pdf-Alpha"), QStringLiteral("Glyphworks-Pdf-Beta")};
        } else {
            fillLongSheet();
            prog->ListBox1->item(1)->setText(QStringLiteral("DejaVu Serif"));
        }
        if (german)
            prog->mdeClick();
        einst->or_quer->setChecked(landscape);
        printTo(prog->cbdrucker->itemText(0));
        const QString exported = m_dir.filePath(QStringLiteral("export-%1.pdf").arg(QTest::currentDataTag()));
        dialogs::setNextAnswer(exported);
        printTo(german ? QStringLiteral("PDF-Dokument") : QStringLiteral("PDF-Document"));
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Save);

        const int pages = pdfPages(m_pdf);
        QCOMPARE(pdfPages(exported), pages);
        QCOMPARE(pdfValue(exported, QStringLiteral("Page size")), pdfValue(m_pdf, QStringLiteral("Page size")));
        for (int page = 1; page <= pages; ++page)
            QCOMPARE(pdfText(exported, page), pdfText(m_pdf, page));
        QCOMPARE(wordBoxes(exported), wordBoxes(m_pdf));
        QVERIFY(pdfText(exported, 1).contains(QRegularExpression(QStringLiteral("^1\\s+--\\s+\\S"),
                                                                 QRegularExpression::MultilineOption)));
        QCOMPARE(pdfValue(exported, QStringLiteral("Title")), pdfValue(m_pdf, QStringLiteral("Title")));
        QCOMPARE(pdfValue(exported, QStringLiteral("Creator")),
                 german ? QStringLiteral("Glyphwerk") : QStringLiteral("Glyphworks"));
        const QHash<QString, QString> fonts = embeddedFonts(exported);
        QCOMPARE(fonts.size(), embeddedFonts(m_pdf).size());
        QVERIFY(fonts.size() >= 2);
        for (auto it = fonts.cbegin(); it != fonts.cend(); ++it)
            QVERIFY2(it.value() == QLatin1String("yes"), qPrintable(it.key()));
        for (const QString &name : postscriptNames)
            QVERIFY2(fonts.contains(name), qPrintable(name));
        // Fonts written out as the document goes are embedded again for the pages after.
        if (fontLines > 0)
            QVERIFY(gwtest::toolOutput(QStringLiteral("pdffonts"), {exported}).count(QStringLiteral("DejaVuSans ")) > 1);
    }

    // A file that cannot be written (the disk full, the folder missing) is reported with its name
    // and the system's reason; an earlier file stays as it was and no temporary file is left. A run
    // aborted from the progress window writes nothing.
    void pdfFailureOrAbortKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full") << "full/sheet.pdf" << "File too large";
        QTest::newRow("missing folder") << "missing/sheet.pdf" << "No such file or directory";
        QTest::newRow("aborted") << "aborted/sheet.pdf" << QString();
    }
    void pdfFailureOrAbortKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const QString path = m_dir.filePath(name);
        const QString folder = QFileInfo(path).path();
        const bool missing = reason.startsWith(QLatin1String("No such"));
        if (!missing)
            QVERIFY(gwtest::writeFile(path, QByteArray("earlier")));
        fillLongSheet();
        dialogs::setNextAnswer(path);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4000;
        if (reason.startsWith(QLatin1String("File too large")))
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        // The abort button is pressed while the first line is set.
        if (reason.isEmpty())
            QMetaObject::invokeMethod(status, &Tstatus::BreakClick, Qt::QueuedConnection);
        printTo(QStringLiteral("PDF-Document"));
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!status->isVisible());
        QVERIFY(prog->isEnabled());
        if (reason.isEmpty()) {
            QCOMPARE(dialogs::shown().size(), 1);
        } else {
            QCOMPARE(dialogs::shown().size(), 2);
            QCOMPARE(dialogs::shown().last().kind, dialogs::DialogKind::Error);
            const QString message = dialogs::shown().last().text;
            QVERIFY2(message.startsWith(QStringLiteral("The PDF document could not be saved as \"%1\".").arg(path))
                         && message.contains(reason),
                     qPrintable(message));
        }
        if (!missing) {
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("sheet.pdf")});
            QFile earlier(path);
            QVERIFY(earlier.open(QIODevice::ReadOnly));
            QCOMPARE(earlier.readAll(), QByteArray("earlier"));
        }
    }

    void settingsReadFromTheDialog()
    {
        // Typed but not confirmed: the fields count for the run; the separator only once committed.
        fill({QStringLiteral("DejaVu Sans")});
        einst->ed6->setText(QStringLiteral(" ## "));
        einst->cb2->setChecked(false);
        prog->cd1->setEditText(QStringLiteral("Probe"));
        QCOMPARE(prog->GetText1(0), QStringLiteral("1  --  "));
        QCOMPARE(prog->GetText2(0), QStringLiteral("Probe"));
        prog->Label16->setText(QStringLiteral(" ## "));
        QCOMPARE(prog->GetText1(0), QStringLiteral("1 ## "));
    }
};

GW_TEST_MAIN_APP(TestPrintSheet)
#include "tst_printsheet.moc"
