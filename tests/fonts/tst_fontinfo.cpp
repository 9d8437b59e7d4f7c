#include "fonts/FontInfo.h"
#include "fonts/FontInfoWindow.h"
#include "fonts/ListQuestions.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "typeface/FileFaces.h"
#include "typeface/FontFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>

namespace {

// Copies a font with family and full name "Gw Surr<U+D800>x<U+DCFF>y": lone surrogates, which no
// encoder takes, patched into the UTF-16 of its Windows name records.
const char *const kSurrogateNames = R"(
import io, sys
from fontTools.ttLib import TTFont
font = TTFont(sys.argv[1])
table = font['name']
table.names = [n for n in table.names if n.platformID == 3 and n.nameID not in (16, 17, 21, 22)]
for nid in (1, 4):
    table.setName('Gw Surr@x#y', nid, 3, 1, 0x409)
out = io.BytesIO()
font.save(out)
marked = 'Gw Surr@x#y'.encode('utf-16-be')
data = out.getvalue().replace(marked, marked.replace(b'\0@', b'\xd8\x00').replace(b'\0#', b'\xdc\xff'))
open(sys.argv[2], 'wb').write(data)
)";

// Reads a file as strict UTF-8 JSON and fails on any string that is not valid Unicode (Python's
// reader takes an escaped lone surrogate without a word; encoding it again does not).
const char *const kStrictJson = R"(
import json, sys
json.dumps(json.load(open(sys.argv[1], encoding='utf-8')), ensure_ascii=False).encode('utf-8')
)";

} // namespace

// The facts of a font as the information window tells them, and the listing of the command line.
class TestFontInfo : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_variable;
    QString m_broken;

    // Lists `path` as the folder load does, to be read in its font `face`.
    static void list(const QString &path, int face = 0)
    {
        platform::FileFaces::instance().setListedFile(path, platform::readFontFile(path).identity, face);
    }

    struct Result
    {
        int code = -1;
        QByteArray out;
        QString err;
    };
    Result runProgram(const QStringList &arguments)
    {
        QProcess program;
        program.setProgram(QStringLiteral(GW_PROGRAM));
        program.setArguments(arguments);
        program.start();
        Result r;
        if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit)
            return r;
        r.code = program.exitCode();
        r.out = program.readAllStandardOutput();
        r.err = QString::fromUtf8(program.readAllStandardError());
        return r;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // None of the packaged fonts is variable: a tiny one is made.
        m_variable = m_dir.filePath(QStringLiteral("fonts/variable.ttf"));
        QDir().mkpath(m_dir.filePath(QStringLiteral("fonts")));
        gwtest::toolOutput(QStringLiteral("/usr/bin/python3"),
                           {gwtest::sourceDir() + QStringLiteral("/tests/fonts/make_variable_font.py"), m_variable,
                            QStringLiteral("Gw Variable")});
        QVERIFY(QFileInfo(m_variable).size() > 0);
        m_broken = m_dir.filePath(QStringLiteral("fonts/broken.ttf"));
        // A TrueType version tag and no tables: the bytes counted from the literal itself.
        static const char broken[] = "\0\1\0\0not a font at all";
        QVERIFY(gwtest::writeFile(m_broken, QByteArray(broken, sizeof broken - 1)));
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile("fonts-noto-core", "NotoSansArabic-Regular.ttf"),
                                 m_dir.filePath(QStringLiteral("fonts/arabic.ttf"))));
    }

    // The window's text for a variable font, a face of a CJK collection and a broken file, in
    // both languages: every line a fact, the text selectable and holding the keyboard focus.
    void windowFacts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("face");
        QTest::addColumn<bool>("german");
        QTest::addColumn<QStringList>("lines");
        const QString cjk = gwtest::packageFontFile("fonts-noto-cjk", "NotoSansCJK-Regular.ttc");
        QTest::newRow("variable, English")
            << "variable" << 0 << false
            << QStringList{"Family: Gw Variable", "Style: Regular", "Full name: Gw Variable Regular",
                           "PostScript name: GwVariable-Regular", "Version: Version 2.500", "Designer: Gw Designer",
                           "Manufacturer: Gw Foundry", "Copyright: not given", "Licence: Gw licence text",
                           "Licence address: https://example.org/licence", "Embedding: preview & print, no subsetting",
                           "Format: TrueType", "Glyphs: 4", "Scripts: Latin 2",
                           "Variable axes: Weight (wght) 100 to 900, default 400",
                           "Named instances: Thin (wght 100); Black (wght 900)", "Colour: none"};
        QTest::newRow("variable, German")
            << "variable" << 0 << true
            << QStringList{"Familie: Gw Variable", "Hersteller: Gw Foundry", "Copyright: nicht angegeben",
                           "Einbetten: Vorschau & Druck, keine Teilmengen", "Glyphen: 4", "Schriftsysteme: Lateinisch 2",
                           "Variable Achsen: Weight (wght) 100 bis 900, Standard 400",
                           "Benannte Instanzen: Thin (wght 100); Black (wght 900)", "Farbe: keine"};
        QTest::newRow("collection face, English")
            << cjk << 1 << false
            << QStringList{"Family: Noto Sans CJK KR", "PostScript name: NotoSansCJKkr-Regular",
                           "Format: OpenType/CFF, collection face 2 of 10", "Glyphs: 65,535", "Embedding: installable",
                           "Colour: none"};
        QTest::newRow("collection face, German")
            << cjk << 1 << true
            << QStringList{"Familie: Noto Sans CJK KR", "Format: OpenType/CFF, Sammlung: Schrift 2 von 10",
                           "Glyphen: 65.535", "Einbetten: installierbar"};
        QTest::newRow("broken, English") << "broken" << 0 << false
                                         << QStringList{"Cannot be read: The file is damaged or not a font"};
        QTest::newRow("broken, German") << "broken" << 0 << true
                                        << QStringList{"Nicht lesbar: Die Datei ist beschädigt oder keine Schrift"};
    }
    void windowFacts()
    {
        QFETCH(QString, file);
        QFETCH(int, face);
        QFETCH(bool, german);
        QFETCH(QStringList, lines);
        const QString path = file == QLatin1String("variable") ? m_variable
                             : file == QLatin1String("broken") ? m_broken
                                                               : file;
        list(path, face);
        FontInfoWindow window([german] { return german; });
        window.showEntry(fonts::FontListEntry::file(QStringLiteral("Entry"), path));
        const QStringList shown = window.factsText().split(QLatin1Char('\n'));
        for (const QString &line : lines)
            QVERIFY2(shown.contains(line), qPrintable(line + QStringLiteral("\n---\n") + window.factsText()));
        QCOMPARE(window.focusWidget(), window.Memo1);
        QVERIFY(window.Memo1->isReadOnly());
        QVERIFY(window.Memo1->textInteractionFlags() & Qt::TextSelectableByKeyboard);
        QTest::keyClick(window.Memo1, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    // The CJK face's scripts: Han first, Hangul among them, counts in the language's grouping.
    void collectionScripts()
    {
        const QString cjk = gwtest::packageFontFile("fonts-noto-cjk", "NotoSansCJK-Regular.ttc");
        list(cjk, 1);
        const fonts::EntryFacts read = fonts::entryFacts(fonts::FontListEntry::file(QStringLiteral("KR"), cjk));
        QVERIFY(read.isRead());
        QVERIFY(read.facts.collection);
        QCOMPARE(read.facts.scripts.value(0).code, QStringLiteral("Hani"));
        const auto hangul = std::find_if(read.facts.scripts.cbegin(), read.facts.scripts.cend(),
                                         [](const platform::ScriptCount &s) { return s.code == QLatin1String("Hang"); });
        QVERIFY(hangul != read.facts.scripts.cend() && hangul->characters > 10000);
    }

    // A listed file replaced since the load, or turned into a FIFO, is not read: the window says why,
    // and the list's marks, its duplicate question and the drawing meet the same file.
    void replacedFileNotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("line");
        QTest::newRow("swapped") << "swapped" << "Cannot be read: The file was replaced since the list was loaded";
        QTest::newRow("FIFO") << "FIFO" << "Cannot be read: Not a regular file (a folder, device or pipe)";
        QTest::newRow("deleted") << "deleted" << "Cannot be read: The file is gone";
        QTest::newRow("rewritten in place") << "rewritten" << "Cannot be read: The file was replaced since the list was loaded";
    }
    void replacedFileNotRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, line);
        const QString path = m_dir.filePath(QStringLiteral("replaced/%1.ttf").arg(kind));
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile("fonts-dejavu-core", "DejaVuSans.ttf"), path));
        list(path);
        const QString other = m_dir.filePath(QStringLiteral("replaced/other-%1.ttf").arg(kind));
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile("fonts-dejavu-core", "DejaVuSansMono.ttf"), other));
        list(other);
        QVERIFY(gwtest::makeHostile(path, kind, other));
        const fonts::FontListEntry entry = fonts::FontListEntry::file(QStringLiteral("Entry"), path);
        const QStringList shown = fonts::factsText(entry, fonts::entryFacts(entry), false).split(QLatin1Char('\n'));
        QVERIFY2(shown.contains(line), qPrintable(shown.join(QLatin1Char('\n'))));
        QCOMPARE(fonts::unreadableReason(entry, false), line.section(QStringLiteral(": "), 1));
        platform::FontFileFault fault = platform::FontFileFault::None;
        QVERIFY(!platform::FileFaces::instance().face(path, {}, &fault).isValid());
        QVERIFY(fault != platform::FontFileFault::None);
        // The file now holds the other font's bytes, but its row is not that font.
        const fonts::FontListEntry twin = fonts::FontListEntry::file(QStringLiteral("Other"), other);
        QCOMPARE(fonts::duplicateOf({twin, entry}), (QList<qsizetype>{-1, -1}));
    }

    // The least restrictive usage bit counts; the two limits come along.
    void embedding_data()
    {
        QTest::addColumn<int>("fsType");
        QTest::addColumn<QString>("words");
        QTest::newRow("0") << 0x0000 << "installable";
        QTest::newRow("restricted") << 0x0002 << "restricted";
        QTest::newRow("restricted and editable") << 0x000A << "editable";
        QTest::newRow("print, bitmap only") << 0x0204 << "preview & print, bitmap only";
        QTest::newRow("reserved bit alone") << 0x0001 << "installable";
    }
    void embedding()
    {
        QFETCH(int, fsType);
        QFETCH(QString, words);
        QCOMPARE(platform::embeddingWords(platform::embeddingOf(quint16(fsType)), false), words);
    }

    // Both formats of the command line read back: one JSON record and one tsv line per entry,
    // whatever the names hold.
    void listing()
    {
        const QString folder = m_dir.filePath(QStringLiteral("fonts"));
        const QList<gwtest::HostileFont> hostile = gwtest::makeHostileNamedFonts(
            m_dir.filePath(QStringLiteral("fonts/hostile")), m_dir.filePath(QStringLiteral("plant")));
        QVERIFY(!hostile.isEmpty());
        const QString dejavu = gwtest::packageFontFile("fonts-dejavu-core", "DejaVuSans.ttf");
        QVERIFY(gwtest::runPython(kSurrogateNames, {dejavu, m_dir.filePath(QStringLiteral("fonts/surrogates.ttf"))}));
        // The same font twice under names that are not UTF-8: whichever is listed first, the
        // other's duplicate-of names a path outside UTF-8.
        QFile mono(gwtest::packageFontFile("fonts-dejavu-core", "DejaVuSansMono.ttf"));
        QVERIFY(mono.open(QIODevice::ReadOnly));
        const QByteArray monoBytes = mono.readAll();
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("fonts/bytes"))));
        const QByteArray bytesFolder = QFile::encodeName(m_dir.filePath(QStringLiteral("fonts/bytes/")));
        const QList<QByteArray> nativePaths{bytesFolder + "caf\xe9.ttf", bytesFolder + "\xff.ttf"};
        for (const QByteArray &native : nativePaths)
            QVERIFY(gwtest::writeNativeFile(native, monoBytes));
        const QStringList common{QStringLiteral("--list-fonts"), QStringLiteral("--folder"), folder,
                                 QStringLiteral("--no-system-fonts")};
        const Result plain = runProgram(common);
        QCOMPARE(plain.code, 0);
        const qsizetype entries = plain.out.count('\n');
        QVERIFY(entries >= 3 + hostile.size());

        const Result tsv = runProgram(common + QStringList{QStringLiteral("--format"), QStringLiteral("tsv")});
        QVERIFY2(tsv.code == 0, qPrintable(tsv.err));
        const QList<QByteArray> lines = tsv.out.split('\n');
        QCOMPARE(lines.size() - 1, entries + 1);
        QVERIFY(lines.constLast().isEmpty());
        QVERIFY(plain.out.isValidUtf8() && tsv.out.isValidUtf8());
        QVERIFY(lines.constFirst().startsWith("name\tpath\tfamily\tstyle\tversion\tvendor\tlicence"));
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            QCOMPARE(lines.at(i).count('\t'), 15);
        QVERIFY(tsv.out.contains("\tGw Foundry\tGw licence text\t"));
        QVERIFY(tsv.out.contains("wght:100:400:900"));
        QVERIFY(tsv.out.contains("The file is damaged or not a font\n"));

        const Result json = runProgram(common + QStringList{QStringLiteral("--format"), QStringLiteral("json")});
        QVERIFY2(json.code == 0, qPrintable(json.err));
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(json.out, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        const QJsonArray records = document.array();
        QCOMPARE(records.size(), entries);
        QStringList names;
        for (const QJsonValue &record : records)
            names << record[QLatin1String("name")].toString();
        for (const gwtest::HostileFont &font : hostile)
            QVERIFY2(names.contains(font.name), qPrintable(font.name));
        // Strict readers take it whole: jq, and every string checked as Unicode.
        const QString saved = m_dir.filePath(QStringLiteral("listing.json"));
        QVERIFY(gwtest::writeFile(saved, json.out));
        QCOMPARE(gwtest::toolOutput(QStringLiteral("jq"), {QStringLiteral("length"), saved}).trimmed(),
                 QString::number(records.size()));
        QVERIFY(gwtest::runPython(kStrictJson, {saved}));
        const QChar fffd = QChar::ReplacementCharacter;
        QStringList families;
        QMap<QByteArray, QJsonObject> byPath; // the records of the paths outside UTF-8, by their bytes
        for (const QJsonValue &record : records) {
            families << record[QLatin1String("family")].toString();
            if (record[QLatin1String("path-bytes")].isString())
                byPath.insert(QByteArray::fromBase64(record[QLatin1String("path-bytes")].toString().toLatin1()),
                              record.toObject());
            else
                QVERIFY(record[QLatin1String("path-bytes")].isNull());
        }
        QVERIFY(families.contains(QStringLiteral("Gw Surr") + fffd + QLatin1Char('x') + fffd + QLatin1Char('y')));
        QCOMPARE(byPath.keys(), nativePaths);
        const QString bytesShown = m_dir.filePath(QStringLiteral("fonts/bytes/"));
        QCOMPARE(byPath.value(nativePaths.at(0))[QLatin1String("path")].toString(),
                 bytesShown + QStringLiteral("caf") + fffd + QStringLiteral(".ttf"));
        QCOMPARE(byPath.value(nativePaths.at(1))[QLatin1String("path")].toString(), bytesShown + fffd + QStringLiteral(".ttf"));
        // One of the two is the other's duplicate, named by its bytes.
        const auto duplicateOf = [&byPath](const QByteArray &native) {
            return QByteArray::fromBase64(byPath.value(native)[QLatin1String("duplicate-of-bytes")].toString().toLatin1());
        };
        QVERIFY((duplicateOf(nativePaths.at(0)) == nativePaths.at(1) && duplicateOf(nativePaths.at(1)).isEmpty())
                || (duplicateOf(nativePaths.at(1)) == nativePaths.at(0) && duplicateOf(nativePaths.at(0)).isEmpty()));
        const auto variable = std::find_if(records.begin(), records.end(), [](const QJsonValue &r) {
            return r[QLatin1String("family")].toString() == QLatin1String("Gw Variable");
        });
        QVERIFY(variable != records.end());
        const QJsonObject axis = (*variable)[QLatin1String("axes")].toArray().at(0).toObject();
        QCOMPARE(axis[QLatin1String("tag")].toString(), QStringLiteral("wght"));
        QCOMPARE(axis[QLatin1String("max")].toDouble(), 900.0);

        const Result bad = runProgram(common + QStringList{QStringLiteral("--format"), QStringLiteral("xml")});
        QCOMPARE(bad.code, 2);
        QVERIFY2(bad.err.contains(QStringLiteral("Unknown format 'xml'")), qPrintable(bad.err));
    }
};

GW_TEST_MAIN(TestFontInfo)
#include "tst_fontinfo.moc"
