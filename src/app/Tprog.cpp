#include "app/Tprog.h"

#include "app/Language.h"
#include "app/FontSources.h"
#include "app/ListSources.h"
#include "app/MainWindowTexts.h"
#include "app/ProgramRunWindows.h"
#include "app/TextBoxKeys.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "fonts/FontInfoWindow.h"
#include "fonts/FontListDelegate.h"
#include "fonts/FontListLoader.h"
#include "fonts/FontListView.h"
#include "fonts/ListRows.h"
#include "fonts/SampleTexts.h"
#include "fonts/Tfpreview.h"
#include "help/Tbugreport_de.h"
#include "help/Tbugreport_en.h"
#include "help/Thilfe.h"
#include "help/Thilfe_en.h"
#include "help/WebLinks.h"
#include "output/RunSheet.h"
#include "output/SheetText.h"
#include "output/Teinst.h"
#include "output/Tstatus.h"
#include "platform/BrowseForFolder.h"
#include "platform/Dialogs.h"
#include "typeface/FileFaces.h"
#include "typeface/SampleBoxFace.h"
#include "platform/UrlOpener.h"
#include "ui/Look.h"
#include "util/IntText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontInfo>
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

using namespace app;
using namespace ui;

namespace {

// The smallest client area at which no control covers another: the output caption stays below
// the preview panel, and the donation link, as wide as designed, left of the output button.
constexpr QSize kMinimumClient(504, 494);

} // namespace

Tprog::Tprog(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("prog"));
    // The window font and text colour apply to every control of the window.
    applyWindowLook(this);

    createControls();
    createMenus();
    createMarkItems();
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
    installed_fonts = installedFonts();
    cd1->addItems(fonts::designSamples());
    cd1->addItems(fonts::appendedSamples());
    cd1->setCurrentIndex(0);
    Sprache();
    SchriftenNeuLadenClick();
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
    releaseFontFiles(file_font_paths);
    installed_fonts.clear();
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
    ListBox1->addEntries(loadFontList(request, installed_fonts, file_font_paths, isGerman()));
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
    fontinfo->LocalSpr();
}

void Tprog::menClick()
{
    start->spr->setText(QStringLiteral("en"));
    setPlatformLanguage(start->spr->text());
    Sprache();
    einst->LocalSpr();
    fpreview->LocalSpr();
    fontinfo->LocalSpr();
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
    // The face registered for the sample boxes is no typeface to choose. Dropped here, it comes
    // back for the boxes with the next move of the list's focus, which carries the focused font
    // to them again.
    platform::releaseSampleBoxFace();
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
    const fonts::FontListEntry entry = ListBox1->entry(row);
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

void Tprog::m_infoClick()
{
    const int row = ListBox1->currentRow();
    if (row >= 0 && row < ListBox1->count())
        fontinfo->showEntry(ListBox1->entry(row));
}

QString Tprog::GetText1(qsizetype index) const
{
    return output::labelPart(index, ListBox1->entry(int(index)), einst->labelSwitches(), Label16->text());
}

QString Tprog::GetText2(qsizetype index) const
{
    return output::samplePart(ListBox1->entry(int(index)), einst->labelSwitches(), Label16->text(),
                              cd1->currentText());
}

void Tprog::Button1Click()
{
    // The numbers are converted first, in this order; a text that is not a whole number ends
    // the run here, before any target is touched.
    output::SheetRequest request;
    request.numbers.spacing = util::StrToInt(einst->Edit1->text());
    request.numbers.left = util::StrToInt(einst->Edit2->text());
    request.numbers.top = util::StrToInt(einst->Edit3->text());
    request.numbers.bottom = util::StrToInt(einst->Edit4->text());
    request.numbers.size = util::StrToInt(einst->Edit5->currentText());

    const QString entry = cbdrucker->currentText();
    request.target = output::targetOfEntry(entry);
    if (request.target == output::SheetTarget::NamedPrinter)
        request.printer = entry;
    request.style.portrait = einst->or_hoch->isChecked();
    request.style.italic = einst->cb3->isChecked();
    request.style.bold = einst->cb4->isChecked();
    request.style.german = isGerman();
    const ListSheet sheet(*this);
    request.labels = sheet.labelSwitches();
    request.separator = sheet.separator();
    request.standardFontLabels = sheet.standardFontLabels();
    request.sampleText = sheet.sampleText();
    request.ownScript = sheet.ownScript();
    ProgramRunWindows windows;
    output::runSheet(request, sheet, windows);
}

void Tprog::Sprache()
{
    const QString code = languageCode();
    // Only the two languages have texts; any other code leaves the window as it is.
    if (code != QLatin1String("de") && code != QLatin1String("en"))
        return;
    const bool german = code == QLatin1String("de");
    applyMainWindowTexts(*this, german);
    sdFileName = kSaveFileName.in(german);
    ListBox1Rows->setUnusableMark(kUnusableMark.in(german));
    ListBox1->setGerman(german);
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

bool Tprog::ListBox1KeyDown(const QKeyEvent &key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool menuKey = (key.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
                         (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
    if (menuKey) {
        // The list's menu opens under the focused row, where the user's eyes are, or at the
        // list's corner when there is no such row.
        const QModelIndex current = ListBox1->currentIndex();
        const QRect row = current.isValid() ? ListBox1->visualRect(current) : QRect();
        const QPoint at = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
        PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(at));
        return true;
    }
    if (key.key() == Qt::Key_Space && modifiers == Qt::NoModifier) {
        // Space marks the focused row or takes its mark away, and stays on it: the list's own
        // Space would only ever mark.
        const QModelIndex current = ListBox1->currentIndex();
        if (current.isValid())
            ListBox1->selectionModel()->select(current, QItemSelectionModel::Toggle);
        return true;
    }
    return false;
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
        if (watched == ListBox1 && ListBox1KeyDown(*key))
            return true;
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
