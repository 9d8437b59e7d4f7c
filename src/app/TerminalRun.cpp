#include "app/TerminalRun.h"

#include "fonts/ListQuestions.h"
#include "util/EscapedText.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace app {
namespace {

// The write end of the watch's pipe, for the signal handler.
volatile std::sig_atomic_t signalPipe = -1;

extern "C" void onInterrupt(int)
{
    const char byte = 1;
    // Nothing to do when the pipe is full: a byte is already waiting.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe, &byte, 1);
}

constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

void writeTo(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void writeError(const QString &text)
{
    // Messages break their lines the Windows way; a terminal wants plain line feeds. A control
    // character that a name brought into the message is shown, never acted on.
    writeTo(stderr, QStringLiteral("glyphworks: ") + util::escapeMessageControls(text) + QLatin1Char('\n'));
}

struct InterruptWatch::State
{
    int pipe[2] = {-1, -1};
    struct sigaction previous[std::size(kWatchedSignals)] = {};
    std::unique_ptr<QSocketNotifier> notifier;
};

InterruptWatch::InterruptWatch(std::function<void()> interrupted)
    : m_state(std::make_unique<State>())
{
    if (::pipe2(m_state->pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signalPipe = m_state->pipe[1];
    m_state->notifier = std::make_unique<QSocketNotifier>(m_state->pipe[0], QSocketNotifier::Read);
    QObject::connect(m_state->notifier.get(), &QSocketNotifier::activated, m_state->notifier.get(),
                     [fd = m_state->pipe[0], interrupted] {
                         char bytes[16];
                         while (::read(fd, bytes, sizeof bytes) > 0) {
                         }
                         interrupted();
                     });
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kWatchedSignals); ++i)
        ::sigaction(kWatchedSignals[i], &action, &m_state->previous[i]);
}

InterruptWatch::~InterruptWatch()
{
    if (m_state->pipe[0] < 0)
        return;
    for (size_t i = 0; i < std::size(kWatchedSignals); ++i)
        ::sigaction(kWatchedSignals[i], &m_state->previous[i], nullptr);
    m_state->notifier.reset();
    signalPipe = -1;
    ::close(m_state->pipe[0]);
    ::close(m_state->pipe[1]);
}

TerminalRunWindows::TerminalRunWindows(const QString &file, qint64 lines, bool german, bool shown)
    : m_file(file)
    , m_lines(lines)
{
    if (shown)
        m_progress.emplace(::isatty(::fileno(stderr)) != 0, german);
    m_clock.start();
}

TerminalRunWindows::~TerminalRunWindows()
{
    if (m_progress)
        writeTo(stderr, m_progress->finish());
}

void TerminalRunWindows::complete()
{
    show(m_lines);
}

void TerminalRunWindows::begin(qsizetype)
{
    // Every part of a run (the single image, then the split run) is followed from its start.
    show(0);
}

void TerminalRunWindows::lineDone(qsizetype index)
{
    show(index);
    // The run holds the event loop; an interrupt reaches it here.
    QCoreApplication::processEvents();
}

void TerminalRunWindows::show(qint64 done)
{
    if (!m_progress)
        return;
    // The display counts the list positions of the lines set, as the progress window's bar does.
    if (const QString text = m_progress->update(done, m_lines, m_clock.elapsed()); !text.isEmpty())
        writeTo(stderr, text);
}

void printFontList(const fonts::FontListEntries &entries)
{
    QByteArray out;
    for (const fonts::FontListEntry &entry : entries)
        out += util::escapeControls(entry.text).toUtf8() + '\n';
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    std::fflush(stdout);
}

void printFactsListing(const fonts::FontListEntries &entries, fonts::ListingFormat format, bool german)
{
    // The reason a file cannot be used is what reading its facts met, in the words of the list's
    // mark of unreadable files.
    fonts::writeFactsListing(
        entries, format, german,
        [](const QByteArray &part) { std::fwrite(part.constData(), 1, static_cast<size_t>(part.size()), stdout); },
        fonts::duplicateOf(entries));
    std::fflush(stdout);
}

} // namespace app
