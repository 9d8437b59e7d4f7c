#include "output/Teinst.h"

#include "output/SettingsTexts.h"
#include "output/SheetRequest.h"
#include "platform/Dialogs.h"
#include "ui/Look.h"
#include "ui/Named.h"
#include "util/IntText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace {

using ui::named;

// A check box or radio button without a caption of its own: its text is the label beside it.
template <typename T>
T *bareToggle(QWidget *parent, const char *name)
{
    auto *toggle = named(new T(parent), name);
    toggle->setText(QString());
    return toggle;
}

ui::ClickLabel *clickLabel(QWidget *parent, const char *name)
{
    return named(new ui::ClickLabel(parent), name);
}

void toggle(QCheckBox *box)
{
    box->setChecked(!box->isChecked());
}

// The characters the numeric fields take: the ten ASCII digits and backspace.
bool isNumericFieldCharacter(QChar c)
{
    return c == QChar(8) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

} // namespace

Teinst::Teinst(const CommittedSettings &committed, std::function<QString()> languageCode, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_committed(committed)
    , m_languageCode(std::move(languageCode))
{
    setObjectName(QStringLiteral("einst"));
    setFont(ui::windowFont());

    createControls();
    FormCreate();
}

void Teinst::createControls()
{
    auto *main = new QVBoxLayout(this);
    // The dialog takes the size its texts need in the current language and cannot be resized.
    main->setSizeConstraint(QLayout::SetFixedSize);

    // Layout: separator, the five label switches, the own-script switch, orientation.
    GroupBox3 = named(new QGroupBox(this), "GroupBox3");
    auto *layout = new QGridLayout(GroupBox3);
    ed6Label = named(new QLabel(GroupBox3), "ed6Label");
    ed6 = named(new QLineEdit(GroupBox3), "ed6");
    ed6Label->setBuddy(ed6);
    layout->addWidget(ed6Label, 0, 0, 1, 4);
    layout->addWidget(ed6, 1, 0, 1, 4);
    struct Row
    {
        QCheckBox *&box;
        ui::ClickLabel *&label;
        const char *boxName;
        const char *labelName;
        bool on;
    };
    // The switches start as a sheet does by default.
    const output::SheetRequest defaults;
    const Row rows[] = {
        {cb1, Label1, "cb1", "Label1", defaults.labels.numbering},
        {cb2, Label2, "cb2", "Label2", defaults.labels.fontName},
        {cb_verz, Label8, "cb_verz", "Label8", defaults.labels.directory},
        {cb_filename, Label9, "cb_filename", "Label9", defaults.labels.fileName},
        {cb_stdname, Label10, "cb_stdname", "Label10", defaults.standardFontLabels},
        {cb_ownscript, Label13, "cb_ownscript", "Label13", defaults.ownScript},
    };
    int row = 2;
    for (const Row &r : rows) {
        r.box = bareToggle<QCheckBox>(GroupBox3, r.boxName);
        r.box->setChecked(r.on);
        r.label = clickLabel(GroupBox3, r.labelName);
        r.label->setBuddy(r.box);
        layout->addWidget(r.box, row, 0);
        layout->addWidget(r.label, row, 1, 1, 3);
        ++row;
    }
    Label4 = named(new QLabel(GroupBox3), "Label4");
    layout->addWidget(Label4, row++, 0, 1, 4);
    // The two radio buttons share one parent, which makes them one exclusive pair.
    or_hoch = bareToggle<QRadioButton>(GroupBox3, "or_hoch");
    or_hoch->setChecked(defaults.style.portrait);
    Label11 = clickLabel(GroupBox3, "Label11");
    Label11->setBuddy(or_hoch);
    or_quer = bareToggle<QRadioButton>(GroupBox3, "or_quer");
    or_quer->setChecked(!defaults.style.portrait);
    Label12 = clickLabel(GroupBox3, "Label12");
    Label12->setBuddy(or_quer);
    layout->addWidget(or_hoch, row, 0);
    layout->addWidget(Label11, row, 1);
    layout->addWidget(or_quer, row, 2);
    layout->addWidget(Label12, row, 3);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);
    main->addWidget(GroupBox3);

    // Font: size list on the left, style switches to its right.
    GroupBox2 = named(new QGroupBox(this), "GroupBox2");
    layout = new QGridLayout(GroupBox2);
    Label7 = named(new QLabel(GroupBox2), "Label7");
    Edit5 = named(new QComboBox(GroupBox2), "Edit5");
    Edit5->setEditable(true);
    // The list is fixed, and typed sizes are taken literally: no completion from the list, no
    // entry added on Enter.
    Edit5->setInsertPolicy(QComboBox::NoInsert);
    Edit5->setCompleter(nullptr);
    for (int size : {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        Edit5->addItem(QString::number(size));
    Edit5->lineEdit()->setObjectName(QStringLiteral("Edit5Edit"));
    Label7->setBuddy(Edit5);
    Label6 = named(new QLabel(QStringLiteral("Style"), GroupBox2), "Label6");
    cb3 = bareToggle<QCheckBox>(GroupBox2, "cb3");
    Label5 = clickLabel(GroupBox2, "Label5");
    Label5->setBuddy(cb3);
    cb4 = bareToggle<QCheckBox>(GroupBox2, "cb4");
    Label3 = clickLabel(GroupBox2, "Label3");
    Label3->setBuddy(cb4);
    layout->addWidget(Label7, 0, 0);
    layout->addWidget(Edit5, 1, 0);
    layout->addWidget(Label6, 0, 2, 1, 4);
    layout->addWidget(cb3, 1, 2);
    layout->addWidget(Label5, 1, 3);
    layout->addWidget(cb4, 1, 4);
    layout->addWidget(Label3, 1, 5);
    layout->setColumnMinimumWidth(1, 16);
    layout->setColumnStretch(3, 1);
    layout->setColumnStretch(5, 1);
    main->addWidget(GroupBox2);

    // Margins: line spacing and top margin, then left and bottom margin.
    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    layout = new QGridLayout(GroupBox1);
    struct Field
    {
        QLabel *&label;
        QLineEdit *&edit;
        const char *labelName;
        const char *editName;
        int row, column;
    };
    const Field fields[] = {
        {Edit1Label, Edit1, "Edit1Label", "Edit1", 0, 0},
        {Edit3Label, Edit3, "Edit3Label", "Edit3", 0, 1},
        {Edit2Label, Edit2, "Edit2Label", "Edit2", 2, 0},
        {Edit4Label, Edit4, "Edit4Label", "Edit4", 2, 1},
    };
    for (const Field &f : fields) {
        f.label = named(new QLabel(GroupBox1), f.labelName);
        f.edit = named(new QLineEdit(GroupBox1), f.editName);
        f.label->setBuddy(f.edit);
        layout->addWidget(f.label, f.row, f.column);
        layout->addWidget(f.edit, f.row + 1, f.column);
    }
    main->addWidget(GroupBox1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    Button2 = named(new QPushButton(this), "Button2");
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    main->addLayout(buttons);

    for (QObject *field : {static_cast<QObject *>(Edit1), static_cast<QObject *>(Edit2), static_cast<QObject *>(Edit3),
                           static_cast<QObject *>(Edit4), static_cast<QObject *>(Edit5),
                           static_cast<QObject *>(Edit5->lineEdit())})
        field->installEventFilter(this);

    connect(Button1, &QPushButton::clicked, this, &Teinst::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Teinst::Button2Click);
    connect(Label1, &ui::ClickLabel::clicked, this, &Teinst::Label1Click);
    connect(Label2, &ui::ClickLabel::clicked, this, &Teinst::Label2Click);
    connect(Label3, &ui::ClickLabel::clicked, this, &Teinst::Label3Click);
    connect(Label5, &ui::ClickLabel::clicked, this, &Teinst::Label5Click);
    connect(Label8, &ui::ClickLabel::clicked, this, &Teinst::Label8Click);
    connect(Label9, &ui::ClickLabel::clicked, this, &Teinst::Label9Click);
    connect(Label10, &ui::ClickLabel::clicked, this, &Teinst::Label10Click);
    connect(Label13, &ui::ClickLabel::clicked, this, &Teinst::Label13Click);
    connect(Label11, &ui::ClickLabel::clicked, this, &Teinst::Label11Click);
    connect(Label12, &ui::ClickLabel::clicked, this, &Teinst::Label12Click);
    connect(Edit5, &QComboBox::editTextChanged, this, &Teinst::Edit5Change);
}

void Teinst::FormCreate()
{
    LocalSpr();
    takeSnapshot();
    loadFields();
}

void Teinst::FormShow()
{
    takeSnapshot();
    loadFields();
}

void Teinst::takeSnapshot()
{
    m_snapshot = {cb1->isChecked(),     cb2->isChecked(),     cb3->isChecked(),
                  cb4->isChecked(),     or_hoch->isChecked(), or_quer->isChecked(),
                  cb_verz->isChecked(), cb_filename->isChecked(), cb_stdname->isChecked(),
                  cb_ownscript->isChecked()};
}

output::LabelSwitches Teinst::labelSwitches() const
{
    output::LabelSwitches switches;
    switches.numbering = cb1->isChecked();
    switches.fontName = cb2->isChecked();
    switches.directory = cb_verz->isChecked();
    switches.fileName = cb_filename->isChecked();
    return switches;
}

bool Teinst::standardFontLabels() const
{
    return cb_stdname->isChecked();
}

bool Teinst::ownScript() const
{
    return cb_ownscript->isChecked();
}

QString Teinst::separator() const
{
    return m_committed.separator->text();
}

bool Teinst::isGerman() const
{
    return m_languageCode() == QLatin1String("de");
}

void Teinst::loadFields()
{
    Edit1->setText(m_committed.spacing->text());
    Edit2->setText(m_committed.left->text());
    Edit3->setText(m_committed.top->text());
    Edit4->setText(m_committed.bottom->text());
    const QString size = m_committed.size->text();
    // Keep the list's highlighted entry in step with the text where the size is one of them.
    if (const int index = Edit5->findText(size); index >= 0)
        Edit5->setCurrentIndex(index);
    Edit5->setEditText(size);
    ed6->setText(m_committed.separator->text());
}

void Teinst::Button1Click()
{
    const std::pair<QLineEdit *, QLabel *> pairs[] = {
        {Edit1, m_committed.spacing}, {Edit2, m_committed.left},           {Edit3, m_committed.top},
        {Edit4, m_committed.bottom},  {Edit5->lineEdit(), m_committed.size}, {ed6, m_committed.separator},
    };
    // Not validated here: a field that holds no number is reported when an output converts it.
    for (const auto &[field, copy] : pairs)
        if (!field->text().isEmpty())
            copy->setText(field->text());
    hide();
}

void Teinst::Button2Click()
{
    cb1->setChecked(m_snapshot.cb1);
    cb2->setChecked(m_snapshot.cb2);
    cb3->setChecked(m_snapshot.cb3);
    cb4->setChecked(m_snapshot.cb4);
    cb_verz->setChecked(m_snapshot.cb_verz);
    cb_filename->setChecked(m_snapshot.cb_filename);
    cb_stdname->setChecked(m_snapshot.cb_stdname);
    cb_ownscript->setChecked(m_snapshot.cb_ownscript);
    // An exclusive pair cannot be unchecked directly: checking the one that was on puts the other off.
    if (m_snapshot.or_hoch)
        or_hoch->setChecked(true);
    else if (m_snapshot.or_quer)
        or_quer->setChecked(true);
    hide();
}

void Teinst::Label1Click() { toggle(cb1); }
void Teinst::Label2Click() { toggle(cb2); }
void Teinst::Label3Click() { toggle(cb4); }
void Teinst::Label5Click() { toggle(cb3); }
void Teinst::Label8Click() { toggle(cb_verz); }
void Teinst::Label9Click() { toggle(cb_filename); }
void Teinst::Label10Click() { toggle(cb_stdname); }
void Teinst::Label13Click() { toggle(cb_ownscript); }

void Teinst::Label11Click()
{
    // Portrait inverted, landscape its opposite; selecting the new one deselects its partner.
    if (!or_hoch->isChecked())
        or_hoch->setChecked(true);
    else
        or_quer->setChecked(true);
}

void Teinst::Label12Click()
{
    if (!or_quer->isChecked())
        or_quer->setChecked(true);
    else
        or_hoch->setChecked(true);
}

bool Teinst::Edit1KeyPress(QChar key)
{
    if (isNumericFieldCharacter(key))
        return false;
    dialogs::message(dialogs::MessageKind::Information,
                     isGerman() ? QStringLiteral("In diesem Feld sind nur Zahleneingaben erlaubt.")
                                     : QStringLiteral("In this box only numerical entries are allowed."));
    return true;
}

bool Teinst::Edit5KeyPress(QChar key)
{
    return Edit1KeyPress(key);
}

void Teinst::Edit5Change(const QString &text)
{
    if (util::IsInt(text))
        m_committed.size->setText(text);
}

void Teinst::LocalSpr()
{
    const QString code = m_languageCode();
    // Only the two languages have texts; any other code leaves the dialog as it is.
    if (code == QLatin1String("de") || code == QLatin1String("en")) {
        const bool german = code == QLatin1String("de");
        ui::applyCaptions(*this, output::settingsCaptions(), german);
        // The labels beside the bare check boxes and radio buttons are their buddies and name them.
        ui::applyAccessibleTexts(this, output::settingsAccessibleTexts(), german);
    }
    // New texts need new widths. The layouts would catch up only once the dialog is visible and
    // the event loop has run, so a dialog opened right after a switch would show clipped texts.
    for (QGroupBox *box : {GroupBox3, GroupBox2, GroupBox1})
        box->layout()->activate();
    layout()->activate();
}

void Teinst::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Teinst::showEvent(QShowEvent *event)
{
    // Only a showing by the program counts; the window system's own (restoring) does not.
    if (!event->spontaneous()) {
        FormShow();
        centreOnScreen();
        // The dialog is the main window's: the window system keeps it above the main window,
        // while both stay usable and a run that disables the main window leaves it alone.
        windowHandle()->setTransientParent(m_committed.separator->window()->windowHandle());
    }
    QWidget::showEvent(event);
}

void Teinst::closeEvent(QCloseEvent *event)
{
    // Closing only hides the dialog; its controls keep their states for the whole run.
    event->ignore();
    hide();
}

bool Teinst::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            // Editing and moving between fields, whatever character the platform attaches.
            return QWidget::eventFilter(watched, event);
        default:
            break;
        }
        for (const QChar c : key->text())
            if (!isNumericFieldCharacter(c))
                return watched == Edit5 || watched == Edit5->lineEdit() ? Edit5KeyPress(c) : Edit1KeyPress(c);
    }
    return QWidget::eventFilter(watched, event);
}
