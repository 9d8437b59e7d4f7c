// Samples in each font's own script: the command line's switch, the window's check box, and a
// PDF sheet whose fonts lack the sample's letters read back with pdftotext.

#include "app/ListSources.h"
#include "app/SheetCommand.h"
#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontListView.h"
#include "fonts/ScriptSamples.h"
#include "output/Teinst.h"
#include "support/AppTestMain.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestOwnScript : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_fonts;

    // The sheet of the test folder's fonts, as pdftotext reads it; `extra` ends the command line.
    QString sheetText(const QString &name, const QStringList &extra)
    {
        const QString pdf = m_dir.filePath(name);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(variable));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("runtime")));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(m_dir.path());
        program.start(QStringLiteral(GW_PROGRAM), QStringList{QStringLiteral("--sheet"), pdf, QStringLiteral("--folder"),
                                                              m_fonts, QStringLiteral("--no-system-fonts"),
                                                              QStringLiteral("--quiet")}
                                                      + extra);
        if (!program.waitForFinished(120000) || program.exitCode() != 0) {
            qWarning("%s", program.readAllStandardError().constData());
            return {};
        }
        return gwtest::toolOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fonts = m_dir.filePath(QStringLiteral("fonts"));
        QVERIFY(QDir().mkpath(m_fonts));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("runtime"))));
        QVERIFY(QFile::setPermissions(m_dir.filePath(QStringLiteral("runtime")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile("fonts-dejavu-core", "DejaVuSans.ttf"),
                                 m_fonts + QStringLiteral("/a-latin.ttf")));
        QVERIFY(gwtest::copyFile(gwtest::packageFontFile("fonts-noto-core", "NotoSansArabic-Regular.ttf"),
                                 m_fonts + QStringLiteral("/b-arabic.ttf")));
        // A Japanese font of kana alone: the fonts the packages hold all have Latin letters too.
        gwtest::toolOutput(QStringLiteral("/usr/bin/python3"),
                           {QStringLiteral("-m"), QStringLiteral("fontTools.subset"),
                            gwtest::packageFontFile("fonts-ipafont-gothic", "ipag.ttf"),
                            QStringLiteral("--unicodes=U+3041-3096,U+30A1-30FA"),
                            QStringLiteral("--output-file=") + m_fonts + QStringLiteral("/c-kana.ttf")});
        QVERIFY(QFile::exists(m_fonts + QStringLiteral("/c-kana.ttf")));
    }

    void commandLineSwitch()
    {
        const app::Command on = app::parseCommand({QStringLiteral("--sheet"), QStringLiteral("a.pdf"),
                                                   QStringLiteral("--own-script")});
        QCOMPARE(on.kind, app::CommandKind::Sheet);
        QVERIFY(app::sheetRequest(on.options, false).ownScript);
        const app::Command off = app::parseCommand({QStringLiteral("--sheet"), QStringLiteral("a.pdf")});
        QVERIFY(!app::sheetRequest(off.options, false).ownScript);
        QCOMPARE(app::parseCommand({QStringLiteral("--own-script")}).kind, app::CommandKind::UsageError);
    }

    // The window's sheet lines follow the settings dialog's check box, line by line.
    void windowFollowsTheCheckBox()
    {
        gwtest::createWindowsWithoutGreeting();
        prog->cb_system->setChecked(false);
        prog->cb_folder->setChecked(true);
        prog->ed_folder->setText(m_fonts);
        prog->SchriftenNeuLadenClick();
        prog->cd1->setEditText(QStringLiteral("Sample"));
        const app::ListSheet sheet(*prog);
        QCOMPARE(sheet.count(), 3);
        const auto samples = [&] {
            QStringList ends;
            for (qsizetype i = 0; i < sheet.count(); ++i)
                ends << sheet.line(i).rest.section(QStringLiteral("  --  "), -1);
            ends.sort();
            return ends;
        };
        QVERIFY(!sheet.ownScript());
        QCOMPARE(samples(), QStringList(3, QStringLiteral("Sample")));
        prog->m11->trigger();
        QTest::mouseClick(einst->Label13, Qt::LeftButton);
        einst->Button1->click();
        QVERIFY(sheet.ownScript());
        QStringList own{QStringLiteral("Sample"), fonts::scriptSample(QStringLiteral("Arab")),
                        fonts::scriptSample(QStringLiteral("Hira"))};
        own.sort();
        QCOMPARE(samples(), own);
        app::destroyWindows();
    }

    // The Arabic and the kana font show their own scripts; the Latin font keeps the sample text.
    // Without the switch the sheet is as it always was.
    void pdfSheet()
    {
        const QString english = QStringLiteral("Anton is eating Cheese!");
        const QString iroha = fonts::scriptSample(QStringLiteral("Hira"));
        const QString abjad = fonts::scriptSample(QStringLiteral("Arab"));
        const QString own = sheetText(QStringLiteral("own.pdf"), {QStringLiteral("--own-script")});
        QVERIFY(!own.isEmpty());
        QVERIFY2(own.contains(iroha.section(QLatin1Char(' '), 0, 1)), qPrintable(own));
        // pdftotext gives Arabic in the shapes the letters take in their words: compatibility
        // decomposition makes them letters again.
        QVERIFY2(own.normalized(QString::NormalizationForm_KC).contains(abjad), qPrintable(own));
        QCOMPARE(own.count(english), 1);
        const QString plain = sheetText(QStringLiteral("plain.pdf"), {});
        QVERIFY(!plain.isEmpty());
        QVERIFY(!plain.contains(iroha.section(QLatin1Char(' '), 0, 0)));
        QVERIFY(!plain.normalized(QString::NormalizationForm_KC).contains(abjad.section(QLatin1Char(' '), 0, 0)));
    }
};

GW_TEST_MAIN_APP(TestOwnScript)
#include "tst_ownscript.moc"
