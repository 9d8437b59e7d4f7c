#include "help/ReportWindow.h"

#include "help/WebLinks.h"
#include "platform/UrlOpener.h"
#include "ui/AccessibleTexts.h"
#include "ui/LinkLabel.h"
#include "ui/Links.h"
#include "ui/Look.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace help {

namespace {
QLabel *paragraph(const QString &text, const char *name, QWidget *parent, int y, int height)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(16, y, parent->width() - 32, height);
    return label;
}
} // namespace

ReportWindow::ReportWindow(const ReportTexts &texts, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(texts.objectName);
    setWindowTitle(texts.caption);
    setFont(ui::windowFont());
    setFixedSize(texts.size);

    Label1 = paragraph(texts.salutation, "Label1", this, 16, 16);
    Label2 = paragraph(texts.intro, "Label2", this, 44, 60);
    Label70 = new ui::LinkLabel(this);
    Label70->setObjectName(QStringLiteral("Label70"));
    Label70->setText(texts.address);
    Label70->styleAsLink();
    Label70->setGeometry(16, 112, width() - 32, 18);
    Label3 = paragraph(texts.email, "Label3", this, 144, 120);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry((width() - 75) / 2, height() - 41, 75, 25);

    // The link and the button are read by their texts.
    ui::applyAccessibleTexts(this, {}, texts.german);

    connect(Label70, &ui::LinkLabel::clicked, this, &ReportWindow::BrowseToCaption);
    connect(Button1, &QPushButton::clicked, this, &ReportWindow::Button1Click);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void ReportWindow::BrowseToCaption()
{
    platform::openUrl(linkAddress(LinkForm::Window, Label70->text(), QLatin1String(kReportReferrer)));
}

void ReportWindow::Button1Click()
{
    hide();
}

ReportTexts germanReportTexts()
{
    return {QStringLiteral("bugreport_de"),
            QStringLiteral("Fehler oder Verbesserung melden"),
            QSize(330, 368),
            QStringLiteral("Sehr geehrter Anwender,"),
            QStringLiteral("haben Sie einen Fehler gefunden oder eine Idee, wie das Programm besser werden "
                           "kann? Dann schreiben Sie uns bitte über das Formular auf dieser Webseite:"),
            QLatin1String(ui::kSupportDe),
            QStringLiteral("Die Angabe Ihrer E-Mail-Adresse im Formular ist freiwillig. Wenn Sie sie angeben, "
                           "erhalten Sie eine Antwort von uns.\n\nVielen Dank für Ihre Hilfe!"),
            true};
}

ReportTexts englishReportTexts()
{
    return {QStringLiteral("bugreport_en"),
            QStringLiteral("Report Bug or Improvement"),
            QSize(312, 346),
            QStringLiteral("Dear User,"),
            QStringLiteral("Have you found an error, or do you have an idea how the program could be better? "
                           "Please tell us through the form on this web page:"),
            QLatin1String(ui::kSupportEn),
            QStringLiteral("Giving your e-mail address in the form is voluntary. If you give it, you will "
                           "get an answer from us.\n\nThank you for your help!")};
}

} // namespace help
