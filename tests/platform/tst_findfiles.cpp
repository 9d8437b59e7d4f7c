#include "platform/FileAccess.h"
#include "platform/FindFiles.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "util/FilePaths.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList fontExtensions{".ttf", ".otf", ".fon", ".fnt", ".ttc", ".fot", ".mmm", ".pfb", ".pfm"};

/// Creates the empty files and folders (names ending in "/") below `root`.
bool makeTree(const QString &root, const QStringList &paths)
{
    for (const QString &p : paths) {
        if (p.endsWith(QLatin1Char('/'))) {
            if (!QDir(root).mkpath(p))
                return false;
        } else if (!gwtest::writeFile(root + QLatin1Char('/') + p, QByteArray())) {
            return false;
        }
    }
    return true;
}

/// The paths of `found` relative to `root` (which is given without a trailing "/").
QStringList relative(const QString &root, const QStringList &found)
{
    QStringList out;
    const QString prefix = root + QLatin1Char('/');
    for (const QString &f : found)
        out.append(f.startsWith(prefix) ? f.mid(prefix.size()) : QStringLiteral("OUTSIDE:") + f);
    return out;
}

} // namespace

class TestFindFiles : public QObject
{
    Q_OBJECT
private slots:
    void findFiles_data()
    {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<bool>("recurse");
        QTest::addColumn<QStringList>("expected");
        const QStringList fonts = fontExtensions;

        QTest::newRow("sub-folder files before own files")
            << QStringList{"a.ttf", "sub/b.ttf", "z.otf"} << fonts << true
            << QStringList{"sub/b.ttf", "a.ttf", "z.otf"};
        QTest::newRow("depth first, sub-folders in name order")
            << QStringList{"B/deep/x.ttf", "B/y.ttf", "a/z.ttf", "top.ttf"} << fonts << true
            << QStringList{"a/z.ttf", "B/deep/x.ttf", "B/y.ttf", "top.ttf"};
        QTest::newRow("extension order over name order")
            << QStringList{"a.pfm", "b.otf", "c.ttf", "d.otf"} << fonts << true
            << QStringList{"c.ttf", "b.otf", "d.otf", "a.pfm"};
        QTest::newRow("extension case ignored")
            << QStringList{"A.TTF", "b.Ttf", "c.ttf"} << QStringList{".ttf"} << true
            << QStringList{"A.TTF", "b.Ttf", "c.ttf"};
        QTest::newRow("upper-case extension given")
            << QStringList{"a.ttf"} << QStringList{".TTF"} << true << QStringList{"a.ttf"};
        QTest::newRow("name order ignores case, ties exact")
            << QStringList{"b.ttf", "B.ttf", "a.ttf", "C.ttf"} << QStringList{".ttf"} << true
            << QStringList{"a.ttf", "B.ttf", "b.ttf", "C.ttf"};
        QTest::newRow("names equal but for case in exact order")
            << QStringList{"AB.ttf", "Ab.ttf", "aB.ttf", "ab.ttf"} << QStringList{".ttf"} << true
            << QStringList{"AB.ttf", "Ab.ttf", "aB.ttf", "ab.ttf"};
        QTest::newRow("only the name ending counts")
            << QStringList{"a.ttf.bak", "attf", "b.ttfx", "c.ttf"} << QStringList{".ttf"} << true
            << QStringList{"c.ttf"};
        QTest::newRow("bare extension name and hidden files")
            << QStringList{".ttf", ".hidden.ttf", ".dir/x.ttf"} << QStringList{".ttf"} << true
            << QStringList{".dir/x.ttf", ".hidden.ttf", ".ttf"};
        QTest::newRow("sub-folder named like a font is walked, not listed")
            << QStringList{"x.ttf/inner.otf", "y.ttf"} << fonts << true
            << QStringList{"x.ttf/inner.otf", "y.ttf"};
        QTest::newRow("without recursion")
            << QStringList{"x.ttf/inner.otf", "sub/b.ttf", "a.ttf"} << fonts << false
            << QStringList{"a.ttf"};
        QTest::newRow("overlapping extensions list a file twice")
            << QStringList{"a.ttf"} << QStringList{".ttf", "f"} << true << QStringList{"a.ttf", "a.ttf"};
        QTest::newRow("empty folders") << QStringList{"e/", "f/g/"} << fonts << true << QStringList{};
        QTest::newRow("non-ASCII names")
            << QStringList{"Übung/ä.ttf", "ö.TTF"} << QStringList{".ttf"} << true
            << QStringList{"Übung/ä.ttf", "ö.TTF"};
    }
    void findFiles()
    {
        QFETCH(QStringList, tree);
        QFETCH(QStringList, extensions);
        QFETCH(bool, recurse);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(makeTree(dir.path(), tree));

        QStringList found;
        FindFiles(found, dir.path(), extensions, recurse);
        QCOMPARE(relative(dir.path(), found), expected);
    }

    // A name on disk that is not valid UTF-8 (here in a folder named so too) is listed with a path
    // that opens the file again and that reads with each stray byte as its Latin-1 character.
    void findFilesNamesOutsideUtf8_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("readable");
        QTest::newRow("valid UTF-8") << QByteArray("Gr\xC3\xBC\xC3\x9F" "e.ttf")
            << QString::fromUtf16(u"Gr\u00FC\u00DFe.ttf");
        QTest::newRow("Latin-1") << QByteArray("caf\xE9.ttf") << QString::fromUtf16(u"caf\u00E9.ttf");
        QTest::newRow("beside valid UTF-8") << QByteArray("\xE9\xC3\xA9.ttf")
            << QString::fromUtf16(u"\u00E9\u00E9.ttf");
        QTest::newRow("sequence cut short") << QByteArray("\xE2\x82.ttf") << QString::fromUtf16(u"\u00E2\uFFFD.ttf");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80.ttf")
            << QString::fromUtf16(u"\u00ED\u00A0\uFFFD.ttf");
        QTest::newRow("after a character beyond the basic plane")
            << QByteArray("\xF0\x9F\x93\xA9\xE9.ttf") << QString::fromUtf16(u"\U0001F4E9\u00E9.ttf");
        QTest::newRow("control range and the last byte")
            << QByteArray("\x80\x9F\xFF.ttf") << QString::fromUtf16(u"\uFFFD\uFFFD\u00FF.ttf");
    }
    void findFilesNamesOutsideUtf8()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, readable);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray folder = QFile::encodeName(dir.path()) + "/\xC4ltere";
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        QVERIFY(gwtest::writeNativeFile(folder + '/' + name, "font"));

        QStringList found;
        FindFiles(found, dir.path(), {QStringLiteral(".ttf")}, true);
        QCOMPARE(found.size(), 1);
        QCOMPARE(util::encodePath(found[0]), folder + '/' + name);
        QCOMPARE(util::readablePath(found[0]), dir.path() + QString::fromUtf16(u"/\u00C4ltere/") + readable);
        QByteArray contents;
        QVERIFY(platform::readFile(found[0], contents));
        QCOMPARE(contents, QByteArray("font"));
    }

    void findFilesPathForm()
    {
        QTemporaryDir dir;
        QVERIFY(makeTree(dir.path(), {"sub/a.ttf", "b.ttf"}));
        const QStringList expected{dir.path() + "/sub/a.ttf", dir.path() + "/b.ttf"};

        QStringList withoutSlash;
        FindFiles(withoutSlash, dir.path(), {".ttf"}, true);
        QCOMPARE(withoutSlash, expected);

        QStringList withSlash;
        FindFiles(withSlash, dir.path() + "/", {".ttf"}, true);
        QCOMPARE(withSlash, expected);
    }

    void findFilesAppends()
    {
        QTemporaryDir dir;
        QVERIFY(makeTree(dir.path(), {"a.ttf"}));
        QStringList list{"earlier"};
        FindFiles(list, dir.path(), {".ttf"}, true);
        FindFiles(list, dir.path(), {".ttf"}, true);
        QCOMPARE(list, (QStringList{"earlier", dir.path() + "/a.ttf", dir.path() + "/a.ttf"}));
    }

    void findFilesMissingFolder()
    {
        QTemporaryDir dir;
        QStringList list;
        FindFiles(list, dir.path() + "/missing", {".ttf"}, true);
        QVERIFY(list.isEmpty());
        // A file given as the folder is no folder either.
        QVERIFY(makeTree(dir.path(), {"a.ttf"}));
        FindFiles(list, dir.path() + "/a.ttf", {".ttf"}, true);
        QVERIFY(list.isEmpty());
    }

    void findFilesLinks()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(makeTree(root, {"fonts/a.ttf", "fonts/inner/b.ttf", "other/c.ttf"}));
        // A link back to an ancestor, a second link to one folder, a link to a file and a broken link.
        QVERIFY(QFile::link(root, root + "/fonts/inner/loop"));
        QVERIFY(QFile::link(root + "/other", root + "/fonts/x1"));
        QVERIFY(QFile::link(root + "/other", root + "/fonts/x2"));
        QVERIFY(QFile::link(root + "/other/c.ttf", root + "/fonts/linked.ttf"));
        QVERIFY(QFile::link(root + "/nowhere.ttf", root + "/fonts/broken.ttf"));

        QStringList found;
        FindFiles(found, root + "/fonts", {".ttf"}, true);
        // "other" is walked once, through the first link in name order; "loop" leads back to the
        // root, which the walk has not been in yet, so it is walked once from there.
        QCOMPARE(relative(root, found),
                 (QStringList{"fonts/inner/loop/other/c.ttf", "fonts/inner/b.ttf", "fonts/a.ttf",
                              "fonts/linked.ttf"}));

        // Started at the root, the loop meets the root again and ends there.
        QStringList fromRoot;
        FindFiles(fromRoot, root, {".ttf"}, true);
        QCOMPARE(relative(root, fromRoot),
                 (QStringList{"fonts/inner/b.ttf", "fonts/x1/c.ttf", "fonts/a.ttf", "fonts/linked.ttf"}));
    }

    void findFilesSkipsSpecialFiles()
    {
        QTemporaryDir dir;
        QVERIFY(makeTree(dir.path(), {"a.ttf"}));
        const QByteArray pipe = QFile::encodeName(dir.path() + "/pipe.ttf");
        QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
        QStringList found;
        FindFiles(found, dir.path(), {".ttf"}, true);
        QCOMPARE(relative(dir.path(), found), QStringList{"a.ttf"});
    }

    void findFilesUnreadableFolder()
    {
        QTemporaryDir dir;
        QVERIFY(makeTree(dir.path(), {"a.ttf", "locked/b.ttf", "locked/deeper/c.ttf"}));
        const QByteArray locked = QFile::encodeName(dir.path() + "/locked");
        QCOMPARE(::chmod(locked.constData(), 0), 0);
        // Hand the folder back so QTemporaryDir can remove it, whatever happens below.
        auto restore = qScopeGuard([&] { ::chmod(locked.constData(), 0700); });

        if (DIR *probe = ::opendir(locked.constData())) {
            ::closedir(probe);
            QSKIP("The folder stays readable without permissions (running with root rights)");
        }
        QStringList found;
        FindFiles(found, dir.path(), {".ttf"}, true);
        QCOMPARE(relative(dir.path(), found), QStringList{"a.ttf"});
    }
};

GW_TEST_MAIN_CORE(TestFindFiles)
#include "tst_findfiles.moc"
