#include "output/WordSheet.h"

#include "output/DocxWriter.h"
#include "output/ImageSave.h"
#include "output/LineSetter.h"
#include "output/SheetLimits.h"
#include "output/WordApplication.h"
#include "platform/Dialogs.h"
#include "typeface/FileFaces.h"
#include "util/EscapedText.h"
#include "util/FilePaths.h"

namespace output {
namespace {

// Whether the listed font file `path` is one the sheet's other targets draw in the standard font
// with the mark: the same question their line setter asks, so all targets mark the same lines.
bool unusableFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    return !platform::FileFaces::instance().face(path, platform::FaceStyle()).isValid();
}

} // namespace

QString wordConfirmationText(bool german)
{
    // The document opens in the word processor this system has, which is LibreOffice Writer.
    return german ? QStringLiteral("Ihre Einstellung erzeugt ein Word-Dokument (.docx) mit den\r\n"
                                   "ausgewählten Schriftarten. Es wird in LibreOffice Writer geöffnet,\r\n"
                                   "sodass Sie es dort abspeichern oder drucken können.\r\n"
                                   "\r\n"
                                   "Möchten Sie fortfahren?")
                  : QStringLiteral("You are creating a Word document (.docx) with the\r\n"
                                   "selected fonts. It will be opened in LibreOffice Writer,\r\n"
                                   "so that you can save or print it there.\r\n"
                                   "\r\n"
                                   "Do you want to continue?");
}

QString wordNotFoundText(bool german)
{
    return german ? QStringLiteral("Aktion abgebrochen. Es wurde kein Programm gefunden, das Word-Dokumente öffnet "
                                   "(LibreOffice Writer).")
                  : QStringLiteral("Export canceled. No program to open Word documents (LibreOffice Writer) was found.");
}

QString fontsNotCarriedText(bool german, const UncarriedFonts &fonts)
{
    // Ten lines a group keep the box on the screen when a folder of huge files was listed.
    constexpr qsizetype kListed = 10;
    const auto group = [german](const QString &intro, const QStringList &files) {
        QStringList lines{intro, QString()};
        for (qsizetype i = 0; i < files.size() && i < kListed; ++i)
            lines << util::escapeControls(util::readablePath(files.at(i)));
        if (files.size() > kListed)
            lines << (german ? QStringLiteral("und %1 weitere") : QStringLiteral("and %1 more")).arg(files.size() - kListed);
        return lines.join(QLatin1Char('\n'));
    };
    // Each limit is named with the figure it holds, so that the user knows whether fewer fonts
    // would travel (the document's total) or none of these ever will (each file's size).
    const qint64 fileMegabytes = platform::kMaxFontFileSize / (1024 * 1024);
    const qint64 documentMegabytes = kMaxCarriedFontBytes / (1024 * 1024);
    QStringList groups;
    if (!fonts.tooLarge.isEmpty())
        groups << group(german ? QStringLiteral("Diese Schriftarten sind im Dokument genannt, aber nicht eingebettet, weil "
                                                "ihre Dateien zu groß sind (jede größer als %1 MB):")
                                     .arg(fileMegabytes)
                               : QStringLiteral("These fonts are named in the document but not embedded, because their "
                                                "files are too large (each larger than %1 MB):")
                                     .arg(fileMegabytes),
                        fonts.tooLarge);
    if (!fonts.documentFull.isEmpty())
        groups << group(german ? QStringLiteral("Diese Schriftarten sind im Dokument genannt, aber nicht eingebettet, weil "
                                                "ein Dokument höchstens %1 MB an Schriftdateien aufnimmt und die Schriften "
                                                "davor diese Grenze erreicht haben:")
                                     .arg(documentMegabytes)
                               : QStringLiteral("These fonts are named in the document but not embedded, because a "
                                                "document carries at most %1 MB of font files in all and the fonts "
                                                "before them reached that limit:")
                                     .arg(documentMegabytes),
                        fonts.documentFull);
    return groups.join(QStringLiteral("\n\n"));
}

QString documentFolderText(bool german, const DocumentFolderError &error)
{
    const QString folder = util::escapeControls(util::readablePath(error.folder()));
    switch (error.reason()) {
    case DocumentFolderError::NoCacheFolder:
        return german ? QStringLiteral("Das Dokument kann nicht erstellt werden: Es ist kein Ordner dafür bekannt, "
                                       "weil weder XDG_CACHE_HOME noch HOME als absoluter Pfad gesetzt ist.")
                      : QStringLiteral("The document cannot be made: no folder for it is known, because neither "
                                       "XDG_CACHE_HOME nor HOME is set to an absolute path.");
    case DocumentFolderError::NotOwnFolder:
        return german ? QStringLiteral("Das Dokument kann nicht in \u201E%1\u201C erstellt werden: Der Ordner ist eine "
                                       "Verknüpfung, kein Ordner oder gehört einem anderen Benutzer.")
                            .arg(folder)
                      : QStringLiteral("The document cannot be made in \"%1\": the folder is a link, no folder, or "
                                       "another user's.")
                            .arg(folder);
    case DocumentFolderError::Failed:
        break;
    }
    return (german ? QStringLiteral("Das Dokument kann nicht in \u201E%1\u201C erstellt werden.")
                   : QStringLiteral("The document cannot be made in \"%1\"."))
               .arg(folder)
        + QLatin1Char('\n') + error.message();
}

void wordSheet(const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet, RunWindows &windows)
{
    // A size the document cannot take would stop the word processor after the document was
    // begun; it is told before anything is started, in the user's language.
    if (const QString problem = sizeProblem(numbers, style.german); !problem.isEmpty()) {
        dialogs::message(dialogs::MessageKind::Error, problem);
        return;
    }
    // The confirmation tells of the word processor; a document written to a given file opens in none.
    const QString destination = documentDestination();
    if (destination.isEmpty()
        && dialogs::message(dialogs::MessageKind::Confirmation, wordConfirmationText(style.german))
               != dialogs::Answer::Ok)
        return;

    std::unique_ptr<WordProcessor> word;
    try {
        word = startWordApplication();
    } catch (...) {
        dialogs::message(dialogs::MessageKind::Error, wordNotFoundText(style.german));
        return;
    }

    // From here on a failure ends the run through the application's error report; the
    // reference is released on the way out either way.
    {
        RunScope run(windows, sheet.count());
        word->documentsAdd();
        word->setOrientation(style.portrait ? PageOrientation::Portrait : PageOrientation::Landscape);
        word->setFontSize(numbers.size);
        word->setFontBold(style.bold);
        word->setFontItalic(style.italic);
        for (qsizetype i = 0; i < sheet.count() && !windows.abortRequested(); ++i) {
            const SheetLine line = sheet.line(i);
            // The label part and the sample part follow each other directly: the word processor
            // sets them as one text, with no space between as on paper.
            const auto entryFont = [&] {
                word->setFontName(line.fontName);
                if (!line.fontFile.isEmpty())
                    word->setFontFile(line.fontFile);
            };
            if (line.formB) {
                word->setFontName(QString::fromLatin1(kStandardFontName));
                word->typeText(line.label);
                entryFont();
                word->typeText(line.rest);
            } else {
                entryFont();
                word->typeText(line.label + line.rest);
            }
            // A file the sheet cannot draw is marked as on paper and images; the mark is set in
            // the standard font, which shows it whatever the entry's font is.
            if (unusableFile(line.fontFile)) {
                word->setFontName(QString::fromLatin1(kStandardFontName));
                word->typeText(unusableFileMark(style.german));
            }
            word->typeParagraph();
            windows.lineDone(i);
        }
        // An aborted run shows no document and writes no file: the typed one is dropped.
        if (windows.abortRequested())
            return;
        try {
            word->setVisible(true);
        } catch (const DocumentFolderError &e) {
            throw util::Error(documentFolderText(style.german, e));
        } catch (const util::Error &e) {
            if (destination.isEmpty())
                throw;
            throw notSaved(SavedDocument::Word, destination, e, style.german);
        }
    }
    word.reset();

    const UncarriedFonts uncarried = takeUncarriedFontFiles();
    if (!uncarried.isEmpty())
        dialogs::message(dialogs::MessageKind::Information, fontsNotCarriedText(style.german, uncarried));
}

} // namespace output
