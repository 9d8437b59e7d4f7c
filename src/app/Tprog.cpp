#include "app/Tprog.h"

#include "app/Language.h"
#include "app/ProgramRunWindows.h"
#include "app/TextBoxKeys.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "fonts/FontEntry.h"
#include "fonts/FontListDelegate.h"
#include "fonts/FontListLoader.h"
#include "fonts/ListRows.h"
#include "fonts/SampleTexts.h"
#include "fonts/Tfpreview.h"
#include "help/Tbugreport_de.h"
#include "help/Tbugreport_en.h"
#include "help/Thilfe.h"
#include "help/Thilfe_en.h"
#include "help/WebLinks.h"
#include "output/ImageSheet.h"
#include "output/PdfSheet.h"
#include "output/PrintSheet.h"
#include "output/SheetText.h"
#include "output/Teinst.h"
#include "output/Tstatus.h"
#include "output/WordSheet.h"
#include "platform/Dialogs.h"
#include "platform/FileFaces.h"
#include "platform/FontResources.h"
#include "platform/Printers.h"
#include "platform/SystemFonts.h"
#include "platform/UrlOpener.h"
#include "ui/Anchors.h"
#include "ui/LinkLabel.h"
#include "ui/Links.h"
#include "ui/Look.h"
#include "ui/Named.h"
#include "util/BrowseForFolder.h"
#include "util/IntText.h"
#include "util/WideFunc.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QFontInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSet>
#include <QSortFilterProxyModel>

using namespace app;
using namespace ui;

namespace {

constexpr QSize kDesignClient(504, 572);
// The smallest client area at which no control covers another: the output caption stays below
// the preview panel, and the donation link, as wide as designed, left of the output button.
constexpr QSize kMinimumClient(504, 494);

output::LabelSwitches labelSwitches();

// The last example of the sample box, in either language: choosing it asks for a text of one's own.
bool isCustomEntry(const QString &text)
{
    return text == QLatin1String("Benutzerdefiniert..") || text == QLatin1String("Custom..");
}

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

// The font list as the lines of a sheet, read line by line so that a setting changed while an
// image run goes on takes effect from the next line.
class ListSheet : public output::SheetSource
{
public:
    explicit ListSheet(const Tprog &window)
        : m_window(window)
    {
    }
    qsizetype count() const override { return m_window.ListBox1->count(); }
    output::SheetLine line(qsizetype index) const override
    {
        output::SheetLine line;
        line.label = m_window.GetText1(index);
        line.rest = m_window.GetText2(index);
        const QString entry = m_window.ListBox1->item(int(index))->text();
        const QString separator = m_window.Label16->text();
        line.labelParts = output::labelParts(index, entry, labelSwitches(), separator);
        line.restParts = output::sampleParts(entry, labelSwitches(), separator, m_window.cd1->currentText());
        line.fontName = FontNameOfEntry(entry);
        line.fontFile = FontFileOfEntry(entry);
        line.formB = einst->cb_stdname->isChecked();
        return line;
    }

private:
    const Tprog &m_window;
};

output::LabelSwitches labelSwitches()
{
    output::LabelSwitches switches;
    switches.numbering = einst->cb1->isChecked();
    switches.fontName = einst->cb2->isChecked();
    switches.directory = einst->cb_verz->isChecked();
    switches.fileName = einst->cb_filename->isChecked();
    return switches;
}

// The run's font resources as the loader's sink.
class ResourceSink : public fonts::FontSink
{
public:
    QString addFontFile(const QString &path) override { return platform::FontResources::instance().addFontFile(path); }
    void listFontFile(const QString &path, const platform::FileIdentity &identity) override
    {
        platform::FileFaces::instance().setListedFile(path, identity);
    }
    void postFontChange() override { platform::FontResources::instance().postFontChange(); }
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

Tprog::Tprog(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("prog"));
    // The window font and text colour apply to every control of the window.
    applyWindowLook(this);

    createControls();
    createMenus();
    // Del and Ctrl+Del delete list entries only where no text box is being typed in.
    qApp->installEventFilter(new TextBoxKeys(this));
    setMinimumSize(kMinimumClient.width(), kMinimumClient.height() + menuBar()->sizeHint().height());
    resize(kDesignClient.width(), kDesignClient.height() + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    FormCreate();
}

Tprog::~Tprog()
{
    FormDestroy();
}

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

    ListBox1 = named(new QListWidget(client), "ListBox1");
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

    // The committed output settings, hidden.
    const char *names[] = {"Label11", "Label12", "Label13", "Label14", "Label15", "Label16"};
    const QString values[] = {QStringLiteral("5"), QStringLiteral("200"), QStringLiteral("250"),
                              QStringLiteral("550"), QStringLiteral("8"), QStringLiteral("  --  ")};
    QLabel **labels[] = {&Label11, &Label12, &Label13, &Label14, &Label15, &Label16};
    for (int i = 0; i < 6; ++i) {
        *labels[i] = named(new QLabel(values[i], client), names[i]);
        (*labels[i])->hide();
    }

    // Tab follows the reading order: the list, then the right column from top to bottom, then
    // the sample text and the output button. The sample box passes Tab on instead of taking it.
    Memo1->setTabChangesFocus(true);
    QWidget *const order[] = {ListBox1, cb_system, cb_folder, ed_folder, BitBtn2, Memo1, cb_schriftprobe,
                                    cb_schriftprobeliste, cbdrucker, cd1, Button1};
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

    // Each help menu keeps its own language; the language switch only shows one of them.
    info_de = named(menu->addMenu(QStringLiteral("Hilfe und Info")), "info_de");
    Einfhrung1 = menuItem(info_de, this, "Einfhrung1", QStringLiteral("Einführung"));
    m_bug_de = menuItem(info_de, this, "m_bug_de", QStringLiteral("Fehler oder Verbesserung melden.."));
    Wiesospenden1 = menuItem(info_de, this, "Wiesospenden1", QStringLiteral("Wieso spenden?"));
    info_de->addSeparator();
    const QString linksDe[] = {QLatin1String(kProgramDe) + QStringLiteral(" - Homepage dieser Software"),
                               QLatin1String(kIntroDe) + QStringLiteral(" - Einführung in dieser Software"),
                               QLatin1String(kDocsDe) + QStringLiteral(" - Dokumentation aller Funktionen"),
                               QLatin1String(kDonateDe) + QStringLiteral(" - Falls Ihnen diese Software gefällt"),
                               QLatin1String(kHomeDe), QLatin1String(kHomeEn)};
    for (const QString &text : linksDe)
        links_de << menuItem(info_de, this, qPrintable(QStringLiteral("mweb_de%1").arg(links_de.size() + 1)), text);

    info_en = named(menu->addMenu(QStringLiteral("Help and Information")), "info_en");
    Introduction1 = menuItem(info_en, this, "Introduction1", QStringLiteral("Introduction"));
    m_bug_en = menuItem(info_en, this, "m_bug_en", QStringLiteral("Report Bug or Improvement.."));
    WhyDonate1 = menuItem(info_en, this, "WhyDonate1", QStringLiteral("Why Donate?"));
    info_en->addSeparator();
    const QString linksEn[] = {QLatin1String(kProgramEn) + QStringLiteral(" - Website of this Software"),
                               QLatin1String(kIntroEn) + QStringLiteral(" - Introduction to this Software"),
                               QLatin1String(kDocsEn) + QStringLiteral(" - Documentation of all Functions"),
                               QLatin1String(kDonateEn) + QStringLiteral(" - If you like this Application"),
                               QLatin1String(kHomeEn), QLatin1String(kHomeDe)};
    for (const QString &text : linksEn)
        links_en << menuItem(info_en, this, qPrintable(QStringLiteral("mweb_en%1").arg(links_en.size() + 1)), text);
    for (QAction *item : links_de + links_en)
        connect(item, &QAction::triggered, this, [this, item] { BrowseToMenuCaption(item); });

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    pop1 = menuItem(PopupMenu1, this, "pop1", QStringLiteral("Markierte Elemente löschen"));
    pop2 = menuItem(PopupMenu1, this, "pop2", QStringLiteral("Unmarkierte Elemente löschen"));
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

void Tprog::BrowseToMenuCaption(const QAction *item)
{
    platform::openUrl(help::linkAddress(help::LinkForm::Menu, item->text(), QLatin1String(help::kMenuReferrer)));
}

void Tprog::laspendenClick()
{
    platform::openUrl(
        help::linkAddress(help::LinkForm::DonationLabel, laspenden->text(), QLatin1String(help::kDonationReferrer)));
}

void Tprog::Einfhrung1Click()
{
    hilfe->showPage(hilfe->pc_hilfe);
}

void Tprog::Introduction1Click()
{
    hilfe_en->showPage(hilfe_en->pc_hilfe);
}

void Tprog::Wiesospenden1Click()
{
    hilfe->showPage(hilfe->pc_spenden);
}

void Tprog::WhyDonate1Click()
{
    hilfe_en->showPage(hilfe_en->pc_spenden);
}

namespace {
/// Shows the report window of the current interface language, or brings it to the front.
void showReport()
{
    help::ReportWindow *window = app::isGerman() ? static_cast<help::ReportWindow *>(bugreport_de)
                                                 : static_cast<help::ReportWindow *>(bugreport_en);
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    } else {
        window->show();
    }
}
} // namespace

void Tprog::m_bugClick()
{
    showReport();
}

void Tprog::m_bug_deClick()
{
    showReport();
}

void Tprog::m_bug_enClick()
{
    showReport();
}

void Tprog::FormCreate()
{
    // The font dialog starts with the window font in the platform's window text colour.
    // The dialog lists single families: the window font's is the one it resolves to.
    fdFont = QFont(QFontInfo(ui::windowFont()).family(), 8);
    fdColour = QGuiApplication::palette().color(QPalette::WindowText);
    fillPrinters();
    installed_fonts = fonts::buildInstalledFonts(platform::printerTypefaces(), platform::screenTypefaces());
    cd1->addItems(fonts::designSamples());
    cd1->addItems(fonts::appendedSamples());
    cd1->setCurrentIndex(0);
    Sprache();
    SchriftenNeuLadenClick();
}

void Tprog::fillPrinters()
{
    cbdrucker->addItems({QStringLiteral("Standarddrucker"), QStringLiteral("Drucker Dialog mit Optionen"),
                         QStringLiteral("BMP-Bild"), QStringLiteral("JPG-Bild"), QStringLiteral("GIF-Bild"),
                         QStringLiteral("DOC-Word Dokument"), QStringLiteral("PDF-Dokument")});
    cbdrucker->addItems(platform::installedPrinters());
    cbdrucker->setCurrentIndex(0);
}

void Tprog::FormShow()
{
    for (int i = ListBox1->count() - 1; i >= 0; --i)
        if (ListBox1->item(i)->text().startsWith(QLatin1Char('@')))
            delete ListBox1->takeItem(i);
    setCountText();
}

void Tprog::FormDestroy()
{
    auto &resources = platform::FontResources::instance();
    for (const QString &path : std::as_const(file_font_paths))
        resources.removeFontFile(path);
    resources.postFontChange();
    installed_fonts.clear();
    file_font_paths.clear();
}

void Tprog::setCountText()
{
    Label1->setText(fonts::fontCountText(ListBox1->count(), isGerman()));
}

void Tprog::SchriftenNeuLadenClick()
{
    // A folder of many fonts takes a while: the pointer shows it until the list is back.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    // All changes of one load happen with updates suspended, so the list is repainted once; the
    // updates are resumed however the load ends.
    const fonts::UpdatesSuspended suspended(ListBox1);
    ListBox1->clear();
    fonts::LoadRequest request;
    request.system = cb_system->isChecked();
    request.folder = cb_folder->isChecked();
    request.folderText = ed_folder->text();
    ResourceSink sink;
    QStringList entries = fonts::loadFontEntries(
        request, request.system ? platform::printerTypefaces() : QStringList(), installed_fonts, file_font_paths, sink);
    fonts::sortEntries(entries, fonts::entryCollator(isGerman()));
    ListBox1->addItems(entries);
    ListBox1Rows->measureShownRows();
    setCountText();
}

void Tprog::cb_systemClick(QObject *sender)
{
    // The menu twin flips the check box first; the check box is the state both show.
    if (sender == m_system)
        cb_system->setChecked(!cb_system->isChecked());
    m_system->setChecked(cb_system->isChecked());
    SchriftenNeuLadenClick();
}

void Tprog::cb_folderClick(QObject *sender)
{
    if (sender == m_folder)
        cb_folder->setChecked(!cb_folder->isChecked());
    m_folder->setChecked(cb_folder->isChecked());
    SchriftenNeuLadenClick();
}

bool Tprog::ed_folderKeyPress(QChar key)
{
    if (key == QChar(13)) {
        if (QFileInfo(ed_folder->text()).isDir())
            SchriftenNeuLadenClick();
        return true;
    }
    // Characters that cannot be part of a folder name are refused. The slash is the path
    // separator here and passes, as the backslash does where that is the separator.
    static const QString refused = QStringLiteral("\"*<>?|");
    return refused.contains(key);
}

void Tprog::BitBtn2Click()
{
    const QString remembered = ed_folder->text();
    QString path;
    BrowseForFolder(0, QString(), path);
    ed_folder->setText(path);
    if (!ed_folder->text().isEmpty())
        SchriftenNeuLadenClick();
    else
        ed_folder->setText(remembered);
}

void Tprog::mdeClick()
{
    start->spr->setText(QStringLiteral("de"));
    setPlatformLanguage(start->spr->text());
    Sprache();
    einst->LocalSpr();
    fpreview->LocalSpr();
}

void Tprog::menClick()
{
    start->spr->setText(QStringLiteral("en"));
    setPlatformLanguage(start->spr->text());
    Sprache();
    einst->LocalSpr();
    fpreview->LocalSpr();
}

void Tprog::m12Click()
{
    start->close();
}

void Tprog::m11Click()
{
    einst->show();
    einst->raise();
    einst->activateWindow();
}

void Tprog::m_spgrossClick()
{
    fpreview->show();
    fpreview->raise();
}

void Tprog::cb_schriftprobeClick()
{
    if (cb_schriftprobe->isChecked()) {
        fpreview->show();
        fpreview->raise();
    } else {
        fpreview->hide();
    }
}

void Tprog::previewHidden()
{
    cb_schriftprobe->setChecked(false);
}

void Tprog::cd1Change()
{
    if (!isCustomEntry(cd1->currentText()))
        return;
    // No example stays chosen: the box is the user's to type in.
    cd1->setCurrentIndex(-1);
    cd1->setEditText(QString());
    cd1->setFocus();
}

void Tprog::mspClick()
{
    const dialogs::FontChoice choice = dialogs::chooseFont(fdFont, fdColour);
    if (!choice.accepted)
        return;
    fdFont = choice.font;
    fdColour = choice.colour;
    Memo1->setFont(choice.font);
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Text, choice.colour);
    Memo1->setPalette(p);
}

int Tprog::ListBox1MeasureItem(int index)
{
    return ListBox1Rows->measureItem(index);
}

void Tprog::ListBox1DrawItem(QPainter &canvas, int index, const QRect &rect, bool marked)
{
    ListBox1Rows->drawItem(canvas, index, rect, marked);
}

void Tprog::ListBox1KeyUp()
{
    carryFocusedFont();
}

void Tprog::ListBox1MouseUp()
{
    carryFocusedFont();
}

void Tprog::ListBox1MouseMove()
{
    carryFocusedFont();
}

void Tprog::carryFocusedFont()
{
    const int row = fonts::FontListDelegate::focusedRow(ListBox1);
    if (row < 0)
        return;
    const QString entry = ListBox1->item(row)->text();
    for (QPlainTextEdit *box : {Memo1, fpreview->Memo2}) {
        const QFont carried = fonts::carriedFont(box->font(), entry);
        // Mouse movements come many a second; an unchanged font is not set again.
        if (box->font() != carried)
            box->setFont(carried);
    }
}

void Tprog::cb_schriftprobelisteClick()
{
    mspb->setChecked(cb_schriftprobeliste->isChecked());
    ListBox1Rows->setSampleMode(cb_schriftprobeliste->isChecked());
}

void Tprog::mspbClick()
{
    if (cb_schriftprobeliste->isChecked() != mspb->isChecked()) {
        cb_schriftprobeliste->setChecked(mspb->isChecked());
        cb_schriftprobelisteClick();
    }
    ListBox1->viewport()->update();
}

void Tprog::m22Click()
{
    ListBox1Rows->deleteEntries(true);
}

void Tprog::m23Click()
{
    ListBox1Rows->deleteEntries(false);
}

QString Tprog::GetText1(qsizetype index) const
{
    return output::labelPart(index, ListBox1->item(int(index))->text(), labelSwitches(), Label16->text());
}

QString Tprog::GetText2(qsizetype index) const
{
    return output::samplePart(ListBox1->item(int(index))->text(), labelSwitches(), Label16->text(),
                              cd1->currentText());
}

void Tprog::Button1Click()
{
    // The numbers are converted first, in this order; a text that is not a whole number ends
    // the run here, before any target is touched.
    output::SheetNumbers numbers;
    numbers.spacing = util::StrToInt(einst->Edit1->text());
    numbers.left = util::StrToInt(einst->Edit2->text());
    numbers.top = util::StrToInt(einst->Edit3->text());
    numbers.bottom = util::StrToInt(einst->Edit4->text());
    numbers.size = util::StrToInt(einst->Edit5->currentText());
    status->beginRun(isGerman());

    const QString target = cbdrucker->currentText();
    output::RunStyle style;
    style.portrait = einst->or_hoch->isChecked();
    style.italic = einst->cb3->isChecked();
    style.bold = einst->cb4->isChecked();
    style.german = isGerman();
    const ListSheet sheet(*this);

    if (target.startsWith(QLatin1String("PDF-"))) {
        ProgramRunWindows windows;
        output::pdfSheet(numbers, style, sheet, windows);
        return;
    }
    if (target.startsWith(QLatin1String("DOC-"))) {
        output::wordSheet(numbers, style, sheet);
        return;
    }
    if (target.startsWith(QLatin1String("BMP-")) || target.startsWith(QLatin1String("GIF-"))
        || target.startsWith(QLatin1String("JPG-"))) {
        ProgramRunWindows windows;
        output::imageSheet(target, numbers, style, sheet, windows);
        return;
    }
    if (target == QLatin1String("Drucker Dialog mit Optionen") || target == QLatin1String("Printer Dialog with Options"))
        output::printWithDialog(numbers, style, sheet);
    else
        output::printDirect(target, numbers, style, sheet);
}

void Tprog::Sprache()
{
    const QString code = languageCode();
    const auto replaceInSamples = [this](const QString &from, const QString &to) {
        QStringList items;
        for (int i = 0; i < cd1->count(); ++i)
            items << cd1->itemText(i);
        QString replaced;
        ReplaceAll(items.join(QLatin1Char('\n')), from, to, replaced);
        const QStringList result = replaced.split(QLatin1Char('\n'));
        for (int i = 0; i < result.size() && i < cd1->count(); ++i)
            cd1->setItemText(i, result.at(i));
    };
    const auto setTargets = [this](const QStringList &texts) {
        for (int i = 0; i < texts.size() && i < cbdrucker->count(); ++i)
            cbdrucker->setItemText(i, texts.at(i));
        cbdrucker->setCurrentIndex(0);
    };

    if (code == QLatin1String("de")) {
        setWindowTitle(QStringLiteral("Glyphwerk - Velmont Media"));
        Button1->setText(QStringLiteral("Ausgeben"));
        laspenden->setText(QString::fromLatin1(kDonateDe) + QStringLiteral(" - Vielen Dank!"));
        Label2->setText(QStringLiteral("Schriftprobe"));
        m1->setTitle(QStringLiteral("Programm"));
        m11->setText(QStringLiteral("Erweiterte Einstellungen"));
        m_spgross->setText(QStringLiteral("Größeres Feld für Schriftprobe anzeigen"));
        m12->setText(QStringLiteral("Beenden"));
        mspr->setTitle(QStringLiteral("Sprache"));
        mde->setText(QStringLiteral("Deutsch"));
        men->setText(QStringLiteral("English"));
        mdruck->setText(QStringLiteral("Drucken"));
        msp->setText(QStringLiteral("Farbe und Schriftgröße der Schriftprobe"));
        mspb->setText(QStringLiteral("Schriftprobe auch in Liste anzeigen"));
        m_system->setText(QStringLiteral("Anzeige der Systemschriften"));
        m_folder->setText(QStringLiteral("Anzeige von Schriften aus Ordner"));
        cb_schriftprobe->setText(QStringLiteral("Größeres Feld für Schriftprobe anzeigen"));
        cb_schriftprobeliste->setText(QStringLiteral("Schriftprobe auch in Liste anzeigen"));
        m_bug->setText(QStringLiteral("Fehler oder Verbesserung melden.."));
        cb_system->setText(QStringLiteral("Installierte Systemschriften anzeigen"));
        cb_folder->setText(QStringLiteral("Schriften aus diesem Ordner anzeigen:"));
        BitBtn2->setText(QStringLiteral("Öffnen"));
        m2->setTitle(QStringLiteral("Schriftliste"));
        SchriftenNeuLaden->setText(QStringLiteral("Schriften neu laden"));
        m22->setText(QStringLiteral("Markierte Elemente aus Liste löschen"));
        m23->setText(QStringLiteral("Unmarkierte Elemente aus Liste löschen"));
        info_en->menuAction()->setVisible(false);
        info_de->menuAction()->setVisible(true);
        Label3->setText(QStringLiteral("Klicken Sie auf \"Ausgeben\", um den gewählten"));
        Label4->setText(QStringLiteral("Text in den verschiedenen Schriften auszugeben."));
        Label8->setText(QStringLiteral("Drucker oder anderes Ausgabeformat:"));
        setTargets({QStringLiteral("Standarddrucker"), QStringLiteral("Drucker Dialog mit Optionen"),
                    QStringLiteral("BMP-Bild"), QStringLiteral("JPG-Bild"), QStringLiteral("GIF-Bild"),
                    QStringLiteral("DOC-Microsoft Word® Dokument"), QStringLiteral("PDF-Dokument")});
        cd1->setItemText(0, fonts::germanExample0());
        cd1->setCurrentIndex(0);
        cd1->setEditText(fonts::germanExample0());
        replaceInSamples(QStringLiteral("Custom"), QStringLiteral("Benutzerdefiniert"));
        Label1->setText(fonts::fontCountText(ListBox1->count(), true));
        Label5->setText(QStringLiteral("Zeichen für die Ausgabe. Wählen Sie eins der Beispiele aus oder schreiben "
                                       "Sie etwas in die Box:"));
        mde->setChecked(true);
        men->setChecked(false);
        pop1->setText(QStringLiteral("Markierte Elemente löschen"));
        pop2->setText(QStringLiteral("Unmarkierte Elemente löschen"));
        sdFileName = QStringLiteral("Schrift Bild");
        ListBox1Rows->setUnusableMark(QStringLiteral(" (nicht lesbar)"));
    }
    if (code == QLatin1String("en")) {
        setWindowTitle(QStringLiteral("Glyphworks - Velmont Media"));
        laspenden->setText(QString::fromLatin1(kDonateEn) + QStringLiteral(" - Thank You!"));
        Button1->setText(QStringLiteral("Export"));
        Label2->setText(QStringLiteral("Preview"));
        m1->setTitle(QStringLiteral("Tool"));
        m11->setText(QStringLiteral("Advanced Settings"));
        m_spgross->setText(QStringLiteral("Show larger Box for Font Preview"));
        m12->setText(QStringLiteral("Close"));
        mspr->setTitle(QStringLiteral("Language"));
        mde->setText(QStringLiteral("German"));
        men->setText(QStringLiteral("English"));
        mdruck->setText(QStringLiteral("Print"));
        msp->setText(QStringLiteral("Color and Size of Font Preview"));
        mspb->setText(QStringLiteral("Show Font Preview in List"));
        cb_schriftprobe->setText(QStringLiteral("Show larger Box for Font Preview"));
        cb_schriftprobeliste->setText(QStringLiteral("Show Font Preview in List"));
        m_system->setText(QStringLiteral("Show installed System Fonts"));
        m_folder->setText(QStringLiteral("Show Fonts from Folder or Drive"));
        m_bug->setText(QStringLiteral("Report Bug or Improvement.."));
        cb_system->setText(QStringLiteral("Show installed System Fonts"));
        cb_folder->setText(QStringLiteral("Show Fonts from this Folder or Drive:"));
        BitBtn2->setText(QStringLiteral("Open"));
        m2->setTitle(QStringLiteral("Font List"));
        SchriftenNeuLaden->setText(QStringLiteral("Load Fonts"));
        m22->setText(QStringLiteral("Delete selected Elements from List"));
        m23->setText(QStringLiteral("Delete not-selected Elements from List"));
        info_de->menuAction()->setVisible(false);
        info_en->menuAction()->setVisible(true);
        Label3->setText(QStringLiteral("Click on \"Export\" to print the text above in all"));
        Label4->setText(QStringLiteral("fonts, you can see at the left of this window."));
        Label8->setText(QStringLiteral("Printer or other Output Format:"));
        setTargets({QStringLiteral("Standard Printer"), QStringLiteral("Printer Dialog with Options"),
                    QStringLiteral("BMP-Image"), QStringLiteral("JPG-Image"), QStringLiteral("GIF-Image"),
                    QStringLiteral("DOC-Microsoft Word® Document"), QStringLiteral("PDF-Document")});
        cd1->setItemText(0, fonts::englishExample0());
        cd1->setCurrentIndex(0);
        cd1->setEditText(fonts::englishExample0());
        replaceInSamples(QStringLiteral("Benutzerdefiniert"), QStringLiteral("Custom"));
        Label5->setText(
            QStringLiteral("Characters to be printed. Select one of the examples or type something into the box:"));
        Label1->setText(fonts::fontCountText(ListBox1->count(), false));
        mde->setChecked(false);
        men->setChecked(true);
        pop1->setText(QStringLiteral("Delete selected Elements"));
        pop2->setText(QStringLiteral("Delete not-selected Elements"));
        sdFileName = QStringLiteral("Font Image");
        ListBox1Rows->setUnusableMark(QStringLiteral(" (unreadable)"));
    }
}

void Tprog::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tprog::keyPressEvent(QKeyEvent *event)
{
    // Reached only by keys that no control and no open pop-up took for itself.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        m12->trigger();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void Tprog::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the run: the start window is the principal window. An image
    // run under way ends first, after the line being set, as its abort button would end it.
    event->accept();
    if (status)
        status->abortForExit();
    start->close();
}

bool Tprog::eventFilter(QObject *watched, QEvent *event)
{
    // The event type first: the list's viewport still has events while the list is destroyed,
    // when the list can no longer be asked for it.
    switch (event->type()) {
    case QEvent::KeyRelease:
        if (watched == ListBox1 && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
            ListBox1KeyUp();
        break;
    case QEvent::MouseButtonRelease:
        if (watched == ListBox1->viewport())
            ListBox1MouseUp();
        break;
    case QEvent::MouseMove:
        if (watched == ListBox1->viewport())
            ListBox1MouseMove();
        break;
    default:
        break;
    }
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == ed_folder) {
            QChar typed;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                typed = QChar(13);
            else if (key->text().size() == 1)
                typed = key->text().at(0);
            if (!typed.isNull() && ed_folderKeyPress(typed))
                return true;
        } else if (watched == cbdrucker) {
            // cbdruckerKeyPress: the output box is chosen from, never typed into (typing would
            // otherwise jump to an entry by its first letter).
            if (!key->text().isEmpty() && key->text().at(0).isPrint())
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
