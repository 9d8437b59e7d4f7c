#include "app/TerminalRun.h"

#include "fonts/ListQuestions.h"
#include "util/EscapedText.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
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

// The error of the first failed write to standard output and to standard error; 0 while every
// write went through.
int outputError = 0;
int errorOutputError = 0;

void noteFailure(FILE *stream, int error)
{
    int &kept = stream == stdout ? outputError : errorOutputError;
    if (kept == 0)
        kept = error != 0 ? error : EIO; // stdio may not say why
}

// Writes `bytes` to `stream` and flushes them, so that a failure shows here and not at exit,
// when no one would hear of it.
bool writeBytes(FILE *stream, QByteArrayView bytes)
{
    errno = 0;
    // An empty text has no data to hand to fwrite(), which must never get a null pointer.
    const bool written = (bytes.isEmpty() || std::fwrite(bytes.data(), 1, size_t(bytes.size()), stream) == size_t(bytes.size()))
                         && std::fflush(stream) == 0;
    if (!written)
        noteFailure(stream, errno);
    return written;
}

} // namespace

void occupyClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open() takes the lowest free number: this one, as those below it are open by now. It is
        // kept across exec, as a standard stream is.
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

bool writeTo(FILE *stream, const QString &text)
{
    return writeBytes(stream, text.toLocal8Bit());
}

void writeError(const QString &text)
{
    // Messages break their lines the Windows way; a terminal wants plain line feeds. A control
    // character that a name brought into the message is shown, never acted on.
    writeTo(stderr, QStringLiteral("glyphworks: ") + util::escapeMessageControls(text) + QLatin1Char('\n'));
}

bool outputFailed()
{
    return outputError != 0 || errorOutputError != 0;
}

int endOutput(int code, bool german)
{
    // What is still buffered goes now. A stream's error flag alone does not count: Qt's own
    // diagnostics (a warning about the environment) may have set it, and they are no output of
    // the run.
    for (FILE *stream : {stdout, stderr}) {
        errno = 0;
        if (std::fflush(stream) != 0)
            noteFailure(stream, errno);
    }
    if (!outputFailed())
        return code;
    // A standard error that failed is tried all the same: the message costs nothing, and a
    // stream that failed once (a pipe that was full) may take it.
    const auto tell = [german](int error, const char16_t *english, const char16_t *inGerman) {
        if (error != 0)
            writeError(QString::fromUtf16(german ? inGerman : english).arg(QString::fromLocal8Bit(std::strerror(error))));
    };
    tell(outputError, u"Standard output cannot be written: %1", u"Die Standardausgabe kann nicht geschrieben werden: %1");
    tell(errorOutputError, u"Standard error cannot be written: %1",
         u"Die Standardfehlerausgabe kann nicht geschrieben werden: %1");
    // A usage error keeps its own status.
    return code == 0 ? 1 : code;
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

bool printFontList(const fonts::FontListEntries &entries)
{
    QByteArray out;
    for (const fonts::FontListEntry &entry : entries)
        out += util::escapeControls(entry.text).toUtf8() + '\n';
    return writeBytes(stdout, out);
}

bool printFactsListing(const fonts::FontListEntries &entries, fonts::ListingFormat format, bool german)
{
    bool written = true;
    // The reason a file cannot be used is what reading its facts met, in the words of the list's
    // mark of unreadable files. Once a part fails, the rest is not tried: the listing is lost.
    fonts::writeFactsListing(
        entries, format, german, [&written](const QByteArray &part) { written = written && writeBytes(stdout, part); },
        fonts::duplicateOf(entries));
    return written;
}

} // namespace app
