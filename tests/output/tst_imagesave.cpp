// The save routines of the image targets with the main window's save dialog.

#include "app/Tprog.h"
#include "app/Windows.h"
#include "output/ImageSave.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"
#include "util/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The formats, in the order bmp, jpg, gif.
const output::ImageFormat formats[] = {output::ImageFormat::Bmp, output::ImageFormat::Jpeg, output::ImageFormat::Gif};

QByteArray fileStart(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
}

QImage sheet()
{
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

class TestImageSave : public QObject
{
    Q_OBJECT
private:
    QString m_startDir = QDir::currentPath();
    QTemporaryDir m_workDir;

private slots:
    void initTestCase()
    {
        // No language marker here: the run starts in English.
        QDir::setCurrent(m_workDir.path());
        gwtest::createWindowsWithoutGreeting();
    }
    void cleanupTestCase()
    {
        app::destroyWindows();
        QDir::setCurrent(m_startDir);
    }
    void init()
    {
        dialogs::clearShown();
    }

    void proposalFollowsLanguage()
    {
        QCOMPARE(prog->sdFileName, QStringLiteral("Font Image"));
        QTemporaryDir dir;
        dialogs::setNextAnswer(dir.filePath(QStringLiteral("first.bmp")));
        output::saveImageWithDialog(sheet(), output::ImageFormat::Bmp, prog->sdFileName, app::isGerman());
        QCOMPARE(dialogs::shown().constFirst().proposal, QStringLiteral("Font Image"));
        QCOMPARE(prog->sdFileName, dir.filePath(QStringLiteral("first.bmp")));
        prog->mdeClick();
        QCOMPARE(prog->sdFileName, QStringLiteral("Schrift Bild"));
        prog->menClick();
        QCOMPARE(prog->sdFileName, QStringLiteral("Font Image"));
    }

    void dialogThenCancel_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("bmp") << 0 << "Bitmap (*.bmp)|*.bmp" << ".bmp" << QByteArray("BM");
        QTest::newRow("jpg") << 1 << "JPEG (*.jpg)|*.jpg" << ".jpg" << QByteArray("\xFF\xD8\xFF");
        QTest::newRow("gif") << 2 << "GIF (*.gif)|*.gif" << ".gif" << QByteArray("GIF8");
    }
    // "Sheet" typed without extension is written as Sheet plus the format's extension; the next
    // dialog proposes that path, and cancelling it writes and says nothing.
    void dialogThenCancel()
    {
        QFETCH(int, format);
        QFETCH(QString, filter);
        QFETCH(QString, extension);
        QFETCH(QByteArray, magic);
        const auto save = [format](const QImage &image, QString &fileName, bool german) {
            output::saveImageWithDialog(image, formats[format], fileName, german);
        };
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("Sheet") + extension);

        dialogs::setNextAnswer(dir.filePath(QStringLiteral("Sheet")));
        save(sheet(), prog->sdFileName, app::isGerman());
        QVERIFY(fileStart(chosen).startsWith(magic));
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().at(0).kind, dialogs::DialogKind::Save);
        QCOMPARE(dialogs::shown().at(0).title, QString());
        QCOMPARE(dialogs::shown().at(0).text, filter);

        dialogs::setNextAnswer(QString());
        save(sheet(), prog->sdFileName, app::isGerman());
        QCOMPARE(dialogs::shown().size(), 2);
        QCOMPARE(dialogs::shown().at(1).proposal, chosen);
        QCOMPARE(prog->sdFileName, chosen);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(chosen).fileName()});

        // The split run's routine writes under the name it is given, without a dialog.
        const QString part = dir.filePath(QStringLiteral("Sheet0") + extension);
        output::saveImageToName(sheet(), formats[format], part, app::isGerman());
        QVERIFY(fileStart(part).startsWith(magic));
        QCOMPARE(dialogs::shown().size(), 2);
    }

    void toNameFailureReachesCaller_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("bmp") << 0 << false << "The image could not be saved as" << "No such file or directory";
        // The system's reason comes in the interface language too.
        QTest::newRow("jpg") << 1 << true << "konnte nicht als" << "nicht gefunden";
        QTest::newRow("gif") << 2 << false << "The image could not be saved as" << "No such file or directory";
        // The run goes on past the file-size limit (no SIGXFSZ) and tells why.
        QTest::newRow("bmp beyond file-size limit") << 0 << false << "The image could not be saved as"
                                                    << "File too large";
    }
    void toNameFailureReachesCaller()
    {
        QFETCH(int, format);
        QFETCH(bool, german);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        if (german)
            prog->mdeClick();
        QTemporaryDir dir;
        const bool limit = reason == QLatin1String("File too large");
        const QString path = dir.filePath(limit ? QStringLiteral("part0.img") : QStringLiteral("missing/part0.img"));
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 1000;
        if (limit)
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString message;
        try {
            output::saveImageToName(sheet(), formats[format], path, app::isGerman());
        } catch (const util::Error &e) {
            message = e.message();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        prog->menClick();
        QVERIFY2(message.contains(text) && message.contains(path), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QVERIFY(dialogs::shown().isEmpty());
    }

    // The real dialog, driven from a timer: the Windows-style filter as one Qt filter, no title
    // of ours, no overwrite question, starting at the proposed name.
    void realDialog()
    {
        QTemporaryDir dir;
        QVERIFY(gwtest::writeFile(dir.filePath(QStringLiteral("Sheet.gif")), "old"));
        prog->sdFileName = dir.filePath(QStringLiteral("Font Image"));
        QStringList filters;
        QString proposed;
        bool asksOverwrite = true;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            filters = dialog->nameFilters();
            proposed = dialog->selectedFiles().value(0);
            asksOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->selectFile(QStringLiteral("Sheet"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        // Whatever happens above, no dialog stays open.
        QTimer::singleShot(10000, this, [] {
            if (QWidget *open = QApplication::activeModalWidget())
                open->close();
        });
        dialogs::setNonInteractive(false);
        const QString chosen = output::askImageFileName(QStringLiteral("GIF (*.gif)|*.gif"), QStringLiteral(".gif"),
                                                         prog->sdFileName);
        dialogs::setNonInteractive(true);
        QCOMPARE(filters, QStringList{QStringLiteral("GIF (*.gif)")});
        // The dialog reports the proposal with its default extension, as it would save it.
        QCOMPARE(proposed, dir.filePath(QStringLiteral("Font Image.gif")));
        QVERIFY(!asksOverwrite);
        QCOMPARE(chosen, dir.filePath(QStringLiteral("Sheet.gif")));
        QCOMPARE(prog->sdFileName, chosen);
    }

    // A proposal never names a file of another image format.
    void proposalTakesTheFormatsExtension_data()
    {
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("bmp for jpeg") << "/tmp/sheet.bmp" << ".jpg" << "/tmp/sheet.jpg";
        QTest::newRow("jpeg for gif") << "sheet.JPEG" << ".gif" << "sheet.gif";
        QTest::newRow("same format") << "sheet.bmp" << ".bmp" << "sheet.bmp";
        QTest::newRow("jpeg for jpeg") << "sheet.jpeg" << ".jpg" << "sheet.jpeg";
        QTest::newRow("other extension") << "sheet.png" << ".gif" << "sheet.png";
        QTest::newRow("no extension") << "Font Image" << ".jpg" << "Font Image";
        QTest::newRow("dot in folder only") << "/tmp/a.bmp/sheet" << ".jpg" << "/tmp/a.bmp/sheet";
    }
    void proposalTakesTheFormatsExtension()
    {
        QFETCH(QString, last);
        QFETCH(QString, extension);
        QFETCH(QString, proposal);
        QCOMPARE(output::proposalFor(last, extension), proposal);
    }

    // After a bitmap was saved, the JPEG target proposes the same name as a JPEG file and leaves
    // the bitmap alone.
    void nextFormatDoesNotReplaceTheLastFile()
    {
        QTemporaryDir dir;
        const QString bmp = dir.filePath(QStringLiteral("sheet.bmp"));
        dialogs::setNextAnswer(bmp);
        output::saveImageWithDialog(sheet(), output::ImageFormat::Bmp, prog->sdFileName, app::isGerman());
        dialogs::clearShown();
        dialogs::setNextAnswer(QString());
        output::saveImageWithDialog(sheet(), output::ImageFormat::Jpeg, prog->sdFileName, app::isGerman());
        QCOMPARE(dialogs::shown().constFirst().proposal, dir.filePath(QStringLiteral("sheet.jpg")));
        QCOMPARE(fileStart(bmp).left(2), QByteArray("BM"));
    }

    void defaultExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("completed");
        QTest::newRow("bare") << "Sheet" << "Sheet.bmp";
        QTest::newRow("dot in folder") << "/tmp/v1.2/Sheet" << "/tmp/v1.2/Sheet.bmp";
        QTest::newRow("own extension") << "Sheet.png" << "Sheet.png";
        QTest::newRow("format's extension") << "/tmp/Sheet.bmp" << "/tmp/Sheet.bmp";
        QTest::newRow("empty") << "" << "";
    }
    void defaultExtension()
    {
        QFETCH(QString, name);
        QFETCH(QString, completed);
        QCOMPARE(output::withDefaultExtension(name, QStringLiteral(".bmp")), completed);
    }
};

GW_TEST_MAIN_APP(TestImageSave)
#include "tst_imagesave.moc"
