#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "fonts/FontListView.h"
#include "output/ImageSheet.h"
#include "output/LineSetter.h"
#include "output/Teinst.h"
#include "output/Tstatus.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>


using dialogs::Answer;

namespace {

// One band of rows with ink: a line of the sheet.
struct Band
{
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
};

QList<Band> inkBands(const QImage &image)
{
    QList<Band> bands;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        int left = -1;
        int right = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 160) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left >= 0) {
            if (!inBand)
                bands.append({y, y, left, right});
            Band &b = bands.last();
            b.bottom = y;
            b.left = qMin(b.left, left);
            b.right = qMax(b.right, right);
        }
        inBand = left >= 0;
    }
    return bands;
}


QString dejavu(const char *fileName)
{
    return gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), QString::fromLatin1(fileName));
}

} // namespace

class TestImageSheet : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_h = 0; // line height of "DejaVu Sans" at 8 points on the screen
    int m_s = 5;

    void fill(int entries)
    {
        prog->ListBox1->clear();
        prog->ListBox1->addItems(QStringList(entries, QStringLiteral("DejaVu Sans")));
        prog->cd1->setEditText(QStringLiteral("Sample"));
    }

    void exportTo(const QString &target)
    {
        prog->cbdrucker->addItem(target);
        prog->cbdrucker->setCurrentIndex(prog->cbdrucker->count() - 1);
        QTest::mouseClick(prog->Button1, Qt::LeftButton);
    }

    // The height of the image once line i (0-based) is set.
    int heightAfter(int i) const { return 20 + (i + 1) * (m_h + m_s) + m_h + 20; }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A folder of copies of DejaVu Sans under the names `families`, listed alone as the program
    // loads a folder.
    QString loadFolder(const QString &name, const QStringList &families)
    {
        const QString folder = path(name);
        for (const QString &family : families)
            if (!gwtest::makeRenamedFont(dejavu("DejaVuSans.ttf"),
                                         folder + QLatin1Char('/') + family + QStringLiteral(".ttf"), family,
                                         QStringLiteral("Regular"), family))
                return {};
        prog->cb_system->setChecked(false);
        prog->cb_folder->setChecked(true);
        prog->ed_folder->setText(folder);
        prog->SchriftenNeuLadenClick();
        return folder;
    }

    void verifyWindowsBack()
    {
        QVERIFY(prog->isEnabled());
        QVERIFY(!status->isVisible());
    }

private slots:
    void init()
    {
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
        prog->show();
        einst->cb_stdname->setChecked(false);
        const int dpm = int(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 0.0254));
        QImage device(1, 1, QImage::Format_RGB32);
        device.setDotsPerMeterX(dpm);
        device.setDotsPerMeterY(dpm);
        m_h = output::LineSetter(&device, 8, false, false)
                  .measure({QString(), QString(), QStringLiteral("DejaVu Sans"), false, QString()})
                  .height;
        QVERIFY(m_h > 5);
    }

    void cleanup()
    {
        output::setImageLimits(output::ImageLimits());
        app::destroyWindows();
    }

    void emptyList()
    {
        fill(0);
        dialogs::setNextAnswer(path(QStringLiteral("empty.bmp")));
        exportTo(QStringLiteral("BMP-Image"));
        QCOMPARE(QImage(path(QStringLiteral("empty.bmp"))).size(), QSize(20, 40));
        verifyWindowsBack();
    }

    void oneLine_data()
    {
        QTest::addColumn<bool>("formB");
        QTest::newRow("form A") << false;
        QTest::newRow("form B") << true;
    }
    void oneLine()
    {
        QFETCH(bool, formB);
        fill(1);
        einst->cb_stdname->setChecked(formB);
        const int dpm = int(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 0.0254));
        QImage device(1, 1, QImage::Format_RGB32);
        device.setDotsPerMeterX(dpm);
        device.setDotsPerMeterY(dpm);
        const output::LineMetrics m = output::LineSetter(&device, 8, false, false)
                                          .measure({prog->GetText1(0), prog->GetText2(0),
                                                    QStringLiteral("DejaVu Sans"), formB, QString()});
        const QString file = path(QStringLiteral("one%1.bmp").arg(formB));
        dialogs::setNextAnswer(file);
        exportTo(QStringLiteral("BMP-Image"));
        const QImage image(file);
        QCOMPARE(image.size(), QSize(m.width + 40, 2 * m.height + m_s + 60));
        const QList<Band> bands = inkBands(image);
        QCOMPARE(bands.size(), 1);
        // The text cell's top-left corner stands at (20, 20 + s).
        QVERIFY(bands.first().top >= 20 + m_s && bands.first().top < 20 + m_s + m.height / 2);
        QVERIFY(bands.first().left >= 20 && bands.first().left <= 22);
        QVERIFY(bands.first().bottom < 20 + m_s + m.height);
        if (formB)
            QVERIFY(m.labelWidth > 0);
        verifyWindowsBack();
    }

    void abortAfterThreeLines()
    {
        fill(10);
        connect(status->stat, &QProgressBar::valueChanged, this, [](int value) {
            if (value == 2)
                QTest::mouseClick(status->Break, Qt::LeftButton);
        });
        dialogs::setNextAnswer(path(QStringLiteral("aborted.bmp")));
        exportTo(QStringLiteral("BMP-Image"));
        QCOMPARE(inkBands(QImage(path(QStringLiteral("aborted.bmp")))).size(), 3);
        verifyWindowsBack();
    }

    // Closing the main window during a run ends the run at once, as its abort button does;
    // the program is ending, so no image is offered or written.
    void closingTheMainWindowEndsTheRun()
    {
        fill(200);
        int lastLine = -1;
        connect(status->stat, &QProgressBar::valueChanged, this, [&lastLine](int value) {
            lastLine = value;
            if (value == 2)
                prog->close();
        });
        QSignalSpy ended(start, &Tstart::runEnded);
        dialogs::setNextAnswer(path(QStringLiteral("closed.bmp")));
        exportTo(QStringLiteral("BMP-Image"));
        QCOMPARE(lastLine, 2);
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("closed.bmp"))));
        QVERIFY(dialogs::shown().isEmpty());
        QCOMPARE(ended.count(), 1);
        QVERIFY(!status->isVisible());
    }

    void settingChangedDuringTheRun()
    {
        fill(4);
        connect(status->stat, &QProgressBar::valueChanged, this, [](int value) {
            if (value == 1)
                einst->cb1->setChecked(false);
        });
        dialogs::setNextAnswer(path(QStringLiteral("changed.bmp")));
        exportTo(QStringLiteral("BMP-Image"));
        const QList<Band> bands = inkBands(QImage(path(QStringLiteral("changed.bmp"))));
        QCOMPARE(bands.size(), 4);
        // Lines 1 and 2 carry the number; from the third line on it is gone, so they are shorter.
        QCOMPARE(bands.at(0).right, bands.at(1).right);
        QVERIFY(bands.at(2).right < bands.at(1).right);
        QCOMPARE(bands.at(2).right, bands.at(3).right);
    }

    void tooFewLinesForParts()
    {
        fill(10);
        output::ImageLimits limits;
        limits.maxHeight = heightAfter(3); // the fifth entry (f = 4) does not fit
        output::setImageLimits(limits);
        exportTo(QStringLiteral("BMP-Image"));
        QCOMPARE(dialogs::shownKinds(), QList{dialogs::DialogKind::ErrorQuestion});
        QVERIFY(dialogs::shown().first().text.endsWith(QLatin1String("Please select a smaller amount of fonts.")));
        verifyWindowsBack();
    }

    void splitIntoParts_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("seventh fails: 4 lines a part") << "BMP-Image" << 10 << 6 << "sheet.bmp"
                                                       << QStringList{"sheet0.bmp", "sheet1.bmp", "sheet2.bmp"}
                                                       << QList<int>{4, 4, 2};
        QTest::newRow("GIF names") << "GIF-Image" << 10 << 6 << "sheet.gif"
                                   << QStringList{"sheet0.gif", "sheet1.gif", "sheet2.gif"} << QList<int>{4, 4, 2};
        QTest::newRow("name without extension") << "BMP-Image" << 6 << 6 << "part"
                                                << QStringList{"part0.bmp", "part1.bmp"} << QList<int>{4, 2};
        QTest::newRow("beyond the hundredth: 100 lines a part") << "BMP-Image" << 150 << 120 << "big.bmp"
                                                                << QStringList{"big0.bmp", "big1.bmp"}
                                                                << QList<int>{100, 50};
    }
    void splitIntoParts()
    {
        QFETCH(QString, target);
        QFETCH(int, entries);
        QFETCH(int, failAt);
        QFETCH(QString, chosen);
        QFETCH(QStringList, parts);
        QFETCH(QList<int>, lines);
        fill(entries);
        output::ImageLimits limits;
        limits.maxHeight = failAt < entries ? heightAfter(failAt - 1) : heightAfter(failAt - 1) + 19;
        output::setImageLimits(limits);
        if (failAt >= entries) {
            // The whole list fits; saving it fails instead, with f = every entry drawn.
            limits.maxHeight = heightAfter(entries - 1) + 19;
            output::setImageLimits(limits);
        }
        dialogs::setNextAnswer(QVariant::fromValue(Answer::Ok));
        dialogs::setNextAnswer(path(chosen));
        exportTo(target);
        QCOMPARE(dialogs::shownKinds(), (QList{dialogs::DialogKind::ErrorQuestion, dialogs::DialogKind::Save}));
        QCOMPARE(dialogs::shown().last().text.left(3), target.left(3));
        for (int k = 0; k < parts.size(); ++k) {
            const QImage part(path(parts.at(k)));
            QVERIFY2(!part.isNull(), qPrintable(parts.at(k)));
            QCOMPARE(inkBands(part).size(), lines.at(k));
        }
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("%1%2%3").arg(output::withoutExtension(chosen)).arg(parts.size()).arg(parts.first().right(4)))));
        verifyWindowsBack();
    }

    void splitDeclinedOrNamelessWritesNothing_data()
    {
        QTest::addColumn<bool>("split");
        QTest::newRow("question cancelled") << false;
        QTest::newRow("name dialog cancelled") << true;
    }
    void splitDeclinedOrNamelessWritesNothing()
    {
        QFETCH(bool, split);
        fill(10);
        output::ImageLimits limits;
        limits.maxHeight = heightAfter(5);
        output::setImageLimits(limits);
        dialogs::setNextAnswer(QVariant::fromValue(split ? Answer::Ok : Answer::Cancel));
        dialogs::setNextAnswer(QString());
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        const QStringList cwdBefore = QDir::current().entryList(QDir::Files);
        exportTo(QStringLiteral("BMP-Image"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
        QCOMPARE(QDir::current().entryList(QDir::Files), cwdBefore);
        QCOMPARE(dialogs::shownKinds().size(), split ? 2 : 1);
        verifyWindowsBack();
    }

    // A file that cannot be written ends the run with the file and the reason, in one run as in
    // a split one: no memory message, no split offer, no further files.
    void writeFailureEndsTheRun_data()
    {
        QTest::addColumn<bool>("split");
        QTest::newRow("one image") << false;
        QTest::newRow("split run") << true;
    }
    void writeFailureEndsTheRun()
    {
        QFETCH(bool, split);
        fill(10);
        if (split) {
            output::ImageLimits limits;
            limits.maxHeight = heightAfter(5);
            output::setImageLimits(limits);
            dialogs::setNextAnswer(QVariant::fromValue(Answer::Ok));
        }
        const QString target = path(QStringLiteral("missing/sheet.bmp"));
        dialogs::setNextAnswer(target);
        exportTo(QStringLiteral("BMP-Image"));
        using dialogs::DialogKind;
        const QList<DialogKind> expected = split ? QList{DialogKind::ErrorQuestion, DialogKind::Save, DialogKind::Error}
                                                 : QList{DialogKind::Save, DialogKind::Error};
        QCOMPARE(dialogs::shownKinds(), expected);
        const QString message = dialogs::shown().last().text;
        QVERIFY2(message.contains(QLatin1String("could not be saved"))
                     && message.contains(split ? path(QStringLiteral("missing/sheet0.bmp")) : target)
                     && message.contains(QLatin1String("No such file or directory")),
                 qPrintable(message));
        verifyWindowsBack();
    }

    void germanMessages()
    {
        prog->mdeClick();
        fill(10);
        output::ImageLimits limits;
        limits.maxHeight = heightAfter(6);
        output::setImageLimits(limits);
        exportTo(QStringLiteral("JPG-Bild"));
        QCOMPARE(dialogs::shownKinds(), QList{dialogs::DialogKind::ErrorQuestion});
        QVERIFY(dialogs::shown().first().text.startsWith(
            QStringLiteral("Leider ist nicht genügend Speicher vorhanden, um alle Schriften\r\nauf einem Bild auszugeben. Es ist aber")));
    }

    // A file with a regular face only, drawn bold or italic: the line has more ink, or its
    // upright strokes lean, against the same line drawn plain; also at a size from which Qt
    // would leave bold out of its own drawing.
    void synthesisedStyles_data()
    {
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("size");
        QTest::newRow("bold") << true << QStringLiteral("24");
        QTest::newRow("bold, large") << true << QStringLiteral("60");
        QTest::newRow("italic") << false << QStringLiteral("24");
    }
    void synthesisedStyles()
    {
        QFETCH(bool, bold);
        QFETCH(QString, size);
        QVERIFY(!loadFolder(QStringLiteral("regular"), {QStringLiteral("Glyphworks Image Upright")}).isEmpty());
        QCOMPARE(prog->ListBox1->count(), 1);
        // The sample alone, of upright strokes.
        for (QCheckBox *label : {einst->cb1, einst->cb2, einst->cb_verz, einst->cb_filename})
            label->setChecked(false);
        einst->Edit5->setEditText(size);
        prog->cd1->setEditText(QStringLiteral("lllll"));
        const QString plainFile = path(QStringLiteral("plain-%1.bmp").arg(QTest::currentDataTag()));
        dialogs::setNextAnswer(plainFile);
        exportTo(QStringLiteral("BMP-Image"));
        const gwtest::Ink plain = gwtest::inkOf(QImage(plainFile));
        QVERIFY(plain.amount > 200);

        (bold ? einst->cb4 : einst->cb3)->setChecked(true);
        const QString styledFile = path(QStringLiteral("styled-%1.bmp").arg(QTest::currentDataTag()));
        dialogs::setNextAnswer(styledFile);
        exportTo(QStringLiteral("BMP-Image"));
        const gwtest::Ink styled = gwtest::inkOf(QImage(styledFile));
        const QString figures = QStringLiteral("ink %1 -> %2, lean %3 -> %4")
                                    .arg(plain.amount).arg(styled.amount).arg(plain.lean).arg(styled.lean);
        if (bold) {
            QVERIFY2(styled.amount > plain.amount * 1.1, qPrintable(figures));
            QVERIFY2(qAbs(styled.lean - plain.lean) < 0.05, qPrintable(figures));
        } else {
            QVERIFY2(styled.lean > plain.lean + 0.1, qPrintable(figures));
            QVERIFY2(qAbs(styled.amount - plain.amount) < plain.amount / 5, qPrintable(figures));
        }
        verifyWindowsBack();
    }

    // Listed font files that became a FIFO, a device link, half a file, another font (in place too)
    // or nothing: the image run ends at once (a read that blocks would end the test by its time limit), and
    // each of their lines is set in the standard font with the mark.
    void hostileFiles_data()
    {
        QTest::addColumn<bool>("german");
        QTest::newRow("en") << false;
        QTest::newRow("de") << true;
    }
    void hostileFiles()
    {
        QFETCH(bool, german);
        // The good file's name sorts first: it stands on the first line.
        const QStringList families = {QStringLiteral("Glyphworks Hostile A Good"),
                                      QStringLiteral("Glyphworks Hostile B"), QStringLiteral("Glyphworks Hostile C"),
                                      QStringLiteral("Glyphworks Hostile D"), QStringLiteral("Glyphworks Hostile E"),
                                      QStringLiteral("Glyphworks Hostile F"), QStringLiteral("Glyphworks Hostile G")};
        if (german)
            prog->mdeClick();
        const QString folder = loadFolder(QStringLiteral("hostile-%1").arg(QTest::currentDataTag()), families);
        QVERIFY(!folder.isEmpty());
        QCOMPARE(prog->ListBox1->count(), families.size());
        QStringList files;
        for (const QString &family : families)
            files << folder + QLatin1Char('/') + family + QStringLiteral(".ttf");
        // B a FIFO without a writer, C a link to a device, D half a file, E another font, F gone,
        // G another font written over it in place.
        for (int i = 1; i < families.size(); ++i)
            QVERIFY(gwtest::makeHostile(files.at(i), gwtest::kHostileKinds.at(i - 1), dejavu("DejaVuSerif.ttf")));

        prog->cd1->setEditText(QStringLiteral("Sample"));
        const QString file = path(QStringLiteral("hostile-%1.bmp").arg(QTest::currentDataTag()));
        dialogs::setNextAnswer(file);
        exportTo(german ? QStringLiteral("BMP-Bild") : QStringLiteral("BMP-Image"));
        const QList<Band> bands = inkBands(QImage(file));
        QCOMPARE(bands.size(), families.size());

        // Each line as wide as it measures: the hostile ones in the standard font with the mark.
        const int dpm = int(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 0.0254));
        QImage device(1, 1, QImage::Format_RGB32);
        device.setDotsPerMeterX(dpm);
        device.setDotsPerMeterY(dpm);
        const output::LineSetter setter(&device, 8, false, false, german);
        for (int i = 0; i < families.size(); ++i) {
            const fonts::FontListEntry entry = prog->ListBox1->entry(i);
            QCOMPARE(entry.path, files.at(i));
            const output::LineMetrics m =
                setter.measure({prog->GetText1(i), prog->GetText2(i), entry.name, false, files.at(i)});
            QCOMPARE(m.unusable, i > 0);
            QVERIFY(bands.at(i).right > 20 + m.width - 4 && bands.at(i).right <= 20 + m.width);
        }
        verifyWindowsBack();
    }

    void jpegSheet()
    {
        fill(5);
        dialogs::setNextAnswer(path(QStringLiteral("sheet.jpg")));
        exportTo(QStringLiteral("JPG-Image"));
        const QImage image(path(QStringLiteral("sheet.jpg")));
        QCOMPARE(image.height(), heightAfter(4) + 20);
        QCOMPARE(inkBands(image).size(), 5);
        verifyWindowsBack();
    }
};

GW_TEST_MAIN_APP(TestImageSheet)
#include "tst_imagesheet.moc"
