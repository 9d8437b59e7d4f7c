// Keyboard use and screen-reader names of the program's windows: Tab reaches every control, the
// menus open with their letters, the list's keys, the link labels' Enter, and every control that
// takes the focus has a name in both languages.

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontInfoWindow.h"
#include "output/Tstatus.h"
#include "platform/UrlOpener.h"
#include "support/AppTestMain.h"
#include "ui/LinkLabel.h"

#include <QAccessible>
#include <QListWidget>
#include <QMenu>
#include <QTextEdit>
#include <QMenuBar>
#include <QTabWidget>

namespace {

void setLanguage(const QString &code)
{
    code == QLatin1String("de") ? prog->mdeClick() : prog->menClick();
}

// The top-level window `name`, shown and active as the user has it in front of them.
QWidget *activeWindow(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name) {
            w->show();
            w->activateWindow();
            return QTest::qWaitForWindowActive(w) ? w : nullptr;
        }
    return nullptr;
}

// The named control that has the focus; the line inside an editable drop-down counts as the box.
QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    while (focus && focus->objectName().isEmpty())
        focus = focus->parentWidget();
    return focus ? focus->objectName() : QString();
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT
private:
    QStringList m_opened;

private slots:
    void init()
    {
        m_opened.clear();
        platform::setUrlOpenHook([this](const QString &address) { m_opened << address; });
        gwtest::createWindowsWithoutGreeting();
    }

    void cleanup()
    {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        app::destroyWindows();
        platform::setUrlOpenHook({});
    }

    void tabReachesEveryControl_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("order"); // from the first control round to it again
        QTest::newRow("main window") << "prog"
                                     << QStringList{"ListBox1", "cb_system", "cb_folder", "ed_folder", "BitBtn2",
                                                    "Memo1", "cb_schriftprobe", "cb_schriftprobeliste", "cbdrucker",
                                                    "cd1", "Button1", "laspenden", "ListBox1"};
        QTest::newRow("settings") << "einst"
                                  << QStringList{"ed6", "cb1", "cb2", "cb_verz", "cb_filename", "cb_stdname",
                                                 "cb_ownscript", "or_hoch", "Edit5", "cb3", "cb4", "Edit1", "Edit3",
                                                 "Edit2", "Edit4", "Button1", "Button2", "ed6"};
        QTest::newRow("font information") << "fontinfo" << QStringList{"Memo1", "Button1", "Memo1"};
    }
    void tabReachesEveryControl()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, order);
        QWidget *w = activeWindow(window);
        QVERIFY(w);
        w->findChild<QWidget *>(order.first())->setFocus();
        QStringList visited = {focusName()};
        while (visited.size() < order.size()) {
            QTest::keyClick(w->windowHandle(), Qt::Key_Tab);
            visited << focusName();
        }
        QCOMPARE(visited, order);
    }

    void keys_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control"); // the focus
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("outcome"); // the pop-up menu open ("-": none), or the address opened
        const int alt = int(Qt::AltModifier);
        const auto row = [](const char *language, const char *window, const char *control, int key, int modifiers,
                            const char *outcome) {
            QTest::addRow("%s %s %x %x", language, control, key, modifiers)
                << language << window << control << key << modifiers << outcome;
        };
        row("de", "prog", "ListBox1", Qt::Key_P, alt, "m1");
        row("de", "prog", "ListBox1", Qt::Key_S, alt, "m2");
        row("de", "prog", "ListBox1", Qt::Key_H, alt, "info_de");
        row("en", "prog", "ListBox1", Qt::Key_T, alt, "m1");
        row("en", "prog", "ListBox1", Qt::Key_F, alt, "m2");
        row("en", "prog", "ListBox1", Qt::Key_I, alt, "info_en");
        // The letter of the hidden help menu opens nothing.
        row("en", "prog", "ListBox1", Qt::Key_H, alt, "-");
        row("de", "prog", "ListBox1", Qt::Key_I, alt, "-");
        row("en", "prog", "ListBox1", Qt::Key_Menu, 0, "PopupMenu1");
        row("de", "prog", "ListBox1", Qt::Key_F10, int(Qt::ShiftModifier), "PopupMenu1");
        row("en", "prog", "laspenden", Qt::Key_Return, 0, "http://www.velmont-media.com/donate&rf=gws");
        row("de", "prog", "laspenden", Qt::Key_Space, 0, "http://www.velmont-media.de/spenden&rf=gws");
        row("de", "hilfe", "laSupport", Qt::Key_Enter, int(Qt::KeypadModifier),
            "http://www.velmont-media.de/support&rf=gwh");
        row("en", "bugreport_en", "Label70", Qt::Key_Return, 0, "http://www.velmont-media.com/support&rf=gwr");
    }
    void keys()
    {
        QFETCH(QString, language);
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, outcome);
        setLanguage(language);
        QWidget *w = activeWindow(window);
        QVERIFY(w);
        w->findChild<QWidget *>(control)->setFocus();
        QTest::keyClick(w->windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCoreApplication::processEvents();
        if (outcome.startsWith(QLatin1String("http"))) {
            QCOMPARE(m_opened, QStringList{outcome});
            return;
        }
        const QWidget *popup = QApplication::activePopupWidget();
        QCOMPARE(popup ? popup->objectName() : QStringLiteral("-"), outcome);
    }

    // Ctrl+I shows the focused entry's font information, the keyboard focus in its text.
    void ctrlIShowsFontInformation()
    {
        setLanguage(QStringLiteral("en"));
        QVERIFY(activeWindow(QStringLiteral("prog")));
        QListWidget *list = prog->ListBox1;
        QVERIFY(list->count() > 1);
        list->setFocus();
        list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        QTest::keyClick(prog->windowHandle(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(fontinfo->isVisible());
        QCOMPARE(fontinfo->focusWidget(), fontinfo->Memo1);
        const QString text = fontinfo->factsText();
        QVERIFY2(text.startsWith(QStringLiteral("Entry: ") + prog->ListBox1->entry(1).name + QLatin1Char('\n')),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("\nFamily: ")), qPrintable(text));
    }

    // Space marks the focused row and takes the mark away again, without moving.
    void spaceTogglesTheMark()
    {
        QVERIFY(activeWindow(QStringLiteral("prog")));
        QListWidget *list = prog->ListBox1;
        QVERIFY(list->count() > 3);
        list->setFocus();
        list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        list->item(0)->setSelected(true);
        for (const bool marked : {true, false}) {
            QTest::keyClick(prog->windowHandle(), Qt::Key_Space);
            QCOMPARE(list->currentRow(), 2);
            QCOMPARE(list->item(2)->isSelected(), marked);
            QVERIFY(list->item(0)->isSelected());
        }
    }

    // Every menu item has a letter of its own in its menu, and so has every menu of the bar.
    void menuLettersDistinct_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("de") << "de";
        QTest::newRow("en") << "en";
    }
    void menuLettersDistinct()
    {
        QFETCH(QString, language);
        setLanguage(language);
        QList<QList<QAction *>> menus = {prog->menuBar()->actions(), prog->PopupMenu1->actions()};
        for (QMenu *menu : prog->menuBar()->findChildren<QMenu *>())
            menus << menu->actions();
        for (const QList<QAction *> &items : menus) {
            QSet<int> letters;
            for (const QAction *item : items) {
                if (item->isSeparator() || !item->isVisible())
                    continue;
                const QKeySequence letter = QKeySequence::mnemonic(item->text());
                QVERIFY2(!letter.isEmpty() && !letters.contains(letter[0].toCombined()), qPrintable(item->text()));
                letters << letter[0].toCombined();
            }
        }
    }

    // Every control that takes the focus is named for a screen reader, in the language in force
    // (one control's name stands for it); link labels are links.
    void everyControlNamed_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        const auto row = [](const char *language, const char *window, const char *control, const char *name) {
            QTest::addRow("%s %s", language, window) << language << window << control << QString::fromUtf8(name);
        };
        row("de", "prog", "ListBox1", "Schriftliste");
        row("en", "prog", "ListBox1", "Font list");
        row("de", "einst", "cb1", "Schriften durchnummerieren");
        row("en", "einst", "or_quer", "Landscape");
        row("de", "fpreview", "bold", "Fett");
        row("en", "fpreview", "FSize", "Font Size");
        row("de", "status", "stat", "Fortschritt");
        row("en", "status", "Break", "Break");
        row("de", "hilfe", "pc", "Seiten der Hilfe");
        row("en", "hilfe_en", "btien2", "next >>");
        row("de", "bugreport_de", "Button1", "OK");
        row("de", "fontinfo", "Memo1", "Schriftinformationen");
        row("en", "fontinfo", "Button1", "Close");
        row("en", "bugreport_en", "Label70", "velmont-media.com/support");
    }
    void everyControlNamed()
    {
        QFETCH(QString, language);
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, name);
        setLanguage(language);
        status->beginRun(language == QLatin1String("de"));
        QWidget *w = activeWindow(window);
        QVERIFY(w);
        QCOMPARE(w->findChild<QWidget *>(control)->accessibleName(), name);
        // Each page of a page control in turn, so that the controls of every page are seen.
        auto *pages = w->findChild<QTabWidget *>();
        for (int page = 0; page < (pages ? pages->count() : 1); ++page) {
            if (pages)
                pages->setCurrentIndex(page);
            for (QWidget *c : w->findChildren<QWidget *>()) {
                if (c->focusPolicy() == Qt::NoFocus || !c->isVisibleTo(w))
                    continue;
                QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName() + QLatin1Char('/') +
                                                                    QLatin1String(c->metaObject()->className())));
                if (qobject_cast<ui::LinkLabel *>(c))
                    QCOMPARE(QAccessible::queryAccessibleInterface(c)->role(), QAccessible::Link);
            }
        }
    }
};

GW_TEST_MAIN_APP(TestKeyboard)
#include "tst_keyboard.moc"
