// The word-processor target driven through the output button, with a recording word processor
// in place of the real one: what is sent, in which order, with which values.

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontListView.h"
#include "output/Teinst.h"
#include "output/Tstatus.h"
#include "output/WordApplication.h"
#include "output/WordSheet.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"
#include "util/FilePaths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using output::PageOrientation;

namespace {

QString truth(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

// What the recording word processor saw, and how many of them are still referenced.
struct Record
{
    QStringList calls;
    int created = 0;
    int alive = 0;
    QString failOn;   ///< a call record that throws instead of being carried out
    bool unavailable = false;
};

Record record;

// Each operation is recorded under the word processor's member it stands for.
class Recorder : public output::WordProcessor
{
public:
    Recorder() { ++record.alive; }
    ~Recorder() override { --record.alive; }

    void documentsAdd() override { note(QStringLiteral("documents.add()")); }
    void setOrientation(PageOrientation orientation) override
    {
        note(QStringLiteral("ActiveDocument.PageSetup.Orientation := %1").arg(int(orientation)));
    }
    void setFontName(const QString &name) override { note(QStringLiteral("selection.font.Name := '%1'").arg(name)); }
    void setFontFile(const QString &path) override { note(QStringLiteral("selection.font.File := '%1'").arg(path)); }
    void setFontSize(int points) override { note(QStringLiteral("selection.font.size := %1").arg(points)); }
    void setFontBold(bool bold) override { note(QStringLiteral("selection.font.bold := ") + truth(bold)); }
    void setFontItalic(bool italic) override { note(QStringLiteral("selection.font.italic := ") + truth(italic)); }
    void typeText(const QString &text) override { note(QStringLiteral("selection.typetext('%1')").arg(text)); }
    void typeParagraph() override { note(QStringLiteral("selection.typeparagraph()")); }
    void setVisible(bool visible) override { note(QStringLiteral("visible := ") + truth(visible)); }

private:
    void note(const QString &call)
    {
        if (call == record.failOn)
            throw util::Error(QStringLiteral("The word processor was closed."));
        record.calls << call;
    }
};

std::unique_ptr<output::WordProcessor> createRecorder()
{
    ++record.created;
    if (record.unavailable)
        throw util::Error(QStringLiteral("No word processor is installed."));
    return std::make_unique<Recorder>();
}

// The calls every run sends before the lines.
QStringList prelude(const QString &orientation, const QString &size, bool bold, bool italic)
{
    return {QStringLiteral("documents.add()"),
            QStringLiteral("ActiveDocument.PageSetup.Orientation := ") + orientation,
            QStringLiteral("selection.font.size := ") + size,
            QStringLiteral("selection.font.bold := ") + truth(bold),
            QStringLiteral("selection.font.italic := ") + truth(italic)};
}

const QString kFileEntry = QStringLiteral("Zork Probe | /fonts/sub/Zork.ttf");

} // namespace

class TestWordSheet : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<output::WordApplicationOverride> m_override;

    void run(const QStringList &entries)
    {
        prog->ListBox1->clear();
        prog->ListBox1->addEntries(gwtest::recordsOf(entries));
        prog->cd1->setEditText(QStringLiteral("Probe"));
        const int doc = prog->cbdrucker->findText(QStringLiteral("DOC-"), Qt::MatchStartsWith);
        QVERIFY(doc >= 0);
        prog->cbdrucker->setCurrentIndex(doc);
        // A real click, so that a failure goes through the application's error report.
        prog->show();
        QTest::mouseClick(prog->Button1, Qt::LeftButton);
    }

private slots:
    void init()
    {
        record = Record();
        m_override = std::make_unique<output::WordApplicationOverride>(createRecorder);
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
    }

    void cleanup()
    {
        app::destroyWindows();
        m_override.reset();
        QCOMPARE(record.alive, 0);
    }

    // The file entry's file does not exist: its line ends in the mark, in the standard font, as
    // on the other targets.
    void callSequence_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<bool>("standardName");
        QTest::addColumn<bool>("labels");
        QTest::addColumn<QStringList>("expected");
        const QString sep = QStringLiteral("  --  ");
        const QString file = QStringLiteral("/fonts/sub/Zork.ttf") + sep + QStringLiteral("Probe");
        QTest::newRow("form A, English")
            << false << false << true
            << prelude(QStringLiteral("0"), QStringLiteral("8"), false, false)
                   + QStringList{QStringLiteral("selection.font.Name := 'DejaVu Sans'"),
                                 QStringLiteral("selection.typetext('1%1DejaVu Sans%1Probe')").arg(sep),
                                 QStringLiteral("selection.typeparagraph()"),
                                 QStringLiteral("selection.font.Name := 'Zork Probe'"),
                                 QStringLiteral("selection.font.File := '/fonts/sub/Zork.ttf'"),
                                 QStringLiteral("selection.typetext('2%1Zork Probe%1%2')").arg(sep, file),
                                 QStringLiteral("selection.font.Name := 'Arial'"),
                                 QStringLiteral("selection.typetext(' (unreadable)')"),
                                 QStringLiteral("selection.typeparagraph()"),
                                 QStringLiteral("visible := true")};
        QTest::newRow("form B, German, landscape, bold, italic, 12 pt")
            << true << true << true
            << prelude(QStringLiteral("1"), QStringLiteral("12"), true, true)
                   + QStringList{QStringLiteral("selection.font.Name := 'Arial'"),
                                 QStringLiteral("selection.typetext('1%1DejaVu Sans%1')").arg(sep),
                                 QStringLiteral("selection.font.Name := 'DejaVu Sans'"),
                                 QStringLiteral("selection.typetext('Probe')"),
                                 QStringLiteral("selection.typeparagraph()"),
                                 QStringLiteral("selection.font.Name := 'Arial'"),
                                 QStringLiteral("selection.typetext('2%1Zork Probe%1')").arg(sep),
                                 QStringLiteral("selection.font.Name := 'Zork Probe'"),
                                 QStringLiteral("selection.font.File := '/fonts/sub/Zork.ttf'"),
                                 QStringLiteral("selection.typetext('%1')").arg(file),
                                 QStringLiteral("selection.font.Name := 'Arial'"),
                                 QStringLiteral("selection.typetext(' (nicht lesbar)')"),
                                 QStringLiteral("selection.typeparagraph()"),
                                 QStringLiteral("visible := true")};
        // Numbering and font name off: an empty label part, still typed in "Arial".
        QTest::newRow("form B without labels")
            << false << true << false
            << prelude(QStringLiteral("0"), QStringLiteral("8"), false, false)
                   + QStringList{QStringLiteral("selection.font.Name := 'Arial'"),
                                 QStringLiteral("selection.typetext('')"),
                                 QStringLiteral("selection.font.Name := 'DejaVu Sans'"),
                                 QStringLiteral("selection.typetext('Probe')"),
                                 QStringLiteral("selection.typeparagraph()"),
                                 QStringLiteral("selection.font.Name := 'Arial'"),
                                 QStringLiteral("selection.typetext('')"),
                                 QStringLiteral("selection.font.Name := 'Zork Probe'"),
                                 QStringLiteral("selection.font.File := '/fonts/sub/Zork.ttf'"),
                                 QStringLiteral("selection.typetext('%1')").arg(file),
                                 QStringLiteral("selection.font.Name := 'Arial'"),
                                 QStringLiteral("selection.typetext(' (unreadable)')"),
                                 QStringLiteral("selection.typeparagraph()"),
                                 QStringLiteral("visible := true")};
    }
    void callSequence()
    {
        QFETCH(bool, german);
        QFETCH(bool, standardName);
        QFETCH(bool, labels);
        QFETCH(QStringList, expected);
        if (german)
            prog->mdeClick();
        einst->cb_stdname->setChecked(standardName);
        einst->cb1->setChecked(labels);
        einst->cb2->setChecked(labels);
        if (german) {
            einst->or_quer->setChecked(true);
            einst->cb3->setChecked(true);
            einst->cb4->setChecked(true);
            einst->Edit5->setEditText(QStringLiteral("12"));
        }
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        run({QStringLiteral("DejaVu Sans"), kFileEntry});
        QCOMPARE(record.calls, expected);
        QCOMPARE(record.created, 1);
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Confirmation);
        // The message names the word processor the document opens in.
        const QString text = dialogs::shown().first().text;
        QCOMPARE(text, output::wordConfirmationText(german));
        QVERIFY(text.contains(QLatin1String("LibreOffice Writer")) && !text.contains(QLatin1String("Microsoft")));
    }

    void emptyListStillSendsTheSettings()
    {
        einst->or_quer->setChecked(true);
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        run({});
        QCOMPARE(record.calls,
                 prelude(QStringLiteral("1"), QStringLiteral("8"), false, false) + QStringList{"visible := true"});
    }

    // The abort button (or the program's end) stops the run after the line being typed: no
    // document is shown.
    void abortedRunShowsNothing()
    {
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        QMetaObject::invokeMethod(status, &Tstatus::BreakClick, Qt::QueuedConnection);
        run({QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")});
        QVERIFY(!record.calls.isEmpty());
        QVERIFY2(!record.calls.contains(QStringLiteral("visible := true")), qPrintable(record.calls.join('\n')));
        QCOMPARE(record.calls.count(QStringLiteral("selection.typeparagraph()")), 1);
        QVERIFY(prog->isEnabled());
    }

    // Runs that end before anything is typed: what is shown, and whether a word processor was
    // asked for at all.
    void runsThatTypeNothing_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("unavailable");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QList<dialogs::DialogKind>>("dialogs");
        QTest::addColumn<QString>("lastText");
        QTest::addColumn<int>("created");
        QTest::newRow("cancel") << false << false << false << "8" << QList<dialogs::DialogKind>{dialogs::DialogKind::Confirmation}
                                << output::wordConfirmationText(false) << 0;
        QTest::newRow("not found, English") << false << true << true << "8" << QList<dialogs::DialogKind>{dialogs::DialogKind::Confirmation, dialogs::DialogKind::Error}
                                            << "Export canceled. No program to open Word documents (LibreOffice Writer) was found." << 1;
        QTest::newRow("not found, German") << true << true << true << "8" << QList<dialogs::DialogKind>{dialogs::DialogKind::Confirmation, dialogs::DialogKind::Error}
                                           << "Aktion abgebrochen. Es wurde kein Programm gefunden, das Word-Dokumente öffnet (LibreOffice Writer)." << 1;
        QTest::newRow("size 0") << false << true << false << "0" << QList<dialogs::DialogKind>{dialogs::DialogKind::Error}
                                << "The font size 0 cannot be used: a font sheet takes sizes from 1 to 1638 points." << 0;
        QTest::newRow("size 1639, German") << true << true << false << "1639" << QList<dialogs::DialogKind>{dialogs::DialogKind::Error}
                                           << "Die Schriftgröße 1639 geht nicht: Ein Schriftmusterblatt nimmt Größen von 1 bis 1638 Punkt an." << 0;
    }
    void runsThatTypeNothing()
    {
        QFETCH(bool, german);
        QFETCH(bool, confirm);
        QFETCH(bool, unavailable);
        QFETCH(QString, size);
        QFETCH(QList<dialogs::DialogKind>, dialogs);
        QFETCH(QString, lastText);
        QFETCH(int, created);
        if (german)
            prog->mdeClick();
        record.unavailable = unavailable;
        einst->Edit5->setEditText(size);
        dialogs::setNextAnswer(QVariant::fromValue(confirm ? dialogs::Answer::Ok : dialogs::Answer::Cancel));
        run({QStringLiteral("DejaVu Sans")});
        QCOMPARE(dialogs::shownKinds(), dialogs);
        QCOMPARE(dialogs::shown().last().text, lastText);
        QCOMPARE(record.created, created);
        QVERIFY(record.calls.isEmpty());
    }

    // The note on fonts not carried: a group for each limit that applied, naming it, with readable
    // paths, at most ten a group, the rest counted.
    void fontsNotCarriedText_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<int>("tooLarge");
        QTest::addColumn<int>("documentFull");
        QTest::addColumn<QString>("expected");
        const QString large = QStringLiteral("These fonts are named in the document but not embedded, because their "
                                             "files are too large (each larger than 64 MB):\n\n");
        const QString largeDe = QStringLiteral("Diese Schriftarten sind im Dokument genannt, aber nicht eingebettet, weil "
                                               "ihre Dateien zu groß sind (jede größer als 64 MB):\n\n");
        const QString full = QStringLiteral("These fonts are named in the document but not embedded, because a document "
                                            "carries at most 128 MB of font files in all and the fonts before them "
                                            "reached that limit:\n\n");
        const QString fullDe = QStringLiteral("Diese Schriftarten sind im Dokument genannt, aber nicht eingebettet, weil "
                                              "ein Dokument höchstens 128 MB an Schriftdateien aufnimmt und die "
                                              "Schriften davor diese Grenze erreicht haben:\n\n");
        QStringList ten;
        for (int i = 0; i < 10; ++i)
            ten << QStringLiteral("/f/%1é.ttf").arg(i);
        const QString tenLines = ten.join(QLatin1Char('\n'));
        QTest::newRow("one file too large") << false << 1 << 0 << large + QStringLiteral("/f/0é.ttf");
        QTest::newRow("ten, German") << true << 10 << 0 << largeDe + tenLines;
        QTest::newRow("twelve, English") << false << 12 << 0 << large + tenLines + QStringLiteral("\nand 2 more");
        QTest::newRow("document full, twelve, German")
            << true << 0 << 12 << fullDe + tenLines + QStringLiteral("\nund 2 weitere");
        QTest::newRow("both limits") << false << 1 << 1
                                     << large + QStringLiteral("/f/0é.ttf\n\n") + full + QStringLiteral("/f/0é.ttf");
    }
    void fontsNotCarriedText()
    {
        QFETCH(bool, german);
        QFETCH(int, tooLarge);
        QFETCH(int, documentFull);
        QFETCH(QString, expected);
        // "é" as the single Latin-1 byte a name on disk may hold.
        const auto paths = [](int count) {
            QStringList list;
            for (int i = 0; i < count; ++i)
                list << util::decodePath(QByteArray("/f/") + QByteArray::number(i) + "\xE9.ttf");
            return list;
        };
        QCOMPARE(output::fontsNotCarriedText(german, {paths(tooLarge), paths(documentFull)}), expected);
    }

    // A call that fails midway ends the run in the error report; nothing more is sent, and the
    // reference is released (checked in cleanup).
    void failureMidwayGoesToTheErrorReport()
    {
        einst->cb_stdname->setChecked(false);
        record.failOn = QStringLiteral("selection.font.Name := 'Zork Probe'");
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        run({QStringLiteral("DejaVu Sans"), kFileEntry, QStringLiteral("DejaVu Serif")});
        QCOMPARE(record.calls.size(), 8);
        QCOMPARE(record.calls.last(), QStringLiteral("selection.typeparagraph()"));
        QCOMPARE(dialogs::shown().size(), 2);
        QCOMPARE(dialogs::shown().last().kind, dialogs::DialogKind::Error);
        QCOMPARE(dialogs::shown().last().text, QStringLiteral("The word processor was closed."));
    }
};

GW_TEST_MAIN_APP(TestWordSheet)
#include "tst_wordsheet.moc"
