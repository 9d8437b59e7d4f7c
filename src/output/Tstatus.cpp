#include "output/Tstatus.h"

#include "app/Tprog.h"
#include "app/Windows.h"
#include "ui/Look.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace {
const char *const kTag = "Tag";
} // namespace

Tstatus::Tstatus(QWidget *parent)
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

    beginRun();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Tstatus::BreakClick()
{
    Break->setProperty(kTag, 1);
}

void Tstatus::beginRun()
{
    Break->setProperty(kTag, 0);
    m_exitRequested = false;
    Break->setText(app::isGerman() ? QStringLiteral("Abbrechen") : QStringLiteral("Break"));
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

namespace output {
namespace {
bool runWindowShown = true;
} // namespace

void setRunWindowShown(bool shown)
{
    runWindowShown = shown;
}

RunWindows::RunWindows(qsizetype lines)
{
    if (runWindowShown)
        status->show();
    prog->setEnabled(false);
    status->setMaximum(int(lines));
    status->setPosition(0);
}

RunWindows::~RunWindows()
{
    end();
}

void RunWindows::end()
{
    if (m_ended)
        return;
    m_ended = true;
    status->hide();
    prog->setEnabled(true);
    prog->activateWindow();
    prog->setFocus();
}

} // namespace output
