#include "app/Tprog.h"
#include "app/Windows.h"
#include "help/Tbugreport_de.h"
#include "help/Tbugreport_en.h"
#include "help/Thilfe.h"
#include "help/Thilfe_en.h"
#include "platform/UrlOpener.h"
#include "support/AppTestMain.h"
#include "ui/LinkLabel.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>

namespace {

/// Sets the interface language through the main window's menu, as the user does.
void setLanguage(const QString &code)
{
    if (code == QLatin1String("de"))
        prog->mdeClick();
    else
        prog->menClick();
}

help::HelpWindow *helpWindow(const QString &name)
{
    return name == QLatin1String("hilfe") ? static_cast<help::HelpWindow *>(hilfe)
                                          : static_cast<help::HelpWindow *>(hilfe_en);
}

/// Every label of `window` shows its whole text: it is at least as large as its text needs.
void verifyNothingClipped(QWidget *window)
{
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty())
            continue;
        const QSize needed = label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->sizeHint();
        QVERIFY2(label->width() >= needed.width() && label->height() >= needed.height(),
                 qPrintable(window->objectName() + QLatin1Char('/') + label->objectName()));
        const QRect inWindow(label->mapTo(window, QPoint(0, 0)), label->size());
        QVERIFY2(window->rect().contains(inWindow), qPrintable(label->objectName()));
    }
}

} // namespace

class TestHelpWindows : public QObject
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
        app::destroyWindows();
        platform::setUrlOpenHook({});
    }

    void helpMenusInOrder_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("de") << "de"
                            << QStringList{"Einfhrung1", "m_bug_de", "Wiesospenden1", "-", "mweb_de1", "mweb_de2",
                                           "mweb_de3", "mweb_de4", "mweb_de5", "mweb_de6"};
        QTest::newRow("en") << "en"
                            << QStringList{"Introduction1", "m_bug_en", "WhyDonate1", "-", "mweb_en1", "mweb_en2",
                                           "mweb_en3", "mweb_en4", "mweb_en5", "mweb_en6"};
    }

    void helpMenusInOrder()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, items);
        setLanguage(language);
        const QMenu *menu = language == QLatin1String("de") ? prog->info_de : prog->info_en;
        const QMenu *other = language == QLatin1String("de") ? prog->info_en : prog->info_de;
        QVERIFY(menu->menuAction()->isVisible());
        QVERIFY(!other->menuAction()->isVisible());
        QStringList names;
        for (const QAction *action : menu->actions())
            names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        QCOMPARE(names, items);
    }

    // The help names the PDF entry exactly as the output box shows it in the same language.
    void helpNamesThePdfEntry_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("de") << "de";
        QTest::newRow("en") << "en";
    }
    void helpNamesThePdfEntry()
    {
        QFETCH(QString, language);
        setLanguage(language);
        const int index = prog->cbdrucker->findText(QStringLiteral("PDF-"), Qt::MatchStartsWith);
        QVERIFY(index >= 0);
        const QString entry = QLatin1Char('"') + prog->cbdrucker->itemText(index) + QLatin1Char('"');
        QStringList texts;
        for (const QLabel *label : helpWindow(language == QLatin1String("de") ? "hilfe" : "hilfe_en")->findChildren<QLabel *>())
            texts << label->text();
        QVERIFY2(texts.join(QLatin1Char('\n')).contains(entry), qPrintable(entry));
    }

    // Each menu item and link label opens its page once, with the referrer of its place.
    void linksOpenTheirPages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("window"); // empty: the main window
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *language, const char *window, const char *control, const char *expected) {
            QTest::addRow("%s %s %s", language, window, control) << language << window << control << expected;
        };
        row("de", "", "mweb_de1", "http://www.velmont-media.de/glyphwerk&rf=vm");
        row("de", "", "mweb_de2", "http://www.velmont-media.de/glyphwerk/einfuehrung&rf=vm");
        row("de", "", "mweb_de3", "http://www.velmont-media.de/glyphwerk/dokumentation&rf=vm");
        row("de", "", "mweb_de4", "http://www.velmont-media.de/spenden&rf=vm");
        row("de", "", "mweb_de5", "http://www.velmont-media.de/&rf=vm");
        row("de", "", "mweb_de6", "http://www.velmont-media.com/&rf=vm");
        row("en", "", "mweb_en1", "http://www.velmont-media.com/glyphworks&rf=vm");
        row("en", "", "mweb_en2", "http://www.velmont-media.com/glyphworks/introduction&rf=vm");
        row("en", "", "mweb_en3", "http://www.velmont-media.com/glyphworks/help&rf=vm");
        row("en", "", "mweb_en4", "http://www.velmont-media.com/donate&rf=vm");
        row("en", "", "mweb_en5", "http://www.velmont-media.com/&rf=vm");
        row("en", "", "mweb_en6", "http://www.velmont-media.de/&rf=vm");
        row("de", "", "laspenden", "http://www.velmont-media.de/spenden&rf=gws");
        row("en", "", "laspenden", "http://www.velmont-media.com/donate&rf=gws");
        row("de", "hilfe", "laProgramm", "http://www.velmont-media.de/glyphwerk&rf=gwh");
        row("de", "hilfe", "laSupport", "http://www.velmont-media.de/support&rf=gwh");
        row("de", "hilfe", "laSpenden", "http://www.velmont-media.de/spenden&rf=gwh");
        row("en", "hilfe_en", "laProgramm", "http://www.velmont-media.com/glyphworks/help&rf=gwh");
        row("en", "hilfe_en", "laSupport", "http://www.velmont-media.com/support&rf=gwh");
        row("en", "hilfe_en", "laSpenden", "http://www.velmont-media.com/donate&rf=gwh");
        row("de", "bugreport_de", "Label70", "http://www.velmont-media.de/support&rf=gwr");
        row("en", "bugreport_en", "Label70", "http://www.velmont-media.com/support&rf=gwr");
    }

    void linksOpenTheirPages()
    {
        QFETCH(QString, language);
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, expected);
        setLanguage(language);
        if (auto *item = prog->findChild<QAction *>(control)) {
            item->trigger();
        } else {
            QWidget *owner = prog;
            for (QWidget *top : QApplication::topLevelWidgets())
                if (!window.isEmpty() && top->objectName() == window)
                    owner = top;
            auto *label = owner->findChild<QLabel *>(control);
            QVERIFY(label);
            if (auto *help = qobject_cast<help::HelpWindow *>(owner))
                help->showPage(label->parentWidget()->objectName() == QLatin1String("pc_spenden") ? help->pc_spenden
                                                                                                 : help->pc_hilfe);
            owner->show();
            QTest::mouseClick(label, Qt::LeftButton);
        }
        QCOMPARE(m_opened, QStringList{expected});
    }

    // The three report items open the window of the language in force, also after a switch.
    void reportItemsFollowTheLanguage()
    {
        for (QAction *item : {prog->m_bug, prog->m_bug_de, prog->m_bug_en}) {
            setLanguage(QStringLiteral("de"));
            item->trigger();
            QVERIFY2(bugreport_de->isVisible() && !bugreport_en->isVisible(), qPrintable(item->objectName()));
            bugreport_de->hide();
            setLanguage(QStringLiteral("en"));
            item->trigger();
            QVERIFY2(bugreport_en->isVisible() && !bugreport_de->isVisible(), qPrintable(item->objectName()));
            QTest::mouseClick(bugreport_en->Button1, Qt::LeftButton);
            QVERIFY(!bugreport_en->isVisible());
        }
    }

    void menuShowsHelpOnItsPage()
    {
        prog->Wiesospenden1->trigger();
        QVERIFY(hilfe->isVisible());
        QCOMPARE(hilfe->pc->currentWidget(), hilfe->pc_spenden);
        // Already shown: the same window changes its page.
        prog->Einfhrung1->trigger();
        QVERIFY(hilfe->isVisible());
        QCOMPARE(hilfe->pc->currentWidget(), hilfe->pc_hilfe);
        prog->WhyDonate1->trigger();
        QCOMPARE(hilfe_en->pc->currentWidget(), hilfe_en->pc_spenden);
        prog->Introduction1->trigger();
        QVERIFY(hilfe_en->isVisible());
        QCOMPARE(hilfe_en->pc->currentWidget(), hilfe_en->pc_hilfe);
    }

    void pageButtonsWrapAround_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("back");
        QTest::addColumn<QString>("next");
        QTest::newRow("de") << "hilfe" << "btide1" << "btide2";
        QTest::newRow("en") << "hilfe_en" << "btien1" << "btien2";
    }

    void pageButtonsWrapAround()
    {
        QFETCH(QString, window);
        QFETCH(QString, back);
        QFETCH(QString, next);
        help::HelpWindow *w = helpWindow(window);
        w->showPage(w->pc_hilfe);
        auto *backButton = w->findChild<QPushButton *>(back);
        auto *nextButton = w->findChild<QPushButton *>(next);
        QVERIFY(backButton && nextButton);
        QTest::mouseClick(backButton, Qt::LeftButton);
        QCOMPARE(w->pc->currentWidget(), w->pc_spenden);
        QTest::mouseClick(nextButton, Qt::LeftButton);
        QCOMPARE(w->pc->currentWidget(), w->pc_hilfe);
        QTest::mouseClick(nextButton, Qt::LeftButton);
        QTest::mouseClick(nextButton, Qt::LeftButton);
        QCOMPARE(w->pc->currentWidget(), w->pc_hilfe);
    }

    // The press on a link stays with it: passed on, it would start moving the window, which
    // then takes the release and the click is lost.
    void linkPressStaysWithTheLink()
    {
        hilfe->showPage(hilfe->pc_hilfe);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), hilfe->laSupport->mapToGlobal(QPointF(2, 2)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(hilfe->laSupport, &press);
        QVERIFY(press.isAccepted());
    }

    void screenshots()
    {
        for (help::HelpWindow *w : {static_cast<help::HelpWindow *>(hilfe), static_cast<help::HelpWindow *>(hilfe_en)}) {
            for (QWidget *page : {w->pc_hilfe, w->pc_spenden}) {
                w->showPage(page);
                QVERIFY(QTest::qWaitForWindowExposed(w));
                verifyNothingClipped(w);
                QVERIFY(w->grab().save(
                    QDir::current().filePath(w->objectName() + QLatin1Char('_') + page->objectName() + ".png")));
            }
        }
        for (QWidget *w : {static_cast<QWidget *>(bugreport_de), static_cast<QWidget *>(bugreport_en)}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            verifyNothingClipped(w);
            QVERIFY(w->grab().save(QDir::current().filePath(w->objectName() + ".png")));
        }
    }
};

GW_TEST_MAIN_APP(TestHelpWindows)
#include "tst_helpwindows.moc"
