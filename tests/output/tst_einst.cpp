#include "app/Tprog.h"
#include "app/Windows.h"
#include "output/Teinst.h"
#include "support/AppTestMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

void open()
{
    prog->m11->trigger();
    QVERIFY(einst->isVisible());
}

QStringList committed()
{
    return {prog->Label11->text(), prog->Label12->text(), prog->Label13->text(),
            prog->Label14->text(), prog->Label15->text(), prog->Label16->text()};
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
    }

    void cleanup()
    {
        app::destroyWindows();
    }

    void firstOpeningShowsDefaults()
    {
        open();
        QCOMPARE(einst->windowTitle(), QStringLiteral("Advanced Settings"));
        QVERIFY(einst->windowFlags() & Qt::Tool);
        QVERIFY(!(einst->windowFlags() & Qt::WindowCloseButtonHint));
        const QStringList fields = {einst->Edit1->text(), einst->Edit2->text(), einst->Edit3->text(),
                                    einst->Edit4->text(), einst->Edit5->currentText(), einst->ed6->text()};
        QCOMPARE(fields, QStringList({"5", "200", "250", "550", "8", "  --  "}));
        QCOMPARE(einst->Edit5->count(), 20);
        for (QCheckBox *on : {einst->cb1, einst->cb2, einst->cb_verz, einst->cb_filename, einst->cb_stdname})
            QVERIFY2(on->isChecked() && on->text().isEmpty(), qPrintable(on->objectName()));
        QVERIFY(!einst->cb3->isChecked() && !einst->cb4->isChecked() && !einst->cb_ownscript->isChecked());
        QVERIFY(einst->or_hoch->isChecked() && !einst->or_quer->isChecked());
    }

    void cancelKeepsTypedFieldsUntilReopened()
    {
        open();
        einst->Edit1->clear();
        QTest::keyClicks(einst->Edit1, "12");
        einst->Button2->click();
        QVERIFY(!einst->isVisible());
        // The output reads the field, so the typed value stays in force until the next showing.
        QCOMPARE(einst->Edit1->text(), QStringLiteral("12"));
        QCOMPARE(prog->Label11->text(), QStringLiteral("5"));
        open();
        QCOMPARE(einst->Edit1->text(), QStringLiteral("5"));
    }

    void sizeCommitsAtOnce()
    {
        open();
        einst->Edit5->setCurrentIndex(einst->Edit5->findText("24"));
        QCOMPARE(prog->Label15->text(), QStringLiteral("24"));
        einst->Button2->click();
        open();
        QCOMPARE(einst->Edit5->currentText(), QStringLiteral("24"));

        // Typed sizes are taken as typed (no completion from the list) and committed at once.
        einst->Edit5->clearEditText();
        QTest::keyClicks(einst->Edit5, "1");
        QCOMPARE(einst->Edit5->currentText(), QStringLiteral("1"));
        QTest::keyClicks(einst->Edit5, "5");
        QCOMPARE(prog->Label15->text(), QStringLiteral("15"));
        einst->Edit5->clearEditText();
        QCOMPARE(prog->Label15->text(), QStringLiteral("15"));
    }

    void okCommitsNonEmptyFieldsUnvalidated()
    {
        open();
        einst->Edit2->clear();
        einst->Edit3->setText("x7"); // as pasted: the filter sees only typed characters
        einst->Button1->click();
        QVERIFY(!einst->isVisible());
        QCOMPARE(committed(), QStringList({"5", "200", "x7", "550", "8", "  --  "}));
    }

    void separatorOnlyOnOk()
    {
        open();
        einst->ed6->setText("#");
        einst->Button2->click();
        QCOMPARE(prog->Label16->text(), QStringLiteral("  --  "));
        open();
        QCOMPARE(einst->ed6->text(), QStringLiteral("  --  "));
        QTest::keyClicks(einst->ed6, "x.");
        einst->Button1->click();
        QCOMPARE(prog->Label16->text(), QStringLiteral("  --  x."));
        QVERIFY(dialogs::shown().isEmpty());
    }

    void digitFilterRefuses_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("german");
        QTest::newRow("letter de") << "Edit1" << int(Qt::Key_A) << true;
        QTest::newRow("minus") << "Edit2" << int(Qt::Key_Minus) << true;
        QTest::newRow("point") << "Edit3" << int(Qt::Key_Period) << false;
        QTest::newRow("comma") << "Edit4" << int(Qt::Key_Comma) << true;
        QTest::newRow("size letter") << "Edit5" << int(Qt::Key_X) << false;
        QTest::newRow("control character") << "Edit1" << int(Qt::Key_Escape) << false;
    }
    void digitFilterRefuses()
    {
        QFETCH(QString, field);
        QFETCH(int, key);
        QFETCH(bool, german);
        if (german)
            prog->mdeClick();
        open();
        QWidget *target = einst->findChild<QWidget *>(field);
        QVERIFY(target);
        auto text = [&] {
            auto *combo = qobject_cast<QComboBox *>(target);
            return combo ? combo->currentText() : static_cast<QLineEdit *>(target)->text();
        };
        const QString before = text();
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(text(), before);
        QCOMPARE(dialogs::shown().size(), 1);
        QCOMPARE(dialogs::shown().first().kind, dialogs::DialogKind::Information);
        QCOMPARE(dialogs::shown().first().text, german ? QStringLiteral("In diesem Feld sind nur Zahleneingaben erlaubt.")
                                                       : QStringLiteral("In this box only numerical entries are allowed."));
    }

    void digitsBackspaceAndMovesPass()
    {
        open();
        QTest::keyClicks(einst->Edit4, "07");
        QTest::keyClick(einst->Edit4, Qt::Key_Backspace);
        QTest::keyClick(einst->Edit4, Qt::Key_Home);
        QTest::keyClick(einst->Edit4, Qt::Key_Delete);
        QCOMPARE(einst->Edit4->text(), QStringLiteral("500"));
        QVERIFY(dialogs::shown().isEmpty());
    }

    void labelTogglesItsSwitchAndCancelRestores_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("box");
        QTest::newRow("numbering") << "Label1" << "cb1";
        QTest::newRow("font name") << "Label2" << "cb2";
        QTest::newRow("italic") << "Label5" << "cb3";
        QTest::newRow("bold") << "Label3" << "cb4";
        QTest::newRow("directory") << "Label8" << "cb_verz";
        QTest::newRow("file name") << "Label9" << "cb_filename";
        QTest::newRow("standard font") << "Label10" << "cb_stdname";
        QTest::newRow("own script") << "Label13" << "cb_ownscript";
    }
    void labelTogglesItsSwitchAndCancelRestores()
    {
        QFETCH(QString, label);
        QFETCH(QString, box);
        open();
        auto *check = einst->findChild<QCheckBox *>(box);
        auto *caption = einst->findChild<QLabel *>(label);
        QVERIFY(check && caption);
        const bool before = check->isChecked();
        QTest::mouseClick(caption, Qt::LeftButton);
        QCOMPARE(check->isChecked(), !before);
        einst->Label12Click();
        einst->Button2->click();
        QCOMPARE(check->isChecked(), before);
        QVERIFY(einst->or_hoch->isChecked() && !einst->or_quer->isChecked());
        // The snapshot is taken at each showing: a change kept through OK is what Cancel restores next.
        open();
        QTest::mouseClick(caption, Qt::LeftButton);
        einst->Button1->click();
        open();
        QTest::mouseClick(caption, Qt::LeftButton);
        einst->Button2->click();
        QCOMPARE(check->isChecked(), !before);
    }

    void orientationCaptionsSwitchEitherWay()
    {
        open();
        QTest::mouseClick(einst->Label11, Qt::LeftButton);
        QVERIFY(einst->or_quer->isChecked() && !einst->or_hoch->isChecked());
        QTest::mouseClick(einst->Label11, Qt::LeftButton);
        QVERIFY(einst->or_hoch->isChecked() && !einst->or_quer->isChecked());
        QTest::mouseClick(einst->Label12, Qt::LeftButton);
        QVERIFY(einst->or_quer->isChecked() && !einst->or_hoch->isChecked());
        QTest::mouseClick(einst->Label12, Qt::LeftButton);
        QVERIFY(einst->or_hoch->isChecked() && !einst->or_quer->isChecked());
    }

    void screenshotsInBothLanguages()
    {
        auto check = [](const QString &language) {
            const bool german = language == QLatin1String("de");
            QCOMPARE(einst->windowTitle(), german ? QStringLiteral("Erweiterte Einstellungen") : QStringLiteral("Advanced Settings"));
            QCOMPARE(einst->GroupBox1->title(), german ? QStringLiteral("Abstände") : QStringLiteral("Margins"));
            QCOMPARE(einst->Button2->text(), german ? QStringLiteral("Abbrechen") : QStringLiteral("Cancel"));
            QCOMPARE(einst->Label6->text(), QStringLiteral("Style"));
            // Grouping and order, top to bottom.
            QVERIFY(einst->GroupBox3->geometry().bottom() < einst->GroupBox2->geometry().top());
            QVERIFY(einst->GroupBox2->geometry().bottom() < einst->GroupBox1->geometry().top());
            QVERIFY(einst->GroupBox1->geometry().bottom() < einst->Button1->geometry().top());
            QVERIFY(einst->Button1->geometry().right() < einst->Button2->geometry().left());
            QVERIFY(einst->or_hoch->x() < einst->or_quer->x());
            QVERIFY(einst->Edit1->x() < einst->Edit3->x() && einst->Edit1->y() < einst->Edit2->y());
            // Every text fits, also right after a switch of the language.
            for (QLabel *l : einst->findChildren<QLabel *>())
                QVERIFY2(l->sizeHint().width() <= l->width(), qPrintable(l->objectName()));
            QVERIFY(einst->grab().save(QDir::current().filePath(QStringLiteral("einst_%1.png").arg(language))));
        };
        open();
        QVERIFY(QTest::qWaitForWindowExposed(einst));
        check(QStringLiteral("en"));
        prog->mdeClick(); // while open
        check(QStringLiteral("de"));
        if (QTest::currentTestFailed())
            return;
        einst->Button2->click();
        prog->menClick(); // while hidden
        open();
        check(QStringLiteral("en"));
    }
};

GW_TEST_MAIN_APP(TestSettingsDialog)
#include "tst_einst.moc"
