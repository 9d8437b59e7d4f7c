#pragma once

#include "output/SheetText.h"
#include "ui/ClickLabel.h"

#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

/// The committed copies of the settings the dialog edits: hidden labels of the main window that
/// hold the texts last confirmed with OK.
struct CommittedSettings
{
    QLabel *spacing = nullptr;
    QLabel *left = nullptr;
    QLabel *top = nullptr;
    QLabel *bottom = nullptr;
    QLabel *size = nullptr;
    QLabel *separator = nullptr;
};

/// Window `einst`: the output settings dialog. Created hidden at start and kept for the whole run;
/// closing it only hides it. Its controls are the working settings; the committed texts live in
/// the hidden labels `Label11` … `Label16` of the main window.
class Teinst : public QWidget
{
    Q_OBJECT
public:
    /// The dialog editing `committed`, which live as long as it does (the window they are on
    /// keeps the dialog above it); `languageCode` tells the interface language ("de" or "en")
    /// whenever a text is chosen.
    Teinst(const CommittedSettings &committed, std::function<QString()> languageCode, QWidget *parent = nullptr);

    /// The label switches as they are now (numbering, font name, directory, file name).
    output::LabelSwitches labelSwitches() const;
    /// Whether number and name are to be set in the standard font, as switched now.
    bool standardFontLabels() const;
    /// The committed separator.
    QString separator() const;
    /// Whether a font lacking the sample's letters shows a sample of its own script, as switched now.
    bool ownScript() const;

    // Controls, by their names.
    QGroupBox *GroupBox3 = nullptr; ///< "Layout"
    QLabel *ed6Label = nullptr;
    QLineEdit *ed6 = nullptr;       ///< separator
    QCheckBox *cb1 = nullptr;       ///< numbering
    ui::ClickLabel *Label1 = nullptr;
    QCheckBox *cb2 = nullptr;       ///< font name
    ui::ClickLabel *Label2 = nullptr;
    QCheckBox *cb_verz = nullptr;   ///< directory
    ui::ClickLabel *Label8 = nullptr;
    QCheckBox *cb_filename = nullptr; ///< file name
    ui::ClickLabel *Label9 = nullptr;
    QCheckBox *cb_stdname = nullptr;  ///< label part in the standard font
    ui::ClickLabel *Label10 = nullptr;
    QCheckBox *cb_ownscript = nullptr; ///< sample in the font's own script
    ui::ClickLabel *Label13 = nullptr;
    QLabel *Label4 = nullptr;       ///< "Orientation"
    QRadioButton *or_hoch = nullptr; ///< portrait
    ui::ClickLabel *Label11 = nullptr;
    QRadioButton *or_quer = nullptr; ///< landscape
    ui::ClickLabel *Label12 = nullptr;

    QGroupBox *GroupBox2 = nullptr; ///< "Font"
    QLabel *Label7 = nullptr;
    QComboBox *Edit5 = nullptr;     ///< font size, editable list
    QLabel *Label6 = nullptr;       ///< "Style"
    QCheckBox *cb3 = nullptr;       ///< italic
    ui::ClickLabel *Label5 = nullptr;
    QCheckBox *cb4 = nullptr;       ///< bold
    ui::ClickLabel *Label3 = nullptr;

    QGroupBox *GroupBox1 = nullptr; ///< "Margins"
    QLabel *Edit1Label = nullptr;
    QLineEdit *Edit1 = nullptr;     ///< line spacing
    QLabel *Edit3Label = nullptr;
    QLineEdit *Edit3 = nullptr;     ///< top margin
    QLabel *Edit2Label = nullptr;
    QLineEdit *Edit2 = nullptr;     ///< left margin
    QLabel *Edit4Label = nullptr;
    QLineEdit *Edit4 = nullptr;     ///< bottom margin

    QPushButton *Button1 = nullptr; ///< OK
    QPushButton *Button2 = nullptr; ///< Cancel

    /// Applies the language, takes the snapshot of the switches and loads the fields.
    void FormCreate();
    /// Takes the snapshot of the switches and loads the fields from the committed copies.
    void FormShow();

    /// OK: commits every non-empty field to its copy in the main window, then hides the dialog.
    void Button1Click();
    /// Cancel: puts the switches back as they were when the dialog was shown, then hides it. The
    /// fields keep what was typed until the next showing.
    void Button2Click();

    /// Label clicks: each toggles the check box beside its label.
    void Label1Click();
    void Label2Click();
    void Label3Click();
    void Label5Click();
    void Label8Click();
    void Label9Click();
    void Label10Click();
    void Label13Click();
    /// Portrait caption: switches the orientation, whichever is selected.
    void Label11Click();
    /// Landscape caption: switches the orientation, whichever is selected.
    void Label12Click();

    /// Digit filter of `Edit1` … `Edit4`: digits and backspace pass; anything else is refused with
    /// an information box. Returns true when the character was refused (and is to be discarded).
    bool Edit1KeyPress(QChar key);
    /// Digit filter of `Edit5`, the same rules as `Edit1KeyPress`.
    bool Edit5KeyPress(QChar key);
    /// Commits the font size at once whenever the text of `Edit5` is a whole number.
    void Edit5Change(const QString &text);

    /// Sets every text of the dialog for the current interface language.
    void LocalSpr();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void takeSnapshot();
    void loadFields();
    void centreOnScreen();
    bool isGerman() const;

    CommittedSettings m_committed;
    std::function<QString()> m_languageCode;

    // The switches as they were when the dialog was last shown, for Cancel.
    struct Snapshot
    {
        bool cb1, cb2, cb3, cb4, or_hoch, or_quer, cb_verz, cb_filename, cb_stdname, cb_ownscript;
    } m_snapshot{};
};
