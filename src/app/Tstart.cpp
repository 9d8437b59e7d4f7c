#include "app/Tstart.h"

#include "app/Language.h"
#include "app/Tprog.h"
#include "app/Windows.h"
#include "platform/Dialogs.h"
#include "ui/Links.h"
#include "ui/Logo.h"
#include "ui/Look.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace {
constexpr int kWidth = 269;
constexpr int kHeight = 170;
const QColor kFrameBlue(0, 32, 96);

QWidget *frameLine(QWidget *parent, const char *name)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QLatin1String(name));
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, kFrameBlue);
    line->setPalette(p);
    // The frame does not take part in the click that ends the greeting.
    line->setAttribute(Qt::WA_NoMousePropagation);
    line->setCursor(Qt::ArrowCursor);
    return line;
}
} // namespace

Tstart::Tstart(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("start"));
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setCursor(Qt::PointingHandCursor);

    spr = new QLabel(QStringLiteral("en"), this);
    spr->setObjectName(QStringLiteral("spr"));
    spr->hide();

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(134, 68);
    Image1->setPixmap(ui::drawLogo(QStringLiteral("Glyphwerk"), Image1->size()));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setFixedSize(134, 72);
    Image2->setPixmap(ui::drawLogo(QStringLiteral("Glyphworks"), Image2->size()));
    Image2->hide();
    // Each logo shows the program's name in its own language, and is read so.
    Image1->setAccessibleName(QStringLiteral("Logo Glyphwerk"));
    Image2->setAccessibleName(QStringLiteral("Glyphworks logo"));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont f = font();
    f.setPixelSize(11);
    f.setBold(true);
    Label1->setFont(f);
    QPalette lp = Label1->palette();
    lp.setColor(QPalette::WindowText, ui::textColour());
    Label1->setPalette(lp);
    Label1->move(0, 149);

    r1 = frameLine(this, "r1");
    r2 = frameLine(this, "r2");
    r3 = frameLine(this, "r3");
    r4 = frameLine(this, "r4");
    r1->setGeometry(0, 0, 2, 2);
    r2->setGeometry(0, 0, 2, 2);
    r3->setGeometry(0, 0, 2, 2);
    r4->setGeometry(0, 0, 2, 2);

    for (QWidget *w : {static_cast<QWidget *>(Image1), static_cast<QWidget *>(Image2), static_cast<QWidget *>(Label1)})
        w->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(90);
    connect(Timer1, &QTimer::timeout, this, &Tstart::Timer1Timer);

    FormCreate();
    Timer1->start();
}

void Tstart::FormCreate()
{
    const int w = width();
    const int h = height();
    Image1->move(w / 2 - Image1->width() / 2, h / 2 - Image1->height() / 2);
    centreLabel1();
    start_ticks = 0;
    r1->setGeometry(0, 0, w, 2);
    r2->setGeometry(0, h - 2, w, 2);
    r3->setGeometry(0, 0, 2, h);
    r4->setGeometry(w - 2, 0, 2, h);
    Image2->move(Image1->pos());

    spr->setText(app::startLanguageCode());
    startsprache();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Tstart::startsprache()
{
    if (spr->text() == QLatin1String("de")) {
        Label1->setText(QString::fromLatin1(ui::kHomeDe));
        dialogs::setApplicationTitle(QStringLiteral("Glyphwerk - Velmont Media"));
        Image2->hide();
        Image1->show();
    }
    if (spr->text() == QLatin1String("en")) {
        Label1->setText(QString::fromLatin1(ui::kHomeEn));
        dialogs::setApplicationTitle(QStringLiteral("Glyphworks - Velmont Media"));
        Image2->show();
        Image1->hide();
    }
    centreLabel1();
    app::setPlatformLanguage(spr->text());
}

void Tstart::Timer1Timer()
{
    ++start_ticks;
    if (start_ticks == 18)
        Label1->setText(QString::fromLatin1(app::isGerman() ? ui::kDonateDe : ui::kDonateEn));
    if (start_ticks == 25)
        prog->show();
    if (start_ticks == 35)
        hide();
    if (start_ticks == 36)
        Timer1->stop();
    centreLabel1();
}

void Tstart::FormClick()
{
    Timer1->stop();
    hide();
    prog->show();
}

void Tstart::centreLabel1()
{
    Label1->adjustSize();
    Label1->move(width() / 2 - Label1->width() / 2, Label1->y());
}

void Tstart::closeEvent(QCloseEvent *event)
{
    Timer1->stop();
    event->accept();
    emit runEnded();
}

void Tstart::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    FormClick();
}

bool Tstart::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        FormClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
