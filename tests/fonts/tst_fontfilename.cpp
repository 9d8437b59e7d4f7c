#include "fonts/FontEntry.h"
#include "fonts/FontFileName.h"
#include "platform/CodePage.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

/// One record of a built name table.
struct NameRecord
{
    quint16 platform = 3;
    quint16 nameId = 4;
    QByteArray string;
    int length = -1;      // the length field; -1: the string's size
    int extraOffset = 0;  // added to the string's true offset
    quint16 encoding = platform == 1 ? 0 : 1;
};

NameRecord mac(const QByteArray &bytes, quint16 nameId = 4)
{
    return {1, nameId, bytes};
}

NameRecord win(const QString &text, quint16 nameId = 4)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes += char(c.unicode() >> 8);
        bytes += char(c.unicode() & 0xFF);
    }
    return {3, nameId, bytes};
}

/// A Windows record holding raw UTF-16 code units, unpaired surrogates included.
NameRecord winUnits(std::initializer_list<char16_t> units)
{
    return win(QString::fromUtf16(std::data(units), qsizetype(units.size())));
}

void put16(QByteArray &out, quint32 v)
{
    out += char(v >> 8 & 0xFF);
    out += char(v & 0xFF);
}

void put32(QByteArray &out, quint32 v)
{
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

/// Builds a font file byte by byte: a 12-byte font header, table records (other tables first,
/// then 'name'), and the name table with its records and strings.
struct FontBuilder
{
    QByteArray prefix;                 // bytes before the font (a collection header)
    QStringList tablesBefore;          // tags of the table records ahead of 'name'
    QList<NameRecord> records;         // the records the header counts
    QList<NameRecord> uncounted;       // records written after them, not counted
    int count = -1;                    // the count field; -1: records.size()
    qint64 tableOffset = -1;           // the 'name' record's offset field; -1: where it is built

    QByteArray build() const
    {
        QByteArray out = prefix;
        put32(out, 0x00010000);
        put16(out, 1); // the table count, which the reader does not use
        put16(out, 16);
        put16(out, 0);
        put16(out, 0);
        const qint64 table = out.size() + 16 * (tablesBefore.size() + 1);
        for (const QString &tag : tablesBefore) {
            out += tag.toLatin1();
            put32(out, 0);
            put32(out, 0);
            put32(out, 0);
        }
        const QList<NameRecord> all = records + uncounted;
        QByteArray strings;
        QByteArray nameTable;
        put16(nameTable, 0);
        put16(nameTable, count >= 0 ? count : records.size());
        put16(nameTable, 6 + 12 * all.size());
        for (const NameRecord &r : all) {
            put16(nameTable, r.platform);
            put16(nameTable, r.encoding);
            put16(nameTable, r.platform == 1 ? 0 : 0x409);
            put16(nameTable, r.nameId);
            put16(nameTable, r.length >= 0 ? r.length : r.string.size());
            put16(nameTable, strings.size() + r.extraOffset);
            strings += r.string;
        }
        nameTable += strings;
        out += "name";
        put32(out, 0);
        put32(out, quint32(tableOffset >= 0 ? tableOffset : table));
        put32(out, nameTable.size());
        return out + nameTable;
    }
};

/// A font whose name table holds `record` alone.
QByteArray fontWith(const NameRecord &record)
{
    FontBuilder b;
    b.records = {record};
    return b.build();
}

/// A one-font collection: with one offset after the 12-byte collection header, the font's table
/// records fall on the 16-byte steps from byte 12.
QByteArray collectionHeader()
{
    QByteArray h = "ttcf";
    put32(h, 0x00010000);
    put32(h, 1);
    put32(h, 16);
    return h;
}

} // namespace

class TestFontFileName : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileNumber = 0;

    QString writeFont(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("f%1.ttf").arg(++m_fileNumber));
        if (!gwtest::writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Every byte against Python's Mac Roman codec, an independent table.
    void macRomanMatchesPythonCodec()
    {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"), QStringLiteral("import sys\n"
                                                           "s=bytes(range(256)).decode('mac_roman')\n"
                                                           "sys.stdout.buffer.write(s.encode('utf-16-be'))\n")});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(python.exitCode(), 0);
        const QByteArray utf16 = python.readAllStandardOutput();
        QCOMPARE(utf16.size(), 512);
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = platform::macRomanToText(all);
        QCOMPARE(text.size(), 256);
        for (int b = 0; b < 256; ++b) {
            const char16_t expected = char16_t(quint8(utf16[2 * b]) << 8 | quint8(utf16[2 * b + 1]));
            QVERIFY2(text[b].unicode() == expected, qPrintable(QString::number(b, 16)));
        }
    }

    void fontNameOfEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        QTest::newRow("system font") << QStringLiteral("Arial") << QStringLiteral("Arial");
        QTest::newRow("file font") << QStringLiteral("DejaVu Sans | /f/DejaVuSans.ttf")
                                   << QStringLiteral("DejaVu Sans");
        QTest::newRow("unreadable name") << QStringLiteral(" | /f/x.fon") << QString();
        QTest::newRow("first separator") << QStringLiteral("A | b | c") << QStringLiteral("A");
        QTest::newRow("bar without spaces") << QStringLiteral("A|B") << QStringLiteral("A|B");
        QTest::newRow("bar with one space") << QStringLiteral("A |B") << QStringLiteral("A |B");
        QTest::newRow("empty") << QString() << QString();
    }

    void fontNameOfEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        QCOMPARE(FontNameOfEntry(entry), name);
    }

    void fontFileEntry()
    {
        QCOMPARE(FontFileEntry(QStringLiteral("Noto Sans"), QStringLiteral("/f/a b.ttf")),
                 QStringLiteral("Noto Sans | /f/a b.ttf"));
        QCOMPARE(FontFileEntry(QString(), QStringLiteral("/f/x.fon")), QStringLiteral(" | /f/x.fon"));
        QCOMPARE(FontNameOfEntry(FontFileEntry(QStringLiteral("Ä €"), QStringLiteral("/p | q"))),
                 QStringLiteral("Ä €"));
    }

    void readsBuiltFont_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");

        const QString alpha = QStringLiteral("Alpha Bold");
        auto font = [](QList<NameRecord> records) {
            FontBuilder b;
            b.tablesBefore = {QStringLiteral("OS/2"), QStringLiteral("cmap"), QStringLiteral("head")};
            b.records = records;
            return b;
        };

        QTest::newRow("platform 1") << font({mac("Alpha Bold")}).build() << alpha;
        QTest::newRow("platform 3") << font({win(alpha)}).build() << alpha;
        QTest::newRow("platform 1 wins over an earlier platform 3")
            << font({win(QStringLiteral("Windows")), mac("Mac")}).build() << QStringLiteral("Mac");
        QTest::newRow("first platform 1 in file order")
            << font({mac("First"), mac("Second")}).build() << QStringLiteral("First");
        QTest::newRow("first platform 3 in file order")
            << font({win(QStringLiteral("First")), win(QStringLiteral("Second"))}).build()
            << QStringLiteral("First");
        QTest::newRow("other name ids and platforms skipped")
            << font({mac("Family", 1), win(QStringLiteral("Style"), 2), {0, 4, QByteArray("\0U", 2)},
                     win(QStringLiteral("Full"))})
                   .build()
            << QStringLiteral("Full");
        QTest::newRow("no full name") << font({mac("Family", 1), win(QStringLiteral("Bold"), 2)}).build()
                                      << QString();
        QTest::newRow("platform 1 ends at zero byte") << font({mac(QByteArray("Ab\0cd", 5))}).build()
                                                      << QStringLiteral("Ab");
        {
            NameRecord r = mac("Alphabet");
            r.length = 5;
            QTest::newRow("platform 1 ends at its length") << font({r}).build() << QStringLiteral("Alpha");
        }
        QTest::newRow("platform 1 cut to 256 bytes")
            << font({mac(QByteArray(300, 'x'))}).build() << QString(256, u'x');
        QTest::newRow("platform 3 cut to 128 characters")
            << font({win(QString(200, u'y'))}).build() << QString(128, u'y');
        {
            NameRecord r = win(QStringLiteral("AB"));
            r.length = 3; // odd: the half character at the end adds nothing
            QTest::newRow("platform 3 odd length") << font({r}).build() << QStringLiteral("A");
        }
        // Names beyond ASCII: Macintosh Roman bytes and UTF-16 with characters beyond Latin-1 and
        // beyond the basic plane.
        const QString umlaut = QString::fromUtf16(u"\u00DCmlaut Grotesk \u03A9mega");
        QTest::newRow("platform 1 Mac Roman") << font({mac("\x86mlaut Grotesk \xBDmega")}).build() << umlaut;
        const QString beyondBmp = umlaut + QString::fromUtf16(u" \U0001F600");
        QTest::newRow("platform 3 UTF-16") << font({win(beyondBmp)}).build() << beyondBmp;
        QTest::newRow("platform 3 pair cut at 256 bytes")
            << font({win(QString(127, u'y') + QString::fromUtf16(u"\U0001F600"))}).build() << QString(127, u'y');
        QTest::newRow("platform 3 unpaired surrogates")
            << font({winUnits({u'a', 0xDC41, u'b', 0xD83D, u'c', 0xD83D})}).build()
            << QString::fromUtf16(u"a\uFFFDb\uFFFDc");
        {
            NameRecord japanese = mac("\x83\x53\x83\x56\x83\x62\x83\x4E");
            japanese.encoding = 1;
            QTest::newRow("platform 1 in another encoding gives way")
                << font({japanese, win(QStringLiteral("Gothic"))}).build() << QStringLiteral("Gothic");
        }
        QTest::newRow("empty platform 1 string") << font({mac(QByteArray())}).build() << QString();
        {
            FontBuilder b = font({win(QStringLiteral("Counted"))});
            b.uncounted = {mac("Uncounted")};
            QTest::newRow("uncounted platform 1 record ignored") << b.build() << QStringLiteral("Counted");
        }
        {
            FontBuilder b = font({mac("Family", 1)});
            b.uncounted = {mac("Uncounted"), win(QStringLiteral("Uncounted"))};
            QTest::newRow("uncounted matches ignored") << b.build() << QString();
        }
        {
            FontBuilder b = font({win(QStringLiteral("Full"))});
            b.count = 0;
            QTest::newRow("count 0") << b.build() << QString();
        }
        {
            FontBuilder b;
            b.records = {mac("No Others")};
            QTest::newRow("name is the first table record") << b.build() << QStringLiteral("No Others");
        }
        {
            FontBuilder b = font({mac("Collected")});
            b.prefix = collectionHeader();
            QTest::newRow("collection") << b.build() << QStringLiteral("Collected");
        }
        {
            FontBuilder b = font({mac("Huge")});
            b.count = 0xFFFF;
            QTest::newRow("huge count, match present") << b.build() << QStringLiteral("Huge");
            b.records = {mac("Family", 1)};
            QTest::newRow("huge count, no match") << b.build() << QString();
        }
        {
            NameRecord r = mac("Gone");
            r.extraOffset = 100000;
            QTest::newRow("platform 1 string past the end") << font({r}).build() << QString();
        }
        {
            NameRecord r = win(QStringLiteral("Gone"));
            r.extraOffset = 100000;
            QTest::newRow("platform 3 string past the end") << font({r}).build() << QString();
        }
        {
            FontBuilder b = font({mac("Far")});
            b.tableOffset = 0xFFFFFFF0;
            QTest::newRow("name table past the end") << b.build() << QString();
        }
        {
            QByteArray bytes(12, '\0');
            bytes += "cmap";
            bytes += QByteArray(12, '\0');
            bytes += "head";
            bytes += QByteArray(12, '\0');
            QTest::newRow("no name table") << bytes << QString();
            QTest::newRow("name tag in the last four bytes") << bytes + "name" << QString();
            QByteArray last = bytes + "name";
            put32(last, 0);
            put32(last, 0);      // offset 0: the header read from the file's first bytes
            put32(last, 0);
            QTest::newRow("name record is the last 16 bytes") << last << QString();
        }
        {
            // 'name' in the table data, off the 16-byte steps, is not a record.
            QByteArray bytes(12, '\0');
            bytes += QByteArray(5, 'x') + "name" + QByteArray(30, '\0');
            QTest::newRow("name tag off the record steps") << bytes << QString();
        }
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("shorter than the header") << QByteArray("\0\1\0\0", 4) << QString();
        QTest::newRow("text file") << QByteArray("STARTFONT 2.1\nFONT -misc-fixed\n").repeated(50)
                                   << QString();
    }

    void readsBuiltFont()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QCOMPARE(ReadFontFileName(writeFont(bytes)), name);
    }

    // A well-formed font cut at each point of its layout reads what is left and no more.
    void truncatedFont_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");

        FontBuilder b;
        b.tablesBefore = {QStringLiteral("cmap")};
        b.records = {mac("Family", 1), win(QStringLiteral("Win Name")), mac("Mac Name")};
        const QByteArray full = b.build();
        const int table = 12 + 32;        // name table after two table records
        const int records = table + 6;    // name records after the name table header
        const int strings = records + 36; // "Family", "W.i.n. .N.a.m.e", "Mac Name"
        const int macString = strings + 6 + 16;
        QCOMPARE(full.size(), macString + 8);

        QTest::newRow("complete") << full << QStringLiteral("Mac Name");
        QTest::newRow("in the font header") << full.left(7) << QString();
        QTest::newRow("in the first table record") << full.left(20) << QString();
        QTest::newRow("in the name table record") << full.left(12 + 16 + 15) << QString();
        QTest::newRow("in the name table header") << full.left(table + 4) << QString();
        QTest::newRow("before the name records") << full.left(records) << QString();
        QTest::newRow("in the platform 3 record") << full.left(records + 12 + 5) << QString();
        QTest::newRow("in the platform 1 record: platform 3 is used")
            << full.left(records + 24 + 11) << QString();
        QTest::newRow("in the platform 3 string: platform 1 record is complete")
            << full.left(strings + 9) << QString();
        QTest::newRow("in the platform 1 string") << full.left(macString + 3) << QStringLiteral("Mac");
    }

    void truncatedFont()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QCOMPARE(ReadFontFileName(writeFont(bytes)), name);
    }

    // Any byte of a font overwritten with any of a few values: the reader neither crashes nor
    // reads outside the file (checked by the sanitizer build), and the name stays within bounds.
    void corruptedBytes()
    {
        FontBuilder b;
        b.tablesBefore = {QStringLiteral("cmap")};
        b.records = {mac("Family", 1), win(QStringLiteral("Win")), mac("Mac")};
        const QByteArray font = b.build();
        const QString path = m_dir.filePath(QStringLiteral("corrupt.ttf"));
        for (qsizetype at = 0; at < font.size(); ++at) {
            for (const char value : {'\x00', '\x01', '\x7F', '\x80', '\xFF'}) {
                QByteArray bytes = font;
                bytes[at] = value;
                QVERIFY(gwtest::writeFile(path, bytes));
                QVERIFY(ReadFontFileName(path).size() <= 256);
            }
        }
    }

    void notARegularFile()
    {
        QCOMPARE(ReadFontFileName(m_dir.path()), QString());
        QCOMPARE(ReadFontFileName(m_dir.filePath(QStringLiteral("missing.ttf"))), QString());
        QCOMPARE(ReadFontFileName(QString()), QString());
        QCOMPARE(ReadFontFileName(QStringLiteral("/dev/null")), QString());

        // A FIFO without a writer must neither block the open nor be read.
        const QString fifo = m_dir.filePath(QStringLiteral("pipe.ttf"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(ReadFontFileName(fifo), QString());
    }

    // The table records are searched as far as the largest directory reaches and no further: a
    // huge file (a sparse one of zeros here) is not read to its end.
    void directoryScanIsBounded_data()
    {
        QTest::addColumn<int>("recordsBefore");
        QTest::addColumn<QString>("name");
        QTest::newRow("last record of the largest directory") << 65534 << "Far";
        QTest::newRow("one record beyond") << 65535 << "";
    }
    void directoryScanIsBounded()
    {
        QFETCH(int, recordsBefore);
        QFETCH(QString, name);
        FontBuilder b;
        b.tablesBefore = QStringList(recordsBefore, QStringLiteral("pad "));
        b.records = {mac("Far")};
        QCOMPARE(ReadFontFileName(writeFont(b.build())), name);
    }
    void sparseFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("sparse.ttf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // As large as the file system allows, up to 15 TB; it takes a few blocks on disk.
        qint64 size = 15LL << 40;
        while (size > (1LL << 30) && !file.resize(size))
            size /= 2;
        QVERIFY2(file.size() > (1LL << 30), qPrintable(file.errorString()));
        file.close();
        QCOMPARE(ReadFontFileName(path), QString());
    }

    // The name is read together with the file it came from: device and inode as stat() gives
    // them for a file that opens, unknown for a path that leads to no regular file.
    void identityOfTheFileRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("known");
        QTest::newRow("font") << "font" << true;
        QTest::newRow("not a font") << "text" << true;
        QTest::newRow("hard link to a font") << "link" << true;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("FIFO") << "fifo" << false;
        QTest::newRow("folder") << "folder" << false;
    }
    void identityOfTheFileRead()
    {
        QFETCH(QString, kind);
        QFETCH(bool, known);
        const QString path = m_dir.filePath(QStringLiteral("identity-") + kind);
        const QString font = writeFont(fontWith(mac("Identity")));
        if (kind == QLatin1String("font"))
            QVERIFY(QFile::copy(font, path));
        else if (kind == QLatin1String("text"))
            QVERIFY(gwtest::writeFile(path, "not a font"));
        else if (kind == QLatin1String("link"))
            QCOMPARE(::link(QFile::encodeName(font).constData(), QFile::encodeName(path).constData()), 0);
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));

        const FontFileNames names = ReadFontFileNames(path);
        QCOMPARE(names.identity.isKnown(), known);
        if (!known)
            return;
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(names.identity.device, quint64(st.st_dev));
        QCOMPARE(names.identity.inode, quint64(st.st_ino));
        // A hard link is the very file it links to; a copy is another.
        QCOMPARE(names.identity == ReadFontFileNames(font).identity, kind == QLatin1String("link"));
        QCOMPARE(names.name, kind == QLatin1String("text") ? QString() : QStringLiteral("Identity"));
    }

    void unreadableFile()
    {
        const QString path = writeFont(fontWith(mac("Locked")));
        QCOMPARE(ReadFontFileName(path), QStringLiteral("Locked"));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0), 0);
        if (::geteuid() == 0)
            QSKIP("file permissions do not apply to root");
        QCOMPARE(ReadFontFileName(path), QString());
    }

    void pathWithNonAsciiCharacters()
    {
        const QString path = m_dir.filePath(QStringLiteral("Schriften ä €/Grüße.ttf"));
        QVERIFY(gwtest::writeFile(path, fontWith(win(QStringLiteral("Umlaut")))));
        QCOMPARE(ReadFontFileName(path), QStringLiteral("Umlaut"));
    }

    // Every font file of the three packages gives what an independent reader on fontTools derives
    // by the same rule.
    void realFontFiles()
    {
        QStringList files;
        for (const char *package : {"fonts-dejavu-core", "fonts-liberation2", "fonts-noto-core"}) {
            const QStringList found = gwtest::packageFontFiles(QString::fromLatin1(package));
            QVERIFY2(!found.isEmpty(), package);
            files += found;
        }

        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     QStringList{gwtest::sourceDir() + QStringLiteral("/tests/fonts/reference_names.py")}
                         + files);
        QVERIFY(python.waitForFinished(300000));
        QVERIFY2(python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0,
                 python.readAllStandardError().constData());
        const QByteArray errors = python.readAllStandardError();
        QVERIFY2(errors.isEmpty(), errors.constData());

        QHash<QString, QString> expected;
        const QList<QByteArray> lines = python.readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines) {
            const qsizetype tab = line.lastIndexOf('\t');
            if (tab < 0)
                continue;
            expected.insert(QFile::decodeName(line.left(tab)),
                            QString::fromUtf8(QByteArray::fromHex(line.mid(tab + 1))));
        }
        QCOMPARE(expected.size(), files.size());

        for (const QString &file : files) {
            const QString name = ReadFontFileName(file);
            QVERIFY2(expected.contains(file), qPrintable(file));
            QVERIFY2(name == expected.value(file),
                     qPrintable(file + QStringLiteral(": ") + name + QStringLiteral(" / ")
                                + expected.value(file)));
            QVERIFY2(name.size() > 1, qPrintable(file));
        }

        QCOMPARE(ReadFontFileName(gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"),
                                                          QStringLiteral("DejaVuSans-Bold.ttf"))),
                 QStringLiteral("DejaVu Sans Bold"));
        QCOMPARE(ReadFontFileName(gwtest::packageFontFile(QStringLiteral("fonts-liberation2"),
                                                          QStringLiteral("LiberationSerif-Italic.ttf"))),
                 QStringLiteral("Liberation Serif Italic"));
    }
};

GW_TEST_MAIN_CORE(TestFontFileName)

#include "tst_fontfilename.moc"
