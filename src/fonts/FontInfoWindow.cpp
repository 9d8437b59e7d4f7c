#include "fonts/FontInfoWindow.h"

#include "fonts/FontInfo.h"
#include "ui/AccessibleTexts.h"
#include "ui/Look.h"
#include "util/EscapedText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

FontInfoWindow::FontInfoWindow(std::function<bool()> german, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_german(std::move(german))
{
    setObjectName(QStringLiteral("fontinfo"));
    ui::applyWindowLook(this);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Memo1 = new QTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setAcceptRichText(false);
    Memo1->setLineWrapMode(QTextEdit::WidgetWidth);
    // Read-only text still takes the keyboard: the arrows move through it and a screen reader
    // follows, Shift+arrows select and Ctrl+C copies.
    Memo1->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    Memo1->setFocusPolicy(Qt::StrongFocus);
    Memo1->setTabChangesFocus(true);
    Label1->setBuddy(Memo1);
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QPushButton::clicked, this, &QWidget::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Memo1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);
    resize(560, 520);
    LocalSpr();
}

void FontInfoWindow::showEntry(const fonts::FontListEntry &entry)
{
    m_entry = entry;
    m_hasEntry = true;
    LocalSpr();
    show();
    raise();
    activateWindow();
    Memo1->setFocus(Qt::OtherFocusReason);
    Memo1->moveCursor(QTextCursor::Start);
}

void FontInfoWindow::LocalSpr()
{
    const bool german = m_german && m_german();
    const QString title = german ? QStringLiteral("Schriftinformationen") : QStringLiteral("Font Information");
    setWindowTitle(m_hasEntry ? title + QStringLiteral(" - ") + util::escapeControls(m_entry.name) : title);
    Label1->setText(german ? QStringLiteral("&Angaben der Schriftdatei:") : QStringLiteral("&Facts of the font file:"));
    Button1->setText(german ? QStringLiteral("&Schließen") : QStringLiteral("&Close"));
    Button1->setAccessibleName(ui::spokenCaption(Button1->text()));
    Memo1->setAccessibleName(title);
    Memo1->setAccessibleDescription(german ? QStringLiteral("Auswählbarer Text, Esc schließt das Fenster")
                                           : QStringLiteral("Selectable text, Esc closes the window"));
    if (m_hasEntry)
        Memo1->setPlainText(fonts::factsText(m_entry, fonts::entryFacts(m_entry), german));
}

QString FontInfoWindow::factsText() const
{
    return Memo1->toPlainText();
}

void FontInfoWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}
