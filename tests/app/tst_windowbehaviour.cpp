// How the windows behave on a desktop: keys, titles, keyboard order, sizes.

#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "output/Teinst.h"
#include "support/AppTestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QWindow>

class TestWindowBehaviour : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        gwtest::createWindowsWithoutGreeting();
        prog->show();
        prog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(prog));
    }
    void cleanup()
    {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        app::destroyWindows();
    }

    // An open drop-down or menu takes its own Esc; only an Esc that reaches the main window
    // ends the run. The keys go in as the window system delivers them.
    void escClosesWhatIsOpen_data()
    {
        QTest::addColumn<QString>("open");
        QTest::newRow("output box") << "cbdrucker";
        QTest::newRow("sample box") << "cd1";
        QTest::newRow("menu") << "m1";
        QTest::newRow("pop-up menu") << "PopupMenu1";
    }
    void escClosesWhatIsOpen()
    {
        QFETCH(QString, open);
        QSignalSpy ended(start, &Tstart::runEnded);
        if (auto *box = prog->findChild<QComboBox *>(open))
            box->showPopup();
        else
            prog->findChild<QMenu *>(open)->popup(prog->mapToGlobal(QPoint(20, 20)));
        QWidget *popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        QTest::keyClick(popup->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!popup->isVisible());
        QCOMPARE(ended.count(), 0);
        prog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(prog));
        QTest::keyClick(prog->windowHandle(), Qt::Key_Escape);
        QCOMPARE(ended.count(), 1);
    }

    // A text box keeps Del and Ctrl+Del for its own editing; only elsewhere they delete list
    // entries. The keys go to the focused box as the window system delivers them.
    void textBoxesKeepTheirDeleteKeys_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("edited");
        const int ctrl = int(Qt::ControlModifier);
        QTest::newRow("sample box, Del") << "cd1" << 0 << "one wo three";
        QTest::newRow("sample box, Ctrl+Del") << "cd1" << ctrl << "one three";
        QTest::newRow("folder box, Ctrl+Del") << "ed_folder" << ctrl << "one three";
        QTest::newRow("preview box, Del") << "Memo1" << 0 << "one wo three";
        QTest::newRow("preview box, Ctrl+Del") << "Memo1" << ctrl << "one three";
    }
    void textBoxesKeepTheirDeleteKeys()
    {
        QFETCH(QString, box);
        QFETCH(int, modifiers);
        QFETCH(QString, edited);
        prog->ListBox1->clear();
        prog->ListBox1->addItems({QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")});
        QWidget *focus = nullptr;
        const auto text = [box] {
            if (box == QLatin1String("Memo1"))
                return prog->Memo1->toPlainText();
            return box == QLatin1String("cd1") ? prog->cd1->currentText() : prog->ed_folder->text();
        };
        if (box == QLatin1String("Memo1")) {
            prog->Memo1->setPlainText(QStringLiteral("one two three"));
            QTextCursor cursor = prog->Memo1->textCursor();
            cursor.setPosition(4);
            prog->Memo1->setTextCursor(cursor);
            focus = prog->Memo1;
        } else {
            QLineEdit *line = box == QLatin1String("cd1") ? prog->cd1->lineEdit() : prog->ed_folder;
            line->setText(QStringLiteral("one two three"));
            line->setCursorPosition(4);
            // An editable drop-down box holds the focus for the line inside it.
            focus = box == QLatin1String("cd1") ? static_cast<QWidget *>(prog->cd1) : line;
        }
        focus->setFocus();
        QCOMPARE(QApplication::focusWidget(), focus);
        QTest::keyClick(focus, Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(prog->ListBox1->count(), 2);
        QCOMPARE(text(), edited);

        // In the list the same keys delete entries: Ctrl+Del the unmarked ones, Del the marked.
        prog->ListBox1->setFocus();
        prog->ListBox1->item(0)->setSelected(true);
        QTest::keyClick(prog->ListBox1, Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(prog->ListBox1->count(), 1);
        QCOMPARE(prog->ListBox1->item(0)->text(), modifiers ? QStringLiteral("DejaVu Sans") : QStringLiteral("DejaVu Serif"));
    }

    // The settings dialog is the main window's: the window system keeps it above the main
    // window, while both stay usable, also when a run disables the main window.
    void settingsDialogBelongsToTheMainWindow()
    {
        prog->m11->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(einst));
        QVERIFY(einst->isWindow());
        QCOMPARE(einst->windowHandle()->transientParent(), prog->windowHandle());
        QCOMPARE(einst->windowModality(), Qt::NonModal);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(einst->windowTitle(), QStringLiteral("Advanced Settings"));
        prog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(prog));
        QVERIFY(einst->isVisible());
        prog->setEnabled(false);
        QVERIFY(einst->isEnabled());
        prog->setEnabled(true);
    }

    // Typed text stays as typed: the sample box never completes it into the custom entry, which
    // empties the box only when chosen or typed in full.
    void typedSampleText_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("English") << false << "Cats and dogs" << "Cats and dogs";
        QTest::newRow("German") << true << "Brot und Butter" << "Brot und Butter";
        QTest::newRow("custom entry in full") << false << "Custom.." << "";
        QTest::newRow("custom entry in full, German") << true << "Benutzerdefiniert.." << "";
    }
    void typedSampleText()
    {
        QFETCH(bool, german);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        if (german)
            prog->mdeClick();
        QComboBox *box = prog->cd1;
        box->setFocus();
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), typed);
        QCOMPARE(box->currentText(), kept);
        box->setCurrentIndex(box->count() - 1);
        QCOMPARE(box->currentText(), QString());
    }

    // Every window shows exactly its own caption, also after the language was switched: Qt adds
    // the application's name to a caption unless the caption ends with it.
    void captionsAreTheWindowsOwn()
    {
        for (int round = 0; round < 2; ++round) {
            round == 0 ? prog->menClick() : prog->mdeClick();
            const QString appended = QGuiApplication::applicationDisplayName();
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (w->isWindow() && !w->windowTitle().isEmpty())
                    QVERIFY2(w->windowTitle().endsWith(appended), qPrintable(w->windowTitle() + QLatin1Char('|') + appended));
            }
        }
    }

    // The platform's own texts (dialog buttons) follow the interface language.
    void platformTextsFollowTheLanguage()
    {
        const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
        prog->mdeClick();
        QCOMPARE(cancel(), QStringLiteral("Abbrechen"));
        prog->menClick();
        QCOMPARE(cancel(), QStringLiteral("Cancel"));
    }

    // Tab goes through every control in reading order and comes round again.
    void tabFollowsReadingOrder()
    {
        const QStringList expected = {"ListBox1", "cb_system", "cb_folder", "ed_folder", "BitBtn2", "Memo1",
                                      "cb_schriftprobe", "cb_schriftprobeliste", "cbdrucker", "cd1", "Button1",
                                      "laspenden", "ListBox1"};
        prog->ListBox1->setFocus();
        QStringList visited = {QApplication::focusWidget()->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(prog->windowHandle(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            // An editable drop-down box has its focus in the line inside it.
            while (focus && focus->objectName().isEmpty())
                focus = focus->parentWidget();
            visited << (focus ? focus->objectName() : QString());
        }
        QCOMPARE(visited, expected);
        QVERIFY(!prog->Memo1->toPlainText().contains(QLatin1Char('\t')));
    }

    // At the minimum size no control covers another.
    void nothingOverlapsAtTheMinimumSize()
    {
        prog->resize(prog->minimumSize());
        QCoreApplication::processEvents();
        QWidget *client = prog->centralWidget();
        QList<QWidget *> shown;
        for (QWidget *w : client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisibleTo(prog))
                shown << w;
        for (int i = 0; i < shown.size(); ++i) {
            QVERIFY2(client->rect().contains(shown[i]->geometry()), qPrintable(shown[i]->objectName()));
            for (int j = i + 1; j < shown.size(); ++j)
                QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                         qPrintable(shown[i]->objectName() + QLatin1Char('/') + shown[j]->objectName()));
        }
    }
};

GW_TEST_MAIN_APP(TestWindowBehaviour)
#include "tst_windowbehaviour.moc"
