#include "fonts/Tfpreview.h"

#include "ui/AccessibleTexts.h"
#include "ui/Anchors.h"
#include "ui/Look.h"
#include "util/IntText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr QSize kDesignClient(615, 346);
// Sizes beyond what the platform's fonts are made for would have every glyph drawn as a bitmap
// of many megabytes; the largest size the sizes of the font dialog reach is the limit.
constexpr int kLargestSize = 1638;

// The picture of a style button: the desktop's icon, else the letter drawn in that style.
QIcon styleIcon(const char *themeName, QChar letter, void (QFont::*style)(bool))
{
    const QIcon themed = QIcon::fromTheme(QLatin1String(themeName));
    if (!themed.isNull())
        return themed;
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QFont font = ui::windowFont();
    font.setPixelSize(14);
    (font.*style)(true);
    painter.setFont(font);
    painter.setPen(ui::textColour());
    painter.drawText(picture.rect(), Qt::AlignCenter, QString(letter));
    return QIcon(picture);
}

// What a screen reader says of the controls without a caption of their own.
constexpr ui::AccessibleText kAccessibleTexts[] = {
    {"UpDown1", {u"Schriftgröße ändern", u"Change font size"}, {}},
    {"up", {u"Größer", u"Larger"}, {}},
    {"down", {u"Kleiner", u"Smaller"}, {}},
    {"bold", {u"Fett", u"Bold"}, {u"Schaltet Fett ein oder aus", u"Turns bold on or off"}},
    {"italic", {u"Kursiv", u"Italic"}, {u"Schaltet Kursiv ein oder aus", u"Turns italic on or off"}},
    {"under", {u"Unterstrichen", u"Underline"}, {u"Schaltet Unterstreichen ein oder aus", u"Turns underline on or off"}},
    {"Memo2",
     {u"Große Schriftprobe", u"Large font preview"},
     {u"Zeigt die Schrift der Liste an einem eigenen Text", u"Shows the list's font on a text of your own"}},
};

QToolButton *styleButton(QWidget *parent, const char *name, const QIcon &icon, int left)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setGeometry(left, 8, 23, 22);
    return button;
}

} // namespace

Tfpreview::Tfpreview(std::function<bool()> german, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_german(std::move(german))
{
    setObjectName(QStringLiteral("fpreview"));
    ui::applyWindowLook(this);
    resize(kDesignClient);
    auto *layout = new ui::AnchorLayout(this, kDesignClient);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 11);

    FSize = new QComboBox(this);
    FSize->setObjectName(QStringLiteral("FSize"));
    FSize->setEditable(true);
    FSize->setInsertPolicy(QComboBox::NoInsert);
    FSize->addItems({"8", "9", "10", "11", "12", "13", "14", "16", "18", "20", "24", "28", "32", "36", "40", "64",
                     "72", "144"});
    FSize->setGeometry(80, 8, 103, 21);
    FSize->setCurrentIndex(-1);
    FSize->setEditText(QStringLiteral("13"));

    UpDown1 = new UpDown(this, 0, 100, 13);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(183, 8, 16, 21);
    UpDown1->associate(FSize);
    Label1->setBuddy(FSize);

    Label2 = new QLabel(QStringLiteral("Format:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(227, 11);

    bold = styleButton(this, "bold", styleIcon("format-text-bold", u'B', &QFont::setBold), 272);
    italic = styleButton(this, "italic", styleIcon("format-text-italic", u'I', &QFont::setItalic), 301);
    under = styleButton(this, "under", styleIcon("format-text-underline", u'U', &QFont::setUnderline), 330);

    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setPlainText(QStringLiteral("abc def ghijklm\nnopqr stuv wxyz \n1234567890"));
    Memo2->setFont(ui::sampleBoxFont(17));
    Memo2->setTabChangesFocus(true);
    layout->place(Memo2, {8, 36, 599, 302}, ui::AnchorLeft | ui::AnchorTop | ui::AnchorRight | ui::AnchorBottom);

    connect(FSize, &QComboBox::editTextChanged, this, &Tfpreview::FSizeChange);
    connect(UpDown1, &UpDown::changing, this, &Tfpreview::UpDown1ChangingEx);
    connect(bold, &QToolButton::clicked, this, &Tfpreview::boldClick);
    connect(italic, &QToolButton::clicked, this, &Tfpreview::italicClick);
    connect(under, &QToolButton::clicked, this, &Tfpreview::underClick);

    LocalSpr();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Tfpreview::LocalSpr()
{
    const bool german = m_german();
    setWindowTitle(german ? QStringLiteral("Schriftprobe") : QStringLiteral("Font Preview"));
    Label1->setText(german ? QStringLiteral("Schriftgröße:") : QStringLiteral("Font Size:"));
    Label1->adjustSize();
    ui::applyAccessibleTexts(this, kAccessibleTexts, german);
}

void Tfpreview::setMemoSize(int points)
{
    QFont font = Memo2->font();
    // A size of 0 or below has no drawing of its own: the box falls back to the default size.
    if (points > 0)
        font.setPointSize(qMin(points, kLargestSize));
    else
        font.setPointSizeF(QFont().pointSizeF());
    Memo2->setFont(font);
}

void Tfpreview::FSizeChange()
{
    const QString text = FSize->currentText();
    if (util::IsInt(text))
        setMemoSize(util::StrToInt(text));
}

void Tfpreview::UpDown1ChangingEx(bool &allowChange, int newValue)
{
    allowChange = true;
    setMemoSize(newValue);
}

namespace {
// One style toggle: state 1 removes the style, state 0 adds it; the other bits stay.
void toggle(QPlainTextEdit *memo, int &state, void (QFont::*set)(bool))
{
    QFont font = memo->font();
    (font.*set)(state == 0);
    memo->setFont(font);
    state = state == 0 ? 1 : 0;
}
} // namespace

void Tfpreview::boldClick()
{
    toggle(Memo2, m_bold, &QFont::setBold);
}

void Tfpreview::italicClick()
{
    toggle(Memo2, m_italic, &QFont::setItalic);
}

void Tfpreview::underClick()
{
    toggle(Memo2, m_under, &QFont::setUnderline);
}

void Tfpreview::FormHide()
{
    emit hidden();
}

void Tfpreview::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Minimising sends a spontaneous hide; only a hidden window unticks the box.
    if (!isVisible())
        FormHide();
}

UpDown::UpDown(QWidget *parent, int minimum, int maximum, int position)
    : QWidget(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_position(position)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto &[arrow, name, delta] :
         {std::tuple{Qt::UpArrow, "up", 1}, std::tuple{Qt::DownArrow, "down", -1}}) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, delta = delta] { step(delta); });
    }
}

void UpDown::setPosition(int position)
{
    m_position = qBound(m_minimum, position, m_maximum);
}

void UpDown::step(int delta)
{
    // The arrows step from the number the box shows, as the user may have typed another.
    if (m_box && util::IsInt(m_box->currentText()))
        m_position = qBound(m_minimum, util::StrToInt(m_box->currentText()), m_maximum);
    const int next = qBound(m_minimum, m_position + delta, m_maximum);
    if (next == m_position)
        return;
    bool allow = true;
    emit changing(allow, next);
    if (!allow)
        return;
    m_position = next;
    if (m_box)
        m_box->setEditText(QString::number(next));
}
