#include "app/SheetRun.h"

#include "app/FontSources.h"
#include "app/Language.h"
#include "fonts/ListQuestions.h"
#include "output/ImageSheet.h"
#include "output/RunSheet.h"
#include "platform/Dialogs.h"
#include "util/EscapedText.h"

#include <QScopeGuard>

namespace app {
namespace {

// What the dialogs of a run without a person were asked, and how they were answered.
struct RunAnswers
{
    QString file;          ///< the answer of the save dialog
    bool split = false;    ///< the split question is answered with OK
    bool german = false;
    bool saveAsked = false;
    bool failed = false;
};

RunAnswers &answers()
{
    static RunAnswers a;
    return a;
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
    if (request.kind == dialogs::DialogKind::ErrorQuestion && request.text == output::splitQuestionText(run.german)) {
        if (run.split)
            return QVariant::fromValue(dialogs::Answer::Ok);
        writeError(request.text);
        writeError(run.german ? QStringLiteral("(--split gibt die Schriften auf mehreren Bildern aus.)")
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

// Makes the sheet `request` asks for of `entries`; returns the exit status.
int makeSheet(const output::SheetRequest &request, const fonts::FontListEntries &entries, bool quiet)
{
    const bool german = request.style.german;
    RunAnswers &run = answers();
    run.file = request.file;
    run.split = request.split;
    run.saveAsked = false;
    const output::RequestSettings settings(request);
    const output::EntrySheet sheet(entries, settings);
    bool interrupted = false;
    {
        // A failure the run throws goes to the application's error report, on standard error.
        TerminalRunWindows windows(request.file, entries.size(), german, !quiet);
        // An interrupt ends the run as the program's end does in the window: nothing is saved.
        const InterruptWatch watch([&windows] { windows.interrupt(); });
        output::runSheet(request, sheet, windows);
        interrupted = windows.interrupted();
        if (!run.failed && !interrupted)
            windows.complete();
    }
    if (interrupted) {
        writeError(german ? QStringLiteral("Abgebrochen.") : QStringLiteral("Interrupted."));
        return 1;
    }
    // A progress line or message that could not be written stopped the run: the end of the
    // output tells of it.
    if (run.failed || outputFailed())
        return 1;
    // Every target but the document asks for its file; one that did not has written nothing.
    if (request.target != output::SheetTarget::Document && !run.saveAsked) {
        writeError(german ? QStringLiteral("Das Blatt wurde nicht erstellt.") : QStringLiteral("The sheet was not made."));
        return 1;
    }
    return 0;
}

} // namespace

void beginWindowlessRun()
{
    dialogs::setNonInteractive(true);
    dialogs::setResponder(answer);
}

namespace {

// Carries out the run of `command` in German or English; returns the exit status.
int runIn(const Command &command, bool german)
{
    const SheetOptions &options = command.options;
    const bool folder = !options.folder.isEmpty();
    if (const QString problem = folder ? folderProblem(options.folder, german) : QString(); !problem.isEmpty()) {
        writeError(problem);
        return 1;
    }
    const fonts::LoadRequest sources{options.systemFonts, folder, options.folder};
    QStringList filePaths;
    // The fonts added for the run are let go of however it ends.
    const auto release = qScopeGuard([&filePaths] { releaseFontFiles(filePaths); });
    fonts::FontListEntries entries = loadFontList(sources, installedFonts(), filePaths, german);
    if (answers().failed)
        return 1;
    // Duplicates are judged over the whole list, so that the file kept of each group is the
    // first one listed, as Del after the window's mark keeps it.
    if (options.noDuplicates)
        entries = fonts::withoutDuplicates(entries);
    if (options.covering)
        entries = fonts::coveringEntries(entries, *options.covering);
    if (command.kind == CommandKind::ListFonts) {
        const bool printed =
            options.listFormat ? printFactsListing(entries, *options.listFormat, german) : printFontList(entries);
        return printed ? 0 : 1;
    }
    return makeSheet(sheetRequest(options, german), entries, options.quiet);
}

} // namespace

int runWithoutWindows(const Command &command)
{
    // --german overrides the language a start of the windows would choose.
    const QString language = command.options.german ? QStringLiteral("de") : startLanguageCode();
    const bool german = language == QLatin1String("de");
    setPlatformLanguage(language);
    answers().german = german;
    return endOutput(runIn(command, german), german);
}

} // namespace app
