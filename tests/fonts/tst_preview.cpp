// The sample text box, the font dialog of the small sample box, the preview window and the
// language switch across the windows.

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/Tfpreview.h"
#include "output/ImageSave.h"
#include "output/Teinst.h"
#include "support/AppTestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

class TestPreview : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dialogs::clearShown();
        gwtest::createWindowsWithoutGreeting();
        prog->show();
    }
    void cleanup() { app::destroyWindows(); }

    void customEntry_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<bool>("german");
        QTest::newRow("chosen") << false << false;
        QTest::newRow("typed") << true << false;
        QTest::newRow("chosen, German") << false << true;
    }
    void customEntry()
    {
        QFETCH(bool, typed);
        QFETCH(bool, german);
        if (german)
            prog->mdeClick();
        QComboBox *box = prog->cd1;
        const QString custom = german ? QStringLiteral("Benutzerdefiniert..") : QStringLiteral("Custom..");
        QCOMPARE(box->itemText(box->count() - 1), custom);
        if (typed)
            box->setEditText(custom);
        else
            box->setCurrentIndex(box->count() - 1);
        QCOMPARE(box->currentText(), QString());
        QCOMPARE(box->currentIndex(), -1);
        QVERIFY(prog->focusWidget() == box || prog->focusWidget() == box->lineEdit());
        box->setEditText(QStringLiteral("Custom.. and more"));
        QCOMPARE(box->currentText(), QStringLiteral("Custom.. and more"));
    }

    // OK gives the small box the dialog's font and colour; a later move in the list changes its
    // font name only. Cancel changes nothing.
    void fontDialog()
    {
        const QFont before = prog->Memo1->font();
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::FontChoice{}));
        prog->msp->trigger();
        QCOMPARE(prog->Memo1->font(), before);
        QCOMPARE(dialogs::shown().constLast().kind, dialogs::DialogKind::Font);

        QFont chosen(QStringLiteral("DejaVu Serif"), 20);
        chosen.setItalic(true);
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::FontChoice{true, chosen, QColor(200, 0, 0)}));
        prog->msp->trigger();
        QCOMPARE(prog->Memo1->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(prog->Memo1->palette().color(QPalette::Text), QColor(200, 0, 0));

        prog->ListBox1->clear();
        prog->ListBox1->addItems({QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans Mono")});
        prog->ListBox1->setCurrentRow(1);
        QTest::mouseMove(prog->ListBox1->viewport(), QPoint(5, 3));
        QCOMPARE(prog->Memo1->font().family(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(prog->Memo1->font().pointSize(), 20);
        QVERIFY(prog->Memo1->font().italic());
        QCOMPARE(prog->Memo1->palette().color(QPalette::Text), QColor(200, 0, 0));
        // The dialog starts with what was confirmed last.
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::FontChoice{}));
        prog->msp->trigger();
        QCOMPARE(dialogs::shown().constLast().text, QStringLiteral("DejaVu Serif 20"));
    }

    void sizeBoxAndArrows()
    {
        QPlainTextEdit *memo = fpreview->Memo2;
        const auto size = [memo] { return memo->font().pointSize(); };
        fpreview->FSize->setEditText(QStringLiteral("20"));
        QCOMPARE(size(), 20);
        for (const char *invalid : {"12a", "", "-"}) {
            fpreview->FSize->setEditText(QLatin1String(invalid));
            QCOMPARE(size(), 20);
        }
        fpreview->FSize->setEditText(QStringLiteral("0"));
        QCOMPARE(size(), QFont().pointSize());
        // A size far beyond any font's use is held at the largest one instead of drawing glyphs
        // of gigabytes.
        fpreview->FSize->setEditText(QStringLiteral("2000000000"));
        QCOMPARE(size(), 1638);
        fpreview->FSize->setEditText(QStringLiteral("13"));
        QTest::mouseClick(fpreview->UpDown1->findChild<QToolButton *>(QStringLiteral("up")), Qt::LeftButton);
        QCOMPARE(size(), 14);
        QCOMPARE(fpreview->FSize->currentText(), QStringLiteral("14"));
        QTest::mouseClick(fpreview->UpDown1->findChild<QToolButton *>(QStringLiteral("down")), Qt::LeftButton);
        QTest::mouseClick(fpreview->UpDown1->findChild<QToolButton *>(QStringLiteral("down")), Qt::LeftButton);
        QCOMPARE(size(), 12);
    }

    void styleButtons()
    {
        QPlainTextEdit *memo = fpreview->Memo2;
        const QFont before = memo->font();
        fpreview->bold->click();
        fpreview->italic->click();
        fpreview->under->click();
        QVERIFY(memo->font().bold() && memo->font().italic() && memo->font().underline());
        fpreview->bold->click();
        QVERIFY(!memo->font().bold() && memo->font().italic() && memo->font().underline());
        fpreview->italic->click();
        fpreview->under->click();
        QCOMPARE(memo->font(), before);
        QVERIFY(!fpreview->bold->isDown());
    }

    void showingAndHiding()
    {
        prog->cb_schriftprobe->click();
        QVERIFY(fpreview->isVisible());
        fpreview->close();
        QVERIFY(!fpreview->isVisible());
        QVERIFY(!prog->cb_schriftprobe->isChecked());
        prog->m_spgross->trigger();
        QVERIFY(fpreview->isVisible());
        QVERIFY(!prog->cb_schriftprobe->isChecked());
        fpreview->FSize->setEditText(QStringLiteral("30"));
        prog->cb_schriftprobe->click(); // shown already: ticked now
        prog->cb_schriftprobe->click();
        QVERIFY(!fpreview->isVisible());
        prog->cb_schriftprobe->click();
        QCOMPARE(fpreview->Memo2->font().pointSize(), 30);
    }

    // German to English with a typed sample, an image target, the settings dialog open and
    // 120 entries: every window and message in English, settings values unchanged.
    void switchAcrossTheWindows()
    {
        prog->mdeClick();
        prog->cd1->setEditText(QStringLiteral("my own sample"));
        prog->cbdrucker->setCurrentIndex(3);
        prog->m11Click();
        einst->Edit1->setText(QStringLiteral("7"));
        prog->ListBox1->clear();
        prog->ListBox1->addItems(QStringList(120, QStringLiteral("DejaVu Sans")));
        prog->sdFileName = QStringLiteral("/tmp/chosen.bmp");
        QCOMPARE(fpreview->windowTitle(), QStringLiteral("Schriftprobe"));
        QCOMPARE(fpreview->Label1->text(), QStringLiteral("Schriftgröße:"));

        prog->menClick();
        QCOMPARE(prog->Label1->text(), QStringLiteral("120 Fonts Detected!"));
        QVERIFY(prog->cd1->currentText().startsWith(QLatin1String("Anton is eating Cheese!")));
        QCOMPARE(prog->cbdrucker->currentText(), QStringLiteral("Standard Printer"));
        QCOMPARE(fpreview->windowTitle(), QStringLiteral("Font Preview"));
        QCOMPARE(fpreview->Label1->text(), QStringLiteral("Font Size:"));
        QVERIFY(einst->isVisible());
        QCOMPARE(einst->windowTitle(), QStringLiteral("Advanced Settings"));
        QCOMPARE(einst->Edit1->text(), QStringLiteral("7"));
        QVERIFY(einst->Edit1KeyPress(u'x'));
        QCOMPARE(dialogs::shown().constLast().text, QStringLiteral("In this box only numerical entries are allowed."));
        QCOMPARE(prog->sdFileName, QStringLiteral("Font Image"));

        // The active language chosen again applies it again.
        prog->cd1->setEditText(QStringLiteral("typed again"));
        prog->menClick();
        QVERIFY(prog->cd1->currentText().startsWith(QLatin1String("Anton is eating Cheese!")));
    }

    void screenshots()
    {
        for (const bool german : {true, false}) {
            german ? prog->mdeClick() : prog->menClick();
            fpreview->show();
            QVERIFY(QTest::qWaitForWindowExposed(fpreview));
            QCOMPARE(fpreview->size(), QSize(615, 346));
            QVERIFY(fpreview->grab().save(
                QDir::current().filePath(german ? QStringLiteral("fpreview_de.png") : QStringLiteral("fpreview_en.png"))));
        }
    }
};

GW_TEST_MAIN_APP(TestPreview)
#include "tst_preview.moc"
