// The questions asked of the whole list, over a folder of real fonts (Latin, Arabic, Japanese,
// a copy, the same font under another family, another font, a broken file): the marks of the
// main window, Del after them, the answers themselves, and the command line's filters.

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontFileName.h"
#include "fonts/FontListView.h"
#include "fonts/ListQuestions.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// The file names of the rows of `list`, in order ("" for a typeface).
QStringList rowFiles(const fonts::FontListView &list)
{
    QStringList files;
    for (int row = 0; row < list.count(); ++row)
        files << QFileInfo(list.entry(row).path).fileName();
    return files;
}

} // namespace

class TestListQuestions : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_root;

    // The same Liberation Sans three times: a copy, and under another family with its own
    // PostScript name kept (other bytes, the same font).
    const QStringList m_sameFont{QStringLiteral("latin.ttf"), QStringLiteral("copy.ttf"), QStringLiteral("samefont.ttf")};
    // Two copies of a Type 1 font, which has no signature: the same only by their bytes.
    const QStringList m_sameType1{QStringLiteral("t1a.pfb"), QStringLiteral("t1b.pfb")};

    // Whether `file` is a later one of a group of the same font among the file names `files`.
    bool isLaterOfGroup(const QString &file, const QStringList &files) const
    {
        for (const QStringList *group : {&m_sameFont, &m_sameType1}) {
            if (!group->contains(file))
                continue;
            for (const QString &earlier : files) {
                if (earlier == file)
                    return false;
                if (group->contains(earlier))
                    return true;
            }
        }
        return false;
    }

    // The rows of the list loaded from the folder alone.
    void loadFolder()
    {
        prog->cb_system->setChecked(false);
        prog->ed_folder->setText(m_root);
        prog->cb_folder->click();
        QCOMPARE(prog->ListBox1->count(), 9);
    }

    QStringList markedFiles() const
    {
        QStringList files;
        const QStringList rows = rowFiles(*prog->ListBox1);
        for (int row = 0; row < rows.size(); ++row)
            if (prog->ListBox1->selectionModel()->isRowSelected(row))
                files << rows.at(row);
        return files;
    }

    // The program's output for `arguments`, run without a display; its exit code in `code`.
    QStringList programLines(const QStringList &arguments, int &code)
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(GW_PROGRAM), arguments);
        code = -1;
        if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit)
            return {};
        code = program.exitCode();
        return QString::fromUtf8(program.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(QStringLiteral("fonts"));
        const QString liberation =
            gwtest::packageFontFile(QStringLiteral("fonts-liberation2"), QStringLiteral("LiberationSans-Regular.ttf"));
        QVERIFY(gwtest::copyFile(liberation, m_root + QStringLiteral("/a/latin.ttf")));
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile(QStringLiteral("fonts-noto-core"),
                                                         QStringLiteral("NotoSansArabic-Regular.ttf")),
                                 m_root + QStringLiteral("/b/arabic.ttf")));
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile(QStringLiteral("fonts-ipafont-gothic"), QStringLiteral("ipag.ttf")),
                                 m_root + QStringLiteral("/c/cjk.ttf")));
        QVERIFY(gwtest::copyFile(liberation, m_root + QStringLiteral("/d/copy.ttf")));
        QVERIFY(gwtest::makeRenamedFont(liberation, m_root + QStringLiteral("/e/samefont.ttf"), QStringLiteral("Gw Same"),
                                        QStringLiteral("Regular"), QStringLiteral("LiberationSans")));
        QVERIFY(gwtest::makeRenamedFont(liberation, m_root + QStringLiteral("/f/other.ttf"), QStringLiteral("Gw Other"),
                                        QStringLiteral("Regular"), QStringLiteral("Gw Other")));
        QFile source(liberation);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QVERIFY(gwtest::writeFile(m_root + QStringLiteral("/g/broken.ttf"), source.read(2000)));
        const QString type1 = QStringLiteral("/usr/share/fonts/type1/urw-base35/C059-Roman.t1");
        QVERIFY(gwtest::copyFile(type1, m_root + QStringLiteral("/h/t1a.pfb")));
        QVERIFY(gwtest::copyFile(type1, m_root + QStringLiteral("/i/t1b.pfb")));
        // The renamed copy is the same font only by its signature, not by its bytes.
        const FontFileSignature same = ReadFontFileSignature(m_root + QStringLiteral("/e/samefont.ttf"), 0);
        const FontFileSignature original = ReadFontFileSignature(liberation, 0);
        QCOMPARE(same.postScriptName, QStringLiteral("LiberationSans"));
        QCOMPARE(same.postScriptName, original.postScriptName);
        QCOMPARE(same.version, original.version);
        QVERIFY(same.glyphCount > 1000 && same.glyphCount == original.glyphCount);
        QVERIFY(same.size != original.size || ReadFontFileSignature(m_root + QStringLiteral("/f/other.ttf"), 0).postScriptName
                                                  == QStringLiteral("Gw-Other"));
    }

    void init()
    {
        gwtest::createWindowsWithoutGreeting();
    }

    void cleanup()
    {
        app::destroyWindows();
    }

    void marksAndDeletes_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QStringList>("marked"); // "duplicates": the same font's later rows
        QTest::newRow("lacking Latin") << "m_markLacking" << "Hamburg Wg"
                                       << QStringList{QStringLiteral("arabic.ttf"), QStringLiteral("broken.ttf")};
        QTest::newRow("lacking Japanese, pop-up") << "pop_markLacking" << QStringLiteral("日本 語")
                                                  << QStringList{QStringLiteral("latin.ttf"), QStringLiteral("arabic.ttf"),
                                                                 QStringLiteral("copy.ttf"), QStringLiteral("samefont.ttf"),
                                                                 QStringLiteral("other.ttf"), QStringLiteral("broken.ttf"),
                                                                 QStringLiteral("t1a.pfb"), QStringLiteral("t1b.pfb")};
        QTest::newRow("lacking Arabic") << "m_markLacking" << QStringLiteral("العربية")
                                        << QStringList{QStringLiteral("latin.ttf"), QStringLiteral("cjk.ttf"),
                                                       QStringLiteral("copy.ttf"), QStringLiteral("samefont.ttf"),
                                                       QStringLiteral("other.ttf"), QStringLiteral("broken.ttf"),
                                                       QStringLiteral("t1a.pfb"), QStringLiteral("t1b.pfb")};
        QTest::newRow("duplicates") << "m_markDuplicates" << "" << QStringList{QStringLiteral("duplicates")};
        QTest::newRow("duplicates, pop-up") << "pop_markDuplicates" << "" << QStringList{QStringLiteral("duplicates")};
        QTest::newRow("unreadable") << "m_markUnreadable" << "" << QStringList{QStringLiteral("broken.ttf")};
    }

    // Each mark replaces the marks, takes the focus to the first marked row, tells the count in
    // the count label until the list changes, and Del then leaves the rest.
    void marksAndDeletes()
    {
        QFETCH(QString, item);
        QFETCH(QString, sample);
        QFETCH(QStringList, marked);
        loadFolder();
        const QStringList rows = rowFiles(*prog->ListBox1);
        if (marked == QStringList{QStringLiteral("duplicates")}) {
            // The first row of each group stays; the later ones are marked.
            marked.clear();
            for (const QString &file : rows)
                if (isLaterOfGroup(file, rows))
                    marked << file;
        }
        const QString countText = prog->Label1->text();
        // Marks made before are replaced.
        prog->ListBox1->selectAll();
        prog->cd1->setEditText(sample);
        auto *action = prog->findChild<QAction *>(item);
        QVERIFY(action);
        action->trigger();

        QStringList expected;
        for (const QString &file : rows)
            if (marked.contains(file))
                expected << file;
        QCOMPARE(markedFiles(), expected);
        QCOMPARE(prog->ListBox1->currentRow(), int(rows.indexOf(expected.constFirst())));
        QCOMPARE(prog->Label1->text(), fonts::markedCountText(expected.size(), app::isGerman()));

        prog->m22->trigger();
        QStringList left = rows;
        for (const QString &file : expected)
            left.removeOne(file);
        QCOMPARE(rowFiles(*prog->ListBox1), left);
        // The list changed: the count text is back.
        QCOMPARE(prog->Label1->text(), countText);
    }

    // The captions, each accelerator once in its menu, in both languages.
    void captionsInBothLanguages()
    {
        for (const bool german : {true, false}) {
            german ? prog->mdeClick() : prog->menClick();
            QCOMPARE(prog->m_markDuplicates->text(), german ? QStringLiteral("Du&plikate markieren")
                                                            : QStringLiteral("Mark duplicat&es"));
            for (QMenu *menu : {prog->m2, prog->PopupMenu1}) {
                QSet<QChar> letters;
                for (const QAction *action : menu->actions()) {
                    const qsizetype mark = action->text().indexOf(QLatin1Char('&'));
                    if (!action->isVisible() || mark < 0)
                        continue;
                    const QChar letter = action->text().at(mark + 1).toLower();
                    QVERIFY2(!letters.contains(letter), qPrintable(action->text()));
                    letters.insert(letter);
                }
            }
        }
        prog->ListBox1->clear();
        prog->ListBox1->addItem(QStringLiteral("DejaVu Sans"));
        prog->m_markUnreadable->trigger();
        QCOMPARE(prog->Label1->text(), QStringLiteral("No fonts marked"));
        prog->mdeClick();
        prog->m_markUnreadable->trigger();
        QCOMPARE(prog->Label1->text(), QStringLiteral("Keine Schrift markiert"));
    }

    // The answers for entries the window never lists together: a typeface is no duplicate, the
    // same file listed twice is; a reason is told in both languages.
    void answers()
    {
        loadFolder();
        fonts::FontListEntries entries;
        for (int row = 0; row < prog->ListBox1->count(); ++row)
            entries << prog->ListBox1->entry(row);
        const fonts::FontListEntry broken = *std::find_if(entries.cbegin(), entries.cend(), [](const auto &e) {
            return e.path.endsWith(QLatin1String("broken.ttf"));
        });
        QCOMPARE(fonts::unreadableReason(broken, false), QStringLiteral("The file is damaged or not a font"));
        QCOMPARE(fonts::unreadableReason(broken, true), QStringLiteral("Die Datei ist beschädigt oder keine Schrift"));
        QCOMPARE(fonts::unreadableReason(entries.constFirst().path.endsWith(QLatin1String("broken.ttf")) ? entries.at(1)
                                                                                                       : entries.at(0),
                                         false),
                 QString());

        const fonts::FontListEntry typeface = fonts::FontListEntry::typeface(QStringLiteral("DejaVu Sans"));
        const fonts::FontListEntries twice{typeface, entries.at(3), typeface, entries.at(3)};
        QCOMPARE(fonts::duplicateOf(twice), (QList<qsizetype>{-1, -1, -1, 1}));
        QCOMPARE(fonts::cannotShow({typeface}, QStringLiteral("Hamburg")), QList<bool>{false});
        QCOMPARE(fonts::cannotShow({typeface}, QString(QChar(0x4E00))), QList<bool>{true});
    }

    // The signature that tells the same font: read from a single font, from the listed face of a
    // collection (the CJK faces share version and glyph count, not their names), and nothing
    // from a file without one.
    void signatures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("face");
        QTest::addColumn<QString>("postScriptName");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("glyphs");
        const QString cjk = gwtest::packageFontFile(QStringLiteral("fonts-noto-cjk"), QStringLiteral("NotoSansCJK-Regular.ttc"));
        const QString cjkVersion = QStringLiteral("Version 2.004;hotconv 1.0.118;makeotfexe 2.5.65603");
        QTest::newRow("single font") << gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"),
                                                                QStringLiteral("DejaVuSans.ttf"))
                                     << 0 << "DejaVuSans" << "Version 2.37" << 6253;
        QTest::newRow("collection face 0") << cjk << 0 << "NotoSansCJKjp-Regular" << cjkVersion << 65535;
        QTest::newRow("collection face 1") << cjk << 1 << "NotoSansCJKkr-Regular" << cjkVersion << 65535;
        QTest::newRow("no such face") << cjk << 999 << "" << "" << -1;
        QTest::newRow("Type 1") << m_root + QStringLiteral("/h/t1a.pfb") << 0 << "" << "" << -1;
        // Its 'maxp' lies within the part kept, its names beyond it.
        QTest::newRow("cut short") << m_root + QStringLiteral("/g/broken.ttf") << 0 << "" << "" << 2620;
    }

    void signatures()
    {
        QFETCH(QString, path);
        QFETCH(int, face);
        QFETCH(QString, postScriptName);
        QFETCH(QString, version);
        QFETCH(int, glyphs);
        const FontFileSignature signature = ReadFontFileSignature(path, face);
        QCOMPARE(signature.postScriptName, postScriptName);
        QCOMPARE(signature.version, version);
        QCOMPARE(signature.glyphCount, glyphs);
        QCOMPARE(signature.size, QFileInfo(path).size());
        QVERIFY(signature.identity.isKnown());
        QCOMPARE(ReadFontFileSignature(m_root + QStringLiteral("/missing.ttf"), 0).size, qint64(-1));
    }

    void commandLineFilters_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("files"); // those that show the text
        const QStringList all{QStringLiteral("latin.ttf"), QStringLiteral("arabic.ttf"), QStringLiteral("cjk.ttf"),
                              QStringLiteral("copy.ttf"),  QStringLiteral("samefont.ttf"), QStringLiteral("other.ttf"),
                              QStringLiteral("broken.ttf"), QStringLiteral("t1a.pfb"), QStringLiteral("t1b.pfb")};
        QTest::newRow("covering Latin") << QStringList{QStringLiteral("--covering"), QStringLiteral("Hamburg")}
                                        << QStringList{QStringLiteral("latin.ttf"), QStringLiteral("cjk.ttf"),
                                                       QStringLiteral("copy.ttf"), QStringLiteral("samefont.ttf"),
                                                       QStringLiteral("other.ttf"), QStringLiteral("t1a.pfb"),
                                                       QStringLiteral("t1b.pfb")};
        QTest::newRow("covering Arabic") << QStringList{QStringLiteral("--covering"), QStringLiteral("عربي")}
                                         << QStringList{QStringLiteral("arabic.ttf")};
        QTest::newRow("no duplicates") << QStringList{QStringLiteral("--no-duplicates")} << all;
        QTest::newRow("both") << QStringList{QStringLiteral("--no-duplicates"), QStringLiteral("--covering"),
                                             QStringLiteral("Hamburg")}
                              << QStringList{QStringLiteral("latin.ttf"), QStringLiteral("cjk.ttf"),
                                             QStringLiteral("copy.ttf"), QStringLiteral("samefont.ttf"),
                                             QStringLiteral("other.ttf"), QStringLiteral("t1a.pfb"),
                                             QStringLiteral("t1b.pfb")};
    }

    // --list-fonts keeps what the filters keep; of the same font, the file listed first stays.
    void commandLineFilters()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, files);
        int code = 0;
        const QStringList arguments{QStringLiteral("--list-fonts"), QStringLiteral("--folder"), m_root,
                                    QStringLiteral("--no-system-fonts")};
        const QStringList all = programLines(arguments, code);
        QCOMPARE(code, 0);
        QCOMPARE(all.size(), 9);
        QStringList allFiles;
        for (const QString &line : all)
            allFiles << line.mid(line.lastIndexOf(QLatin1Char('/')) + 1);
        const bool noDuplicates = options.contains(QStringLiteral("--no-duplicates"));
        QStringList expected;
        for (qsizetype i = 0; i < all.size(); ++i)
            if (files.contains(allFiles.at(i)) && !(noDuplicates && isLaterOfGroup(allFiles.at(i), allFiles)))
                expected << all.at(i);
        const QStringList lines = programLines(arguments + options, code);
        QCOMPARE(code, 0);
        QCOMPARE(lines, expected);
    }

    void commandLineMisuse()
    {
        int code = 0;
        programLines({QStringLiteral("--list-fonts"), QStringLiteral("--covering"), QString()}, code);
        QCOMPARE(code, 2);
        programLines({QStringLiteral("--no-duplicates")}, code);
        QCOMPARE(code, 2);
    }
};

GW_TEST_MAIN_APP(TestListQuestions)
#include "tst_listquestions.moc"
