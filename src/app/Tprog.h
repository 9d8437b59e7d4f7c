#pragma once

#include "fonts/FontListView.h"

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QKeyEvent;
class QTimer;

namespace fonts {
class FontListDelegate;
}

/// Window `prog`: the main window with the font list, its sources, the sample boxes, the output
/// target and the output button.
class Tprog : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tprog(QWidget *parent = nullptr);
    ~Tprog() override;

    // Controls, by their names.
    fonts::FontListView *ListBox1 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label1 = nullptr;
    QFrame *Panel3 = nullptr;
    QCheckBox *cb_system = nullptr;
    QCheckBox *cb_folder = nullptr;
    QLineEdit *ed_folder = nullptr;
    QPushButton *BitBtn2 = nullptr;
    QFrame *Panel2 = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QCheckBox *cb_schriftprobe = nullptr;
    QCheckBox *cb_schriftprobeliste = nullptr;
    QLabel *Label8 = nullptr;
    QComboBox *cbdrucker = nullptr;
    QLabel *Label5 = nullptr;
    QComboBox *cd1 = nullptr;
    QPushButton *Button1 = nullptr;
    QLabel *laspenden = nullptr;
    QLabel *Label11 = nullptr; ///< committed line spacing
    QLabel *Label12 = nullptr; ///< committed left margin
    QLabel *Label13 = nullptr; ///< committed top margin
    QLabel *Label14 = nullptr; ///< committed bottom margin
    QLabel *Label15 = nullptr; ///< committed font size
    QLabel *Label16 = nullptr; ///< committed separator

    // Menus and their items.
    QMenu *m1 = nullptr;
    QAction *mdruck = nullptr;
    QAction *m_spgross = nullptr;
    QAction *m11 = nullptr;
    QAction *msp = nullptr;
    QMenu *mspr = nullptr;
    QAction *mde = nullptr;
    QAction *men = nullptr;
    QAction *m_bug = nullptr;
    QAction *m12 = nullptr;
    QMenu *m2 = nullptr;
    QAction *SchriftenNeuLaden = nullptr;
    QAction *m_system = nullptr;
    QAction *m_folder = nullptr;
    QAction *m22 = nullptr;
    QAction *m23 = nullptr;
    QAction *mspbSeparator = nullptr;
    QAction *mspb = nullptr;
    QMenu *info_de = nullptr;
    QAction *Einfhrung1 = nullptr;
    QAction *m_bug_de = nullptr;
    QAction *Wiesospenden1 = nullptr;
    QList<QAction *> links_de; ///< the link items of `info_de`, in menu order
    QMenu *info_en = nullptr;
    QAction *Introduction1 = nullptr;
    QAction *m_bug_en = nullptr;
    QAction *WhyDonate1 = nullptr;
    QList<QAction *> links_en; ///< the link items of `info_en`, in menu order
    QMenu *PopupMenu1 = nullptr;
    QAction *pop1 = nullptr;
    QAction *pop2 = nullptr;
    // The marks that answer questions, in the Font List menu and the list's pop-up menu.
    QAction *m_markLacking = nullptr;
    QAction *m_markDuplicates = nullptr;
    QAction *m_markUnreadable = nullptr;
    QAction *pop_markLacking = nullptr;
    QAction *pop_markDuplicates = nullptr;
    QAction *pop_markUnreadable = nullptr;
    QAction *m_info = nullptr;   ///< Font List menu: the focused entry's information (Ctrl+I)
    QAction *pop_info = nullptr; ///< the same in the list's pop-up menu

    /// Names under which fonts are already installed; built once at creation.
    QStringList installed_fonts;
    /// Paths of the font files added for this run, one element per addition.
    QStringList file_font_paths;
    /// The file name the save dialog `sd` proposes: the last path chosen in it, reset by the
    /// language switch to "Schrift Bild" or "Font Image".
    QString sdFileName;

    /// Sets every text of the window for the current interface language.
    void Sprache();

    /// Rebuilds the font list from the chosen sources and sets the count text.
    void SchriftenNeuLadenClick();

    /// The system-fonts source switch (check box or its menu twin `m_system`).
    void cb_systemClick(QObject *sender);

    /// The folder source switch (check box or its menu twin `m_folder`).
    void cb_folderClick(QObject *sender);

    /// Key filter of the folder box: Enter reloads when the folder exists; Enter and the seven
    /// characters " * / < > ? | are swallowed. Returns true when the key was swallowed.
    bool ed_folderKeyPress(QChar key);

    /// Lets the user choose the folder, and reloads unless the choice was cancelled.
    void BitBtn2Click();

    /// Switches the interface to German.
    void mdeClick();
    /// Switches the interface to English.
    void menClick();

    /// Opens the web page of the help menus' link item `item` (its caption, menu form).
    void BrowseToMenuCaption(const QAction *item);
    /// Opens the donation page of the label `laspenden`.
    void laspendenClick();
    /// Shows the German help window on its help page.
    void Einfhrung1Click();
    /// Shows the English help window on its help page.
    void Introduction1Click();
    /// Shows the German help window on its page about donations.
    void Wiesospenden1Click();
    /// Shows the English help window on its page about donations.
    void WhyDonate1Click();
    /// The report item of the program menu: shows the report window of the current interface
    /// language.
    void m_bugClick();
    /// The report item of the German help menu: as `m_bugClick`, by the current language.
    void m_bug_deClick();
    /// The report item of the English help menu: as `m_bugClick`, by the current language.
    void m_bug_enClick();

    /// Ends the run (menu item `m12`, Esc).
    void m12Click();
    /// Shows the settings dialog without making it modal.
    void m11Click();
    /// Shows the large preview window; `cb_schriftprobe` keeps its state.
    void m_spgrossClick();

    /// The tick of `cb_schriftprobe` changed, by a click or by the program: ticked shows the
    /// preview window, unticked hides it.
    void cb_schriftprobeClick();
    /// The preview window was hidden, however: its check box is unticked.
    void previewHidden();

    /// The text of the sample box `cd1` changed: the custom entry ("Benutzerdefiniert.." or
    /// "Custom..") empties the box and gives it the focus, for the user's own sample text.
    void cd1Change();

    /// The font dialog `fd` for `Memo1`: on OK the box takes the whole font chosen (name, size,
    /// style, colour), which the dialog offers again next time; Cancel changes nothing.
    void mspClick();

    /// The output command (button `Button1`, menu item `mdruck`): converts the five numbers of
    /// the settings, clears the abort request and sends the sheet to the target chosen in
    /// `cbdrucker`. A number that does not convert ends the run before anything is touched.
    void Button1Click();

    /// The height of the font list's row `index`: in sample mode the height of "Wg" in the
    /// entry's own font at 15 points and two pixels, otherwise that of the list's font.
    int ListBox1MeasureItem(int index);

    /// A key released in the font list: the focused entry's font goes to the sample boxes.
    void ListBox1KeyUp();
    /// A mouse button released over the font list: as ListBox1KeyUp.
    void ListBox1MouseUp();
    /// The mouse moved over the font list: as ListBox1KeyUp, so the boxes show the focused
    /// entry's font, not the one under the pointer.
    void ListBox1MouseMove();

    /// A key pressed in the font list, before the list's own handling: the context menu key (or
    /// Shift+F10) opens the list's menu at the focused row, Space marks or unmarks the focused
    /// row. Returns true when the key was taken.
    bool ListBox1KeyDown(const QKeyEvent &key);

    /// Switches sample mode of the font list to the state of `cb_schriftprobeliste`.
    void cb_schriftprobelisteClick();

    /// The hidden menu twin of `cb_schriftprobeliste`: its check mark, inverted by choosing
    /// it, goes to the check box, which switches sample mode.
    void mspbClick();

    /// Deletes every marked entry of the font list (menu `m22`, Del; pop-up `pop1`).
    void m22Click();
    /// Deletes every unmarked entry of the font list (menu `m23`, Ctrl+Del; pop-up `pop2`).
    void m23Click();
    /// Shows the information window for the font of the focused entry of the list (menu
    /// `m_info`, Ctrl+I; pop-up `pop_info`); nothing without a focused entry.
    void m_infoClick();

    /// Marks the fonts of the list that cannot show the sample text of `cd1` (menu
    /// `m_markLacking`, pop-up `pop_markLacking`): those lacking one of its characters, and font
    /// files that cannot be used. As markRows().
    void markLackingClick();
    /// Marks every font file of the list that repeats an earlier one (the same bytes, or the
    /// same font), the first of each group left unmarked, so that Del keeps one of each.
    void markDuplicatesClick();
    /// Marks the font files of the list that cannot be used.
    void markUnreadableClick();
    /// Replaces the list's marks by `marked` (one element per row), moves the focus to the first
    /// marked row and scrolls it into view, and shows how many were marked in the count label
    /// until the list changes or a few seconds have passed (endMarkNote()).
    void markRows(const QList<bool> &marked);
    /// Puts back the count label's text that a note of markRows() replaced; nothing when no
    /// note is shown or the label was set since.
    void endMarkNote();

    /// The label part of the sheet line for the list entry at `index`.
    QString GetText1(qsizetype index) const;

    /// The sample part of the sheet line for the list entry at `index`.
    QString GetText2(qsizetype index) const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The client area the controls are laid out for.
    static constexpr QSize kDesignClient{504, 572};

    void FormCreate();
    void FormShow();
    void FormDestroy();
    void createControls();
    void createMenus();
    void setCountText();
    void fillPrinters();
    void carryFocusedFont();

    /// The font and colour the font dialog `fd` starts with: the last ones confirmed in it.
    QFont fdFont;
    QColor fdColour;

    /// The note of markRows() in the count label, the text it replaced, and when it goes.
    QString markNote;
    QString markNoteReplaced;
    QTimer *markNoteTimer = nullptr;
    void createMarkItems();

    /// Measures and draws the rows of `ListBox1`.
    fonts::FontListDelegate *ListBox1Rows = nullptr;

    /// Holds the note's timer and its connections to the list; declared last, so that it goes
    /// first, before the list (a child) tells of its rows going while the window is half gone.
    std::unique_ptr<QObject> markNoteWatch;
};
