#include "output/Tstatus.h"

#include "ui/AccessibleTexts.h"
#include "ui/Look.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace {
const char *const kTag = "Tag";

// What a screen reader says of the bar, and of the button beyond its caption.
constexpr ui::AccessibleText kAccessibleTexts[] = {
    {"stat", {u"Fortschritt", u"Progress"}, {u"Wie viele Schriften schon ausgegeben sind", u"How many fonts are output"}},
    {"Break", {}, {u"Beendet die Ausgabe nach der aktuellen Zeile", u"Ends the output after the current line"}},
};
} // namespace

Tstatus::Tstatus(bool german, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("status"));
    setWindowTitle(QStringLiteral("Status"));
    setFont(ui::windowFont());
    setFixedSize(273, 71);

    stat = new QProgressBar(this);
    stat->setObjectName(QStringLiteral("stat"));
    stat->setGeometry(8, 16, 257, 17);
    stat->setRange(0, 100);
    stat->setValue(0);
    // A plain bar: the count is the user's cue, not a percentage.
    stat->setTextVisible(false);

    Break = new QPushButton(this);
    Break->setObjectName(QStringLiteral("Break"));
    Break->setGeometry(190, 39, 75, 21);
    connect(Break, &QPushButton::clicked, this, &Tstatus::BreakClick);

    beginRun(german);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Tstatus::BreakClick()
{
    Break->setProperty(kTag, 1);
}

void Tstatus::beginRun(bool german)
{
    Break->setProperty(kTag, 0);
    m_exitRequested = false;
    Break->setText(german ? QStringLiteral("Abbrechen") : QStringLiteral("Break"));
    ui::applyAccessibleTexts(this, kAccessibleTexts, german);
}

int Tstatus::abortRequest() const
{
    return Break->property(kTag).toInt();
}

void Tstatus::abortForExit()
{
    BreakClick();
    m_exitRequested = true;
}

bool Tstatus::exitRequested() const
{
    return m_exitRequested;
}

void Tstatus::setMaximum(int maximum)
{
    // A bar whose range is empty would show Qt's busy animation; a run without lines shows an
    // empty bar instead.
    stat->setRange(0, qMax(maximum, 1));
}

void Tstatus::setPosition(int position)
{
    stat->setValue(position);
}

void Tstatus::closeEvent(QCloseEvent *event)
{
    // The title bar's close button only hides the window; it is no request to stop the run.
    event->ignore();
    hide();
}
