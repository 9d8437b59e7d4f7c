#include "help/HelpWindow.h"

#include "help/WebLinks.h"
#include "platform/UrlOpener.h"
#include "ui/AccessibleTexts.h"
#include "ui/LinkLabel.h"
#include "ui/Links.h"
#include "ui/Logo.h"
#include "ui/Look.h"
#include "ui/Named.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QWindow>

namespace help {

namespace {
/// Width of the pages' content: that of the donation picture.
constexpr int kContentWidth = 504;
const QSize kPictureSize(504, 289);

using ui::named;

/// A word-wrapped paragraph of the page width. The fixed width lets the label's size hint (and
/// so the window's size) follow the text.
QLabel *paragraph(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setWordWrap(true);
    label->setFixedWidth(kContentWidth);
    return label;
}

QLabel *heading(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = paragraph(text, name, parent);
    QFont f = label->font();
    f.setBold(true);
    f.setPixelSize(15);
    label->setFont(f);
    return label;
}

QFrame *line(const QString &name, QWidget *parent)
{
    auto *frame = named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

// Tabs as flat buttons in a row (wrapping is not needed for two pages). The sheet is the tab
// bar's alone: on the page control it would reach the pages and replace their font.
const char kFlatTabs[] =
    "QTabBar::tab { border: 1px solid palette(mid); border-radius: 2px; padding: 3px 12px; margin: 0 4px 6px 0;"
    " background: palette(button); color: palette(button-text); }"
    "QTabBar::tab:selected { background: palette(midlight); border-color: palette(highlight); }";

// What a screen reader says of the controls without a caption of their own.
constexpr ui::AccessibleText kAccessibleTexts[] = {
    {"pc", {u"Seiten der Hilfe", u"Help pages"}, {u"Pfeiltasten wechseln die Seite", u"Arrow keys change the page"}},
};
} // namespace

HelpWindow::HelpWindow(const HelpTexts &texts, QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(texts.objectName);
    setWindowTitle(texts.caption);
    setFont(ui::windowFont());

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    // The window takes the size of its content, whatever the font makes of the texts.
    outer->setSizeConstraint(QLayout::SetFixedSize);

    Panel1 = named(new QFrame(this), QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    auto *header = new QHBoxLayout(Panel1);
    header->setContentsMargins(12, 8, 12, 8);
    Image1 = named(new QLabel(Panel1), QStringLiteral("Image1"));
    Image1->setFixedSize(134, 68);
    Image1->setPixmap(ui::drawLogo(texts.programName, Image1->size()));
    header->addWidget(Image1);
    header->addStretch();
    outer->addWidget(Panel1);
    outer->addWidget(line(QStringLiteral("Bevel1"), this));

    pc = named(new QTabWidget(this), QStringLiteral("pc"));
    pc->tabBar()->setStyleSheet(QLatin1String(kFlatTabs));
    pc->setDocumentMode(true);

    pc_hilfe = named(new QWidget, QStringLiteral("pc_hilfe"));
    auto *help = new QVBoxLayout(pc_hilfe);
    help->setContentsMargins(0, 4, 0, 4);
    help->setSpacing(8);
    help->addWidget(heading(texts.heading, QStringLiteral("Label1"), pc_hilfe));
    help->addWidget(paragraph(texts.firstSheet, QStringLiteral("Label2"), pc_hilfe));
    help->addWidget(paragraph(texts.onlineHelp, QStringLiteral("Label3"), pc_hilfe));
    laProgramm = named(new ui::LinkLabel(pc_hilfe), QStringLiteral("laProgramm"));
    laProgramm->setText(texts.programAddress);
    laProgramm->styleAsLink();
    help->addWidget(laProgramm, 0, Qt::AlignLeft);
    help->addSpacing(6);
    help->addWidget(heading(texts.concerns, QStringLiteral("Label4"), pc_hilfe));
    help->addWidget(paragraph(texts.invitation, QStringLiteral("Label5"), pc_hilfe));
    laSupport = named(new ui::LinkLabel(pc_hilfe), QStringLiteral("laSupport"));
    laSupport->setText(texts.supportAddress);
    laSupport->styleAsLink();
    help->addWidget(laSupport, 0, Qt::AlignLeft);
    help->addStretch();
    pc->addTab(pc_hilfe, texts.helpTab);

    pc_spenden = named(new QWidget, QStringLiteral("pc_spenden"));
    auto *donate = new QVBoxLayout(pc_spenden);
    donate->setContentsMargins(0, 4, 0, 4);
    donate->setSpacing(8);
    sbSpenden = named(new QScrollArea(pc_spenden), QStringLiteral("sbSpenden"));
    sbSpenden->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbSpenden->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbSpenden->setFrameShape(QFrame::NoFrame);
    sbSpenden->setFixedSize(kPictureSize);
    Image2 = named(new QLabel, QStringLiteral("Image2"));
    Image2->setPixmap(drawDonationPicture(texts.donationTitle, texts.donationPurposes));
    Image2->setFixedSize(kPictureSize);
    sbSpenden->setWidget(Image2);
    donate->addWidget(sbSpenden);
    laSpenden = named(new ui::LinkLabel(pc_spenden), QStringLiteral("laSpenden"));
    laSpenden->setText(texts.donateAddress);
    laSpenden->styleAsLink();
    donate->addWidget(laSpenden, 0, Qt::AlignLeft);
    donate->addStretch();
    pc->addTab(pc_spenden, texts.donateTab);

    auto *middle = new QVBoxLayout;
    middle->setContentsMargins(14, 10, 14, 10);
    middle->addWidget(pc);
    outer->addLayout(middle, 1);
    outer->addWidget(line(QStringLiteral("Bevel2"), this));

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(14, 8, 14, 10);
    buttons->addStretch();
    backButton = named(new QPushButton(texts.backText, this), texts.backName);
    nextButton = named(new QPushButton(texts.nextText, this), texts.nextName);
    for (QPushButton *button : {backButton, nextButton}) {
        button->setMinimumSize(90, 25);
        buttons->addWidget(button);
    }
    outer->addLayout(buttons);

    Panel1->installEventFilter(this);
    Image1->installEventFilter(this);

    for (ui::LinkLabel *label : {laProgramm, laSupport, laSpenden})
        connect(label, &ui::LinkLabel::clicked, this, [this, label] { BrowseToCaption(label); });
    connect(backButton, &QPushButton::clicked, this, &HelpWindow::backClick);
    connect(nextButton, &QPushButton::clicked, this, &HelpWindow::nextClick);

    // The pictures are read by what they show.
    Image1->setAccessibleName(texts.programName);
    Image2->setAccessibleName(texts.donationTitle);
    sbSpenden->setAccessibleName(texts.donationTitle);
    ui::applyAccessibleTexts(this, kAccessibleTexts, texts.german);

    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void HelpWindow::showPage(QWidget *page)
{
    pc->setCurrentWidget(page);
    // Brought to the front with the keyboard's focus, shown anew or not: a window manager that
    // keeps new windows from taking the focus would otherwise leave it behind a menu chosen with
    // the keyboard, out of the keyboard's reach.
    show();
    raise();
    activateWindow();
}

void HelpWindow::BrowseToCaption(const QLabel *label)
{
    platform::openUrl(linkAddress(LinkForm::Window, label->text(), QLatin1String(kHelpReferrer)));
}

void HelpWindow::backClick()
{
    const int count = pc->count();
    if (count > 0)
        pc->setCurrentIndex((pc->currentIndex() + count - 1) % count);
}

void HelpWindow::nextClick()
{
    const int count = pc->count();
    if (count > 0)
        pc->setCurrentIndex((pc->currentIndex() + 1) % count);
}

void HelpWindow::Image2MouseDown()
{
    // The window system moves the window until the button is released; without a native
    // window (not shown yet, or a platform that cannot) nothing happens.
    if (QWindow *window = windowHandle())
        window->startSystemMove();
}

void HelpWindow::mousePressEvent(QMouseEvent *event)
{
    // Only the bare background moves the window: presses on the page texts pass up to here too.
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint()))
        Image2MouseDown();
    QWidget::mousePressEvent(event);
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Panel1 || watched == Image1) && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Image2MouseDown();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

std::span<const QColor> donationTileColours()
{
    // Green and orange are dark enough for the white number on them.
    static const QColor tiles[] = {QColor(0, 102, 170), QColor(30, 120, 75), QColor(175, 90, 0),
                                   QColor(170, 50, 60), QColor(100, 80, 160), QColor(0, 51, 102)};
    return tiles;
}

QPixmap drawDonationPicture(const QString &title, const QStringList &purposes)
{
    QPixmap picture(kPictureSize);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // A blue band with the title, then one coloured tile and line per purpose.
    painter.fillRect(QRect(0, 0, kPictureSize.width(), 46), ui::linkColour());
    QFont font = ui::windowFont();
    font.setPixelSize(19);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(16, 0, kPictureSize.width() - 32, 46), Qt::AlignVCenter | Qt::AlignLeft, title);

    const std::span<const QColor> tiles = donationTileColours();
    font.setPixelSize(14);
    font.setBold(false);
    painter.setFont(font);
    const int rowHeight = 38;
    int y = 60;
    for (qsizetype i = 0; i < purposes.size() && y + rowHeight <= kPictureSize.height(); ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(tiles[size_t(i) % tiles.size()]);
        painter.drawRoundedRect(QRectF(18, y + 6, 22, 22), 4, 4);
        painter.setPen(Qt::white);
        QFont mark = font;
        mark.setBold(true);
        painter.setFont(mark);
        painter.drawText(QRect(18, y + 6, 22, 22), Qt::AlignCenter, QString::number(i + 1));
        painter.setFont(font);
        painter.setPen(QColor(40, 40, 40));
        painter.drawText(QRect(54, y, kPictureSize.width() - 70, rowHeight - 4), Qt::AlignVCenter | Qt::AlignLeft,
                         purposes.at(i));
        y += rowHeight;
    }
    painter.setPen(QPen(QColor(200, 208, 220), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, kPictureSize.width() - 1, kPictureSize.height() - 1));
    return picture;
}

HelpTexts germanHelpTexts()
{
    HelpTexts t;
    t.objectName = QStringLiteral("hilfe");
    t.german = true;
    t.caption = QStringLiteral("Glyphwerk - Velmont Media");
    t.programName = QStringLiteral("Glyphwerk");
    t.backName = QStringLiteral("btide1");
    t.backText = QStringLiteral("<< zurück");
    t.nextName = QStringLiteral("btide2");
    t.nextText = QStringLiteral("weiter >>");
    t.helpTab = QStringLiteral("Hilfe");
    t.donateTab = QStringLiteral("Wieso spenden?");
    t.heading = QStringLiteral("Hilfe");
    t.firstSheet = QStringLiteral(
        "Ihre erste Schriftliste ist schnell erstellt: Starten Sie das Programm und klicken Sie unten rechts "
        "auf \"Ausgeben\". Ohne weitere Einstellungen wird jede Schrift der Liste mit laufender Nummer, ihrem "
        "Namen und einem vorgegebenen Beispielsatz auf dem Standarddrucker ausgegeben. Den Satz wählen Sie "
        "unten im Feld über dem Knopf oder schreiben Ihren eigenen hinein, das Ausgabeziel (Drucker, Bild "
        "oder Textdokument) im Feld darüber. Ränder, Zeilenabstand, Schriftgröße und Trennzeichen ändern Sie unter "
        "\"Programm\" > \"Erweiterte Einstellungen\".");
    t.onlineHelp = QStringLiteral(
        "Nur bestimmte Schriften ausgeben? Markieren Sie Einträge der Liste und löschen Sie sie mit Entf "
        "(oder die nicht markierten mit Strg+Entf). Als PDF-Dokument erhalten Sie die Liste, wenn Sie "
        "\"Drucker Dialog mit Optionen\" wählen und im Druckdialog einen PDF-Drucker nehmen. Oder Sie wählen "
        "im Ausgabefeld \"PDF-Dokument\": Dann wird die Liste gleich als PDF-Datei gespeichert. Alles zu "
        "den erweiterten Einstellungen, zum Drucken als PDF und zum Bearbeiten "
        "der Schriftliste finden Sie ausführlich in der Online-Hilfe:");
    t.concerns = QStringLiteral("Ihre Anliegen");
    t.invitation = QStringLiteral(
        "Wir freuen uns über Vorschläge, Wünsche und auch Kritik. Schreiben Sie uns einfach über das "
        "Support-Formular auf unserer Webseite:");
    t.programAddress = QLatin1String(ui::kProgramDe);
    t.supportAddress = QLatin1String(ui::kSupportDe);
    t.donateAddress = QLatin1String(ui::kDonateDe);
    t.donationTitle = QStringLiteral("Wofür wir Ihre Spende verwenden");
    t.donationPurposes = {QStringLiteral("Neue Funktionen und Weiterentwicklung des Programms"),
                          QStringLiteral("Fehlerbehebung und Anpassung an neue Systeme"),
                          QStringLiteral("Kostenlose Antworten über das Support-Formular"),
                          QStringLiteral("Webseite, Online-Hilfe und Server"),
                          QStringLiteral("Damit das Programm kostenlos bleibt")};
    return t;
}

HelpTexts englishHelpTexts()
{
    HelpTexts t;
    t.objectName = QStringLiteral("hilfe_en");
    t.caption = QStringLiteral("Glyphworks - Velmont Media");
    t.programName = QStringLiteral("Glyphworks");
    t.backName = QStringLiteral("btien1");
    t.backText = QStringLiteral("<< back");
    t.nextName = QStringLiteral("btien2");
    t.nextText = QStringLiteral("next >>");
    t.helpTab = QStringLiteral("Help");
    t.donateTab = QStringLiteral("Why Donate?");
    t.heading = QStringLiteral("Help");
    t.firstSheet = QStringLiteral(
        "Your first font sheet takes one click: start the program and press \"Export\" at the bottom right. "
        "Without further settings every font of the list is printed with a running number, its name and a "
        "preset sentence on the default printer. Pick another sentence in the box above the button or type "
        "your own, and choose the target (printer, image or text document) in the box above it. Margins, line "
        "spacing, font size and separator can be changed under \"Tool\" > \"Advanced Settings\".");
    t.onlineHelp = QStringLiteral(
        "Only want some of the fonts? Select entries of the list and delete them with Del (or the "
        "unselected ones with Ctrl+Del). To get the list as a PDF document, choose \"Printer Dialog with "
        "Options\" and pick a PDF printer in the print dialog, or choose \"PDF-Document\" in the output box "
        "to save the list as a PDF file directly. The advanced settings, "
        "printing as PDF and editing the font list are explained in detail in the online help:");
    t.concerns = QStringLiteral("Your Concerns");
    t.invitation = QStringLiteral(
        "We welcome suggestions, wishes and criticism. Simply write to us through the support form on our "
        "web site:");
    t.programAddress = QLatin1String(ui::kDocsEn);
    t.supportAddress = QLatin1String(ui::kSupportEn);
    t.donateAddress = QLatin1String(ui::kDonateEn);
    t.donationTitle = QStringLiteral("What your donation pays for");
    t.donationPurposes = {QStringLiteral("New features and further development of the program"),
                          QStringLiteral("Bug fixes and keeping up with new systems"),
                          QStringLiteral("Free answers through the support form"),
                          QStringLiteral("Web site, online help and servers"),
                          QStringLiteral("Keeping the program free of charge")};
    return t;
}

} // namespace help
