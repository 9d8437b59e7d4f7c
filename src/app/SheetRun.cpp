#include "app/SheetRun.h"

#include "app/ProgramRunWindows.h"
#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "output/ImageSheet.h"
#include "output/Teinst.h"
#include "output/Tstatus.h"
#include "output/WordApplication.h"
#include "platform/Dialogs.h"
#include "util/Errors.h"
#include "util/EscapedText.h"
#include "util/FilePaths.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <exception>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {
namespace {

// What the dialogs of a run without a person were asked, and how they were answered.
struct RunAnswers
{
    QString file;          ///< the answer of the save dialog
    bool split = false;    ///< the split question is answered with OK
    bool saveAsked = false;
    bool failed = false;
};

RunAnswers &answers()
{
    static RunAnswers a;
    return a;
}

void writeError(const QString &text)
{
    // Messages break their lines the Windows way; a terminal wants plain line feeds. A control
    // character that a name brought into the message is shown, never acted on.
    writeTo(stderr, QStringLiteral("glyphworks: ") + util::escapeMessageControls(text) + QLatin1Char('\n'));
}

// The responder of a run without a person: the save dialog gets the run's file, the question of
// a split run the answer of --split; every other dialog is told on standard error, and all but
// an information leave the run failed.
QVariant answer(const dialogs::Shown &request)
{
    RunAnswers &run = answers();
    if (request.kind == dialogs::DialogKind::Save) {
        run.saveAsked = true;
        return run.file;
    }
    if (request.kind == dialogs::DialogKind::Information) {
        writeError(request.text);
        return QVariant::fromValue(dialogs::Answer::Ok);
    }
    if (request.kind == dialogs::DialogKind::ErrorQuestion && request.text == output::splitQuestionText(isGerman())) {
        if (run.split)
            return QVariant::fromValue(dialogs::Answer::Ok);
        writeError(request.text);
        writeError(isGerman() ? QStringLiteral("(--split gibt die Schriften auf mehreren Bildern aus.)")
                              : QStringLiteral("(--split writes the fonts on several images.)"));
        run.failed = true;
        return QVariant::fromValue(dialogs::Answer::Cancel);
    }
    writeError(request.text);
    run.failed = true;
    if (request.kind == dialogs::DialogKind::Error)
        return QVariant::fromValue(dialogs::Answer::Ok);
    if (request.kind == dialogs::DialogKind::Print)
        return QVariant::fromValue(dialogs::PrintChoice{});
    if (request.kind == dialogs::DialogKind::Font)
        return QVariant::fromValue(dialogs::FontChoice{});
    if (request.kind == dialogs::DialogKind::Folder)
        return QString();
    return QVariant::fromValue(dialogs::Answer::Cancel);
}

// Why `folder` cannot be searched for fonts, in the interface language; empty when it is a folder.
// What stands there instead is named: a file or a pipe given by mistake is not "missing".
QString folderProblem(const QString &path, bool german)
{
    const QString folder = util::escapeControls(path);
    struct stat st;
    // stat() follows a link to the folder it names, as the search does, and never opens anything.
    if (::stat(util::encodePath(path).constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return german ? QStringLiteral("Der Ordner \u201E%1\u201C ist nicht da.").arg(folder)
                          : QStringLiteral("The folder \"%1\" does not exist.").arg(folder);
        return (german ? QStringLiteral("Der Ordner \u201E%1\u201C ist nicht zu erreichen: %2")
                       : QStringLiteral("The folder \"%1\" cannot be reached: %2"))
            .arg(folder, QString::fromLocal8Bit(std::strerror(error)));
    }
    if (S_ISDIR(st.st_mode))
        return {};
    const char *what = nullptr;
    if (S_ISREG(st.st_mode))
        what = german ? "eine Datei" : "a file";
    else if (S_ISFIFO(st.st_mode))
        what = german ? "eine benannte Pipe (FIFO)" : "a named pipe (FIFO)";
    else if (S_ISSOCK(st.st_mode))
        what = german ? "ein Socket" : "a socket";
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        what = german ? "ein Gerät" : "a device";
    else
        what = german ? "etwas anderes" : "something else";
    return (german ? QStringLiteral("\u201E%1\u201C ist kein Ordner, sondern %2.")
                   : QStringLiteral("\"%1\" is not a folder: it is %2."))
        .arg(folder, QString::fromUtf8(what));
}

// Sets `box` and its menu twin as a click would leave them.
void setSwitch(QCheckBox *box, QAction *twin, bool on)
{
    box->setChecked(on);
    twin->setChecked(on);
}

// Follows the progress bar of the run on standard error, counting the sheet's `lines` (the bar
// never has fewer than one step, and a run that does not move it ends at its whole count).
class ProgressOutput
{
public:
    ProgressOutput(bool german, qint64 lines)
        : m_text(::isatty(::fileno(stderr)) != 0, german)
        , m_lines(lines)
    {
        m_clock.start();
        QObject::connect(status->stat, &QProgressBar::valueChanged, status->stat,
                         [this](int value) { write(m_text.update(value, m_lines, m_clock.elapsed())); });
    }
    ~ProgressOutput()
    {
        QObject::disconnect(status->stat, &QProgressBar::valueChanged, status->stat, nullptr);
        write(m_text.finish());
    }
    ProgressOutput(const ProgressOutput &) = delete;
    ProgressOutput &operator=(const ProgressOutput &) = delete;

    /// The run went through: all of its lines are done.
    void complete() { write(m_text.update(m_lines, m_lines, m_clock.elapsed())); }

private:
    static void write(const QString &text)
    {
        if (!text.isEmpty())
            writeTo(stderr, text);
    }

    ProgressText m_text;
    qint64 m_lines;
    QElapsedTimer m_clock;
};

// Applies the sheet's settings to the settings dialog's controls and confirms them with OK.
void applySettings(const SheetOptions &o)
{
    if (o.size)
        einst->Edit5->setEditText(QString::number(*o.size));
    if (o.lineSpacing)
        einst->Edit1->setText(QString::number(*o.lineSpacing));
    if (o.top)
        einst->Edit3->setText(QString::number(*o.top));
    if (o.left)
        einst->Edit2->setText(QString::number(*o.left));
    if (o.bottom)
        einst->Edit4->setText(QString::number(*o.bottom));
    if (o.separator)
        einst->ed6->setText(*o.separator);
    einst->cb3->setChecked(o.italic);
    einst->cb4->setChecked(o.bold);
    (o.landscape ? einst->or_quer : einst->or_hoch)->setChecked(true);
    if (o.labels) {
        einst->cb1->setChecked(o.labels->number);
        einst->cb2->setChecked(o.labels->name);
        einst->cb_verz->setChecked(o.labels->folder);
        einst->cb_filename->setChecked(o.labels->file);
    }
    if (o.labelsInStandardFont)
        einst->cb_stdname->setChecked(*o.labelsInStandardFont);
    einst->Button1Click();
}

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

void beginWindowlessRun()
{
    dialogs::setNonInteractive(true);
    dialogs::setResponder(answer);
    setRunWindowShown(false);
}

bool applyFontSources(const SheetOptions &options)
{
    // The greeting would show the main window after a while of the run.
    start->Timer1->stop();
    if (options.german && !isGerman())
        prog->mdeClick();
    if (!options.folder.isEmpty()) {
        if (const QString problem = folderProblem(options.folder, isGerman()); !problem.isEmpty()) {
            writeError(problem);
            return false;
        }
    }
    const bool folder = !options.folder.isEmpty();
    if (options.systemFonts == prog->cb_system->isChecked() && folder == prog->cb_folder->isChecked()
        && (!folder || options.folder == prog->ed_folder->text()))
        return true;
    setSwitch(prog->cb_system, prog->m_system, options.systemFonts);
    setSwitch(prog->cb_folder, prog->m_folder, folder);
    prog->ed_folder->setText(options.folder);
    prog->SchriftenNeuLadenClick();
    return !answers().failed;
}

int makeSheet(const SheetOptions &options)
{
    RunAnswers &run = answers();
    run.file = QFileInfo(options.file).absoluteFilePath();
    run.split = options.split;
    run.saveAsked = false;
    if (options.text)
        prog->cd1->setEditText(*options.text);
    applySettings(options);
    const QString prefix = targetPrefix(options.format);
    for (int i = 0; i < prog->cbdrucker->count(); ++i)
        if (prog->cbdrucker->itemText(i).startsWith(prefix))
            prog->cbdrucker->setCurrentIndex(i);
    if (options.format == SheetFormat::Docx)
        output::setDocumentDestination(run.file);

    bool interrupted = false;
    try {
        std::optional<ProgressOutput> progress;
        if (!options.quiet)
            progress.emplace(isGerman(), prog->ListBox1->count());
        // An interrupt ends the run as the program's end does in the window: nothing is saved.
        const InterruptWatch watch([] { status->abortForExit(); });
        prog->Button1Click();
        interrupted = status->exitRequested();
        if (!run.failed && !interrupted && progress)
            progress->complete();
    } catch (const util::Error &e) {
        writeError(e.message());
        run.failed = true;
    } catch (const std::exception &e) {
        writeError(QString::fromLocal8Bit(e.what()));
        run.failed = true;
    }
    output::setDocumentDestination(QString());
    if (interrupted) {
        writeError(isGerman() ? QStringLiteral("Abgebrochen.") : QStringLiteral("Interrupted."));
        return 1;
    }
    if (run.failed)
        return 1;
    // Every target but the document asks for its file; one that did not has written nothing.
    if (options.format != SheetFormat::Docx && !run.saveAsked) {
        writeError(isGerman() ? QStringLiteral("Das Blatt wurde nicht erstellt.")
                              : QStringLiteral("The sheet was not made."));
        return 1;
    }
    return 0;
}

} // namespace app
