// The construction of the main window: its controls, their places and tab order, its menus, and
// the output box's entries.

#include "app/Tprog.h"

#include "app/MainWindowTexts.h"
#include "fonts/FontListDelegate.h"
#include "fonts/FontListView.h"
#include "output/SheetRequest.h"
#include "platform/Printers.h"
#include "ui/Anchors.h"
#include "ui/LinkLabel.h"
#include "ui/Links.h"
#include "ui/Look.h"
#include "ui/Named.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>

using namespace app;
using namespace ui;

namespace {

// The examples of the sample box without the custom entry, for completing typed text.
class ExamplesWithoutCustomEntry : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        return !isCustomEntry(sourceModel()->index(row, 0, parent).data().toString());
    }
};

// Completes typed text in the sample box. An empty box is completed to nothing: it was just
// emptied for a text of one's own, and the first example filled in would take its place.
class SampleCompleter : public QCompleter
{
public:
    using QCompleter::QCompleter;

    QStringList splitPath(const QString &path) const override
    {
        // A prefix that no example begins with.
        return {path.isEmpty() ? QString(QChar(QChar::Null)) : path};
    }
};

QFrame *raisedPanel(QWidget *parent, const char *name)
{
    auto *panel = named(new QFrame(parent), name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

QAction *menuItem(QMenu *menu, QObject *owner, const char *name, const QString &text)
{
    auto *action = named(new QAction(text, owner), name);
    menu->addAction(action);
    return action;
}

} // namespace

void Tprog::createControls()
{
    auto *client = named(new QWidget(this), "client");
    setCentralWidget(client);
    client->resize(kDesignClient);
    auto *layout = new AnchorLayout(client, kDesignClient);
    const unsigned all = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom;
    const unsigned topRight = AnchorTop | AnchorRight;
    const unsigned rightBottom = AnchorRight | AnchorBottom;
    const unsigned leftBottom = AnchorLeft | AnchorBottom;

    ListBox1 = named(new fonts::FontListView(client), "ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListBox1Rows = new fonts::FontListDelegate(ListBox1);
    // Mouse movements without a button carry the font too.
    ListBox1->viewport()->setMouseTracking(true);
    ListBox1->installEventFilter(this);
    ListBox1->viewport()->installEventFilter(this);
    layout->place(ListBox1, {8, 8, 235, 484}, all);

    Panel1 = raisedPanel(client, "Panel1");
    layout->place(Panel1, {249, 8, 252, 68}, topRight);
    Label3 = named(new QLabel(Panel1), "Label3");
    Label3->setGeometry(9, 10, 238, 13);
    Label4 = named(new QLabel(Panel1), "Label4");
    Label4->setGeometry(9, 23, 238, 13);
    Label1 = named(new QLabel(Panel1), "Label1");
    Label1->setGeometry(9, 42, 238, 13);

    Panel3 = raisedPanel(client, "Panel3");
    layout->place(Panel3, {249, 90, 252, 84}, topRight);
    cb_system = named(new QCheckBox(Panel3), "cb_system");
    cb_system->setGeometry(9, 10, 236, 17);
    cb_system->setChecked(true);
    cb_folder = named(new QCheckBox(Panel3), "cb_folder");
    cb_folder->setGeometry(9, 29, 236, 17);
    ed_folder = named(new QLineEdit(Panel3), "ed_folder");
    ed_folder->setGeometry(9, 50, 171, 21);
    ed_folder->installEventFilter(this);
    BitBtn2 = named(new QPushButton(QStringLiteral("Öffnen"), Panel3), "BitBtn2");
    BitBtn2->setGeometry(186, 50, 59, 21);

    Panel2 = raisedPanel(client, "Panel2");
    layout->place(Panel2, {249, 188, 252, 185}, topRight);
    Label2 = named(new QLabel(QStringLiteral("Schriftprobe"), Panel2), "Label2");
    Label2->setGeometry(9, 10, 236, 13);
    Memo1 = named(new QPlainTextEdit(Panel2), "Memo1");
    Memo1->setGeometry(9, 27, 236, 108);
    Memo1->setPlainText(QStringLiteral("abc def ghijklm\nnopqr stuv wxyz \n1234567890"));
    Memo1->setFont(sampleBoxFont(16));
    cb_schriftprobe = named(new QCheckBox(QStringLiteral("Größeres Feld für Schriftprobe anzeigen"), Panel2),
                            "cb_schriftprobe");
    cb_schriftprobe->setGeometry(9, 138, 236, 17);
    cb_schriftprobeliste = named(new QCheckBox(QStringLiteral("Schriftprobe auch in Liste anzeigen"), Panel2),
                                 "cb_schriftprobeliste");
    cb_schriftprobeliste->setGeometry(9, 158, 236, 17);

    Label8 = named(new QLabel(QStringLiteral("Drucker oder anderes Ausgabe Format:"), client), "Label8");
    layout->place(Label8, {249, 455, 252, 14}, rightBottom);
    cbdrucker = named(new QComboBox(client), "cbdrucker");
    cbdrucker->setEditable(false);
    cbdrucker->setMaxVisibleItems(15);
    cbdrucker->installEventFilter(this);
    layout->place(cbdrucker, {249, 471, 252, 21}, rightBottom);

    Label5 = named(new QLabel(QStringLiteral("Diese Zeichen werden ausgegeben. Wählen Sie eins der Beispiele aus oder "
                                             "schreiben Sie in die Box:"),
                              client),
                   "Label5");
    layout->place(Label5, {8, 496, 493, 14}, leftBottom);
    cd1 = named(new QComboBox(client), "cd1");
    cd1->setEditable(true);
    cd1->setInsertPolicy(QComboBox::NoInsert);
    cd1->setMaxVisibleItems(13);
    // Typed text is completed from the examples, never into the custom entry: a first letter
    // completed to it would empty the box under the user's fingers.
    auto *examples = new ExamplesWithoutCustomEntry(cd1);
    examples->setSourceModel(cd1->model());
    auto *completer = new SampleCompleter(examples, cd1);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::InlineCompletion);
    cd1->setCompleter(completer);
    layout->place(cd1, {8, 512, 493, 21}, AnchorLeft | AnchorRight | AnchorBottom);

    Button1 = named(new QPushButton(QStringLiteral("Ausgeben"), client), "Button1");
    layout->place(Button1, {391, 540, 110, 25}, rightBottom);

    auto *donationLabel = named(new ui::LinkLabel(client), "laspenden");
    connect(donationLabel, &ui::LinkLabel::clicked, this, &Tprog::laspendenClick);
    laspenden = donationLabel;
    QPalette lp = laspenden->palette();
    lp.setColor(QPalette::WindowText, linkColour());
    laspenden->setPalette(lp);
    layout->place(laspenden, {8, 551, 375, 14}, leftBottom);

    // The captions name their fields for screen readers.
    Label2->setBuddy(Memo1);
    Label8->setBuddy(cbdrucker);
    Label5->setBuddy(cd1);

    // The committed output settings, hidden, starting as a sheet does by default.
    const char *names[] = {"Label11", "Label12", "Label13", "Label14", "Label15", "Label16"};
    const output::SheetRequest defaults;
    const QString values[] = {QString::number(defaults.numbers.spacing), QString::number(defaults.numbers.left),
                              QString::number(defaults.numbers.top),     QString::number(defaults.numbers.bottom),
                              QString::number(defaults.numbers.size),    defaults.separator};
    QLabel **labels[] = {&Label11, &Label12, &Label13, &Label14, &Label15, &Label16};
    for (int i = 0; i < 6; ++i) {
        *labels[i] = named(new QLabel(values[i], client), names[i]);
        (*labels[i])->hide();
    }

    // Tab follows the reading order: the list, then the right column from top to bottom, then
    // the sample text, the output button and the donation link. The sample box passes Tab on
    // instead of taking it.
    Memo1->setTabChangesFocus(true);
    QWidget *const order[] = {ListBox1, cb_system, cb_folder, ed_folder, BitBtn2, Memo1, cb_schriftprobe,
                                    cb_schriftprobeliste, cbdrucker, cd1, Button1, laspenden};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(cb_system, &QCheckBox::clicked, this, [this] { cb_systemClick(cb_system); });
    connect(cb_folder, &QCheckBox::clicked, this, [this] { cb_folderClick(cb_folder); });
    connect(cb_schriftprobeliste, &QCheckBox::clicked, this, &Tprog::cb_schriftprobelisteClick);
    connect(cb_schriftprobe, &QCheckBox::toggled, this, &Tprog::cb_schriftprobeClick);
    connect(cd1, &QComboBox::editTextChanged, this, &Tprog::cd1Change);
    connect(BitBtn2, &QPushButton::clicked, this, &Tprog::BitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &Tprog::Button1Click);
}

void Tprog::createMenus()
{
    QMenuBar *menu = menuBar();
    menu->setObjectName(QStringLiteral("menu"));

    m1 = named(menu->addMenu(QStringLiteral("Programm")), "m1");
    mdruck = menuItem(m1, this, "mdruck", QStringLiteral("Drucken"));
    m_spgross = menuItem(m1, this, "m_spgross", QStringLiteral("Größere Liste"));
    m1->addSeparator();
    m11 = menuItem(m1, this, "m11", QStringLiteral("Erweiterte Einstellungen"));
    msp = menuItem(m1, this, "msp", QStringLiteral("Schriftprobe: Farbe und Größe"));
    m1->addSeparator();
    mspr = named(m1->addMenu(QStringLiteral("Sprache")), "mspr");
    mde = menuItem(mspr, this, "mde", QStringLiteral("Deutsch"));
    mde->setCheckable(true);
    men = menuItem(mspr, this, "men", QStringLiteral("English"));
    men->setCheckable(true);
    m1->addSeparator();
    m_bug = menuItem(m1, this, "m_bug", QStringLiteral("Fehler oder Verbesserung melden.."));
    m1->addSeparator();
    m12 = menuItem(m1, this, "m12", QStringLiteral("Beenden"));
    // Esc is shown on the item, but ends the run only when it reaches the window itself
    // (keyPressEvent): as a window-wide shortcut it would also fire while a drop-down list or a
    // menu is open, whose own Esc only closes it.
    m12->setShortcut(QKeySequence(Qt::Key_Escape));
    m12->setShortcutContext(Qt::WidgetShortcut);

    m2 = named(menu->addMenu(QStringLiteral("Schriftliste")), "m2");
    SchriftenNeuLaden = menuItem(m2, this, "SchriftenNeuLaden", QStringLiteral("Schriften neu laden"));
    m_system = menuItem(m2, this, "m_system", QStringLiteral("Anzeige der Systemschriften"));
    m_system->setCheckable(true);
    m_system->setChecked(true);
    m_folder = menuItem(m2, this, "m_folder", QStringLiteral("Anzeige von Schriften aus Ordner"));
    m_folder->setCheckable(true);
    m2->addSeparator();
    m22 = menuItem(m2, this, "m22", QStringLiteral("Aktuelles Element löschen"));
    m22->setShortcut(QKeySequence(Qt::Key_Delete));
    m23 = menuItem(m2, this, "m23", QStringLiteral("Nicht markierte Löschen"));
    m23->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    mspbSeparator = m2->addSeparator();
    mspbSeparator->setVisible(false);
    mspb = menuItem(m2, this, "mspb", QStringLiteral("Schriftprobe in Box anzeigen"));
    mspb->setCheckable(true);
    mspb->setVisible(false);

    // Each help menu keeps its own language; the language switch only shows one of them. The two
    // menus' letters differ, as the menu bar answers the letters of a hidden menu too. The link
    // items' accelerator marks stand in their descriptions, or before a letter of an address that
    // no other item of the menu uses; opening a link drops them.
    info_de = named(menu->addMenu(QStringLiteral("&Hilfe und Info")), "info_de");
    Einfhrung1 = menuItem(info_de, this, "Einfhrung1", QStringLiteral("&Einführung"));
    m_bug_de = menuItem(info_de, this, "m_bug_de", QStringLiteral("&Fehler oder Verbesserung melden.."));
    Wiesospenden1 = menuItem(info_de, this, "Wiesospenden1", QStringLiteral("&Wieso spenden?"));
    info_de->addSeparator();
    const QString linksDe[] = {QLatin1String(kProgramDe) + QStringLiteral(" - &Homepage dieser Software"),
                               QLatin1String(kIntroDe) + QStringLiteral(" - Einführung in &dieser Software"),
                               QLatin1String(kDocsDe) + QStringLiteral(" - Dokumentation &aller Funktionen"),
                               QLatin1String(kDonateDe) + QStringLiteral(" - Falls Ihnen diese Software &gefällt"),
                               QLatin1Char('&') + QLatin1String(kHomeDe),
                               QString::fromLatin1(kHomeEn).replace(QLatin1String(".com"), QLatin1String(".&com"))};
    for (const QString &text : linksDe)
        links_de << menuItem(info_de, this, qPrintable(QStringLiteral("mweb_de%1").arg(links_de.size() + 1)), text);

    info_en = named(menu->addMenu(QStringLiteral("Help and &Information")), "info_en");
    Introduction1 = menuItem(info_en, this, "Introduction1", QStringLiteral("&Introduction"));
    m_bug_en = menuItem(info_en, this, "m_bug_en", QStringLiteral("&Report Bug or Improvement.."));
    WhyDonate1 = menuItem(info_en, this, "WhyDonate1", QStringLiteral("&Why Donate?"));
    info_en->addSeparator();
    const QString linksEn[] = {QLatin1String(kProgramEn) + QStringLiteral(" - Website &of this Software"),
                               QLatin1String(kIntroEn) + QStringLiteral(" - Introduction &to this Software"),
                               QLatin1String(kDocsEn) + QStringLiteral(" - &Documentation of all Functions"),
                               QLatin1String(kDonateEn) + QStringLiteral(" - If you &like this Application"),
                               QLatin1Char('&') + QLatin1String(kHomeEn),
                               QString::fromLatin1(kHomeDe).replace(QLatin1String("-media"), QLatin1String("-&media"))};
    for (const QString &text : linksEn)
        links_en << menuItem(info_en, this, qPrintable(QStringLiteral("mweb_en%1").arg(links_en.size() + 1)), text);
    for (QAction *item : links_de + links_en)
        connect(item, &QAction::triggered, this, [this, item] { BrowseToMenuCaption(item); });

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    pop1 = menuItem(PopupMenu1, this, "pop1", QStringLiteral("Markierte Elemente löschen"));
    pop2 = menuItem(PopupMenu1, this, "pop2", QStringLiteral("Unmarkierte Elemente löschen"));
    // The focused entry's font information, in the pop-up menu and the Font List menu.
    PopupMenu1->addSeparator();
    pop_info = menuItem(PopupMenu1, this, "pop_info", QStringLiteral("Schriftinformationen…"));
    m2->addSeparator();
    m_info = menuItem(m2, this, "m_info", QStringLiteral("Schriftinformationen…"));
    m_info->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(pop_info, &QAction::triggered, this, &Tprog::m_infoClick);
    connect(m_info, &QAction::triggered, this, &Tprog::m_infoClick);
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(pos)); });

    connect(mdruck, &QAction::triggered, this, &Tprog::Button1Click);
    connect(m_spgross, &QAction::triggered, this, &Tprog::m_spgrossClick);
    connect(msp, &QAction::triggered, this, &Tprog::mspClick);
    connect(m11, &QAction::triggered, this, &Tprog::m11Click);
    connect(mde, &QAction::triggered, this, &Tprog::mdeClick);
    connect(men, &QAction::triggered, this, &Tprog::menClick);
    connect(m12, &QAction::triggered, this, &Tprog::m12Click);
    connect(SchriftenNeuLaden, &QAction::triggered, this, &Tprog::SchriftenNeuLadenClick);
    connect(m_system, &QAction::triggered, this, [this] { cb_systemClick(m_system); });
    connect(m_folder, &QAction::triggered, this, [this] { cb_folderClick(m_folder); });
    connect(m22, &QAction::triggered, this, &Tprog::m22Click);
    connect(m23, &QAction::triggered, this, &Tprog::m23Click);
    connect(pop1, &QAction::triggered, this, &Tprog::m22Click);
    connect(pop2, &QAction::triggered, this, &Tprog::m23Click);
    connect(mspb, &QAction::triggered, this, &Tprog::mspbClick);
    connect(m_bug, &QAction::triggered, this, &Tprog::m_bugClick);
    connect(m_bug_de, &QAction::triggered, this, &Tprog::m_bug_deClick);
    connect(m_bug_en, &QAction::triggered, this, &Tprog::m_bug_enClick);
    connect(Einfhrung1, &QAction::triggered, this, &Tprog::Einfhrung1Click);
    connect(Introduction1, &QAction::triggered, this, &Tprog::Introduction1Click);
    connect(Wiesospenden1, &QAction::triggered, this, &Tprog::Wiesospenden1Click);
    connect(WhyDonate1, &QAction::triggered, this, &Tprog::WhyDonate1Click);
}

void Tprog::fillPrinters()
{
    cbdrucker->addItems({QStringLiteral("Standarddrucker"), QStringLiteral("Drucker Dialog mit Optionen"),
                         QStringLiteral("BMP-Bild"), QStringLiteral("JPG-Bild"), QStringLiteral("GIF-Bild"),
                         QStringLiteral("DOC-Word Dokument"), QStringLiteral("PDF-Dokument")});
    cbdrucker->addItems(platform::installedPrinters());
    cbdrucker->setCurrentIndex(0);
}
