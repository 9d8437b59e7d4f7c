#include "app/SheetCommand.h"

#include "fonts/SampleTexts.h"
#include "output/SheetLimits.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSet>

namespace app {
namespace {

// Qt's own options of a window start, with and without a value; they are Qt's to read.
const QSet<QString> &qtOptionsWithValue()
{
    static const QSet<QString> names{
        QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),   QStringLiteral("style"),              QStringLiteral("stylesheet"),
        QStringLiteral("session"),  QStringLiteral("display"),            QStringLiteral("name"),
        QStringLiteral("title"),    QStringLiteral("geometry"),           QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"), QStringLiteral("qwindowtitle")};
    return names;
}

const QSet<QString> &qtSwitches()
{
    static const QSet<QString> names{QStringLiteral("reverse"), QStringLiteral("nograb"), QStringLiteral("dograb"),
                                     QStringLiteral("sync"), QStringLiteral("widgetcount")};
    return names;
}

// `arguments` without Qt's own options and their values.
QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString name = argument;
        if (name.startsWith(QLatin1String("--")))
            name.remove(0, 2);
        else if (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        else {
            rest << argument;
            continue;
        }
        if (qtSwitches().contains(name))
            continue;
        if (qtOptionsWithValue().contains(name) && i + 1 < arguments.size()) {
            ++i;
            continue;
        }
        rest << argument;
    }
    return rest;
}

// A whole number from 0 up that the settings' conversion takes; none otherwise.
std::optional<int> wholeNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

Command usageError(const QString &error)
{
    Command command;
    command.kind = CommandKind::UsageError;
    command.error = error;
    return command;
}

// The parser's own reason in the interface language: it words its three reasons in English only.
QString parserError(const QString &reason, bool german)
{
    if (!german)
        return reason;
    static const std::pair<QLatin1String, QLatin1String> wordings[] = {
        {QLatin1String("Unknown option '"), QLatin1String("Unbekannte Option '")},
        {QLatin1String("Unknown options: "), QLatin1String("Unbekannte Optionen: ")},
        {QLatin1String("Missing value after '"), QLatin1String("Es fehlt ein Wert nach '")},
        {QLatin1String("Unexpected value after '"), QLatin1String("Unerwarteter Wert nach '")},
    };
    for (const auto &[english, german] : wordings)
        if (reason.startsWith(english))
            return german + reason.mid(english.size());
    return reason;
}

} // namespace

std::optional<output::SheetTarget> sheetFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (QFileInfo(path).fileName().startsWith(QLatin1Char('.')) && QFileInfo(path).completeBaseName().isEmpty())
        return std::nullopt;
    if (suffix == QLatin1String("pdf"))
        return output::SheetTarget::Pdf;
    if (suffix == QLatin1String("bmp"))
        return output::SheetTarget::Bmp;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return output::SheetTarget::Jpeg;
    if (suffix == QLatin1String("gif"))
        return output::SheetTarget::Gif;
    if (suffix == QLatin1String("docx"))
        return output::SheetTarget::Document;
    return std::nullopt;
}

namespace {

// Reads `rest`, the arguments without Qt's own; `german` chooses the language of usage errors.
Command parseArguments(const QStringList &rest, bool german)
{

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const auto valued = [&](const char *name, const char *valueName) {
        parser.addOption(QCommandLineOption(QLatin1String(name), QString(), QLatin1String(valueName)));
    };
    const auto flag = [&](const char *name) { parser.addOption(QCommandLineOption(QLatin1String(name))); };
    valued("sheet", "FILE");
    valued("folder", "DIR");
    valued("text", "TEXT");
    valued("size", "PT");
    valued("line-spacing", "N");
    valued("margins", "TOP,LEFT,BOTTOM");
    valued("separator", "TEXT");
    valued("labels", "LIST");
    valued("covering", "TEXT");
    flag("no-duplicates");
    valued("format", "FORMAT");
    for (const char *name : {"list-fonts", "no-system-fonts", "bold", "italic", "landscape", "labels-in-standard-font",
                             "no-labels-in-standard-font", "split", "help", "version", "german", "quiet", "own-script"})
        flag(name);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h")}));

    const auto tr = [german](const char *english, const char *inGerman) {
        return german ? QString::fromUtf8(inGerman) : QString::fromUtf8(english);
    };
    if (!parser.parse(QStringList{QStringLiteral("glyphworks")} + rest))
        return usageError(parserError(parser.errorText(), german));
    if (!parser.positionalArguments().isEmpty())
        return usageError(tr("Unexpected argument '%1'.", "Unerwartetes Argument '%1'.")
                              .arg(parser.positionalArguments().constFirst()));
    for (const QString &name : parser.optionNames())
        if (parser.optionNames().count(name) > 1)
            return usageError(tr("Option '--%1' is given more than once.", "Die Option '--%1' steht mehr als einmal da.")
                                  .arg(name));

    Command command;
    SheetOptions &o = command.options;
    o.german = german;
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("h"))) {
        command.kind = CommandKind::Help;
        return command;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        command.kind = CommandKind::Version;
        return command;
    }

    const bool sheet = parser.isSet(QStringLiteral("sheet"));
    const bool list = parser.isSet(QStringLiteral("list-fonts"));
    if (sheet && list)
        return usageError(tr("'--sheet' and '--list-fonts' cannot be given together.",
                             "'--sheet' und '--list-fonts' gehen nicht zusammen."));

    o.quiet = parser.isSet(QStringLiteral("quiet"));
    o.systemFonts = !parser.isSet(QStringLiteral("no-system-fonts"));
    if (parser.isSet(QStringLiteral("folder"))) {
        o.folder = parser.value(QStringLiteral("folder"));
        if (o.folder.isEmpty())
            return usageError(tr("'--folder' needs a folder, not an empty text.",
                                 "'--folder' braucht einen Ordner, keinen leeren Text."));
    }
    // The filters of the list serve the sheet and the listing alike.
    if (parser.isSet(QStringLiteral("covering"))) {
        o.covering = parser.value(QStringLiteral("covering"));
        if (o.covering->isEmpty())
            return usageError(tr("'--covering' needs a text, not an empty one.",
                                 "'--covering' braucht einen Text, keinen leeren."));
    }
    o.noDuplicates = parser.isSet(QStringLiteral("no-duplicates"));
    if (!sheet) {
        // Every other option describes the sheet.
        for (const QString &name : parser.optionNames()) {
            static const QSet<QString> general{QStringLiteral("list-fonts"), QStringLiteral("folder"),
                                               QStringLiteral("no-system-fonts"), QStringLiteral("german"),
                                               QStringLiteral("quiet"), QStringLiteral("covering"),
                                               QStringLiteral("no-duplicates"), QStringLiteral("format")};
            if (!general.contains(name))
                return usageError(tr("Option '--%1' needs '--sheet FILE'.", "Die Option '--%1' braucht '--sheet DATEI'.")
                                      .arg(name));
        }
        command.kind = list ? CommandKind::ListFonts : CommandKind::Window;
        if (!list)
            return usageError(tr("Options need '--sheet FILE' or '--list-fonts'.",
                                 "Optionen brauchen '--sheet DATEI' oder '--list-fonts'."));
        if (parser.isSet(QStringLiteral("format"))) {
            const QString format = parser.value(QStringLiteral("format"));
            if (format == QLatin1String("tsv"))
                o.listFormat = fonts::ListingFormat::Tsv;
            else if (format == QLatin1String("json"))
                o.listFormat = fonts::ListingFormat::Json;
            else
                return usageError(tr("Unknown format '%1' for '--format': use tsv or json.",
                                     "Unbekanntes Format '%1' für '--format': möglich sind tsv und json.")
                                      .arg(format));
        }
        return command;
    }

    command.kind = CommandKind::Sheet;
    o.file = parser.value(QStringLiteral("sheet"));
    const std::optional<output::SheetTarget> format = sheetFormatOf(o.file);
    if (!format)
        return usageError(tr("Cannot tell the format of '%1': the file must end in .pdf, .bmp, .jpg, .jpeg, .gif "
                             "or .docx.",
                             "Das Format von '%1' ist nicht zu erkennen: Die Datei muss auf .pdf, .bmp, .jpg, .jpeg, "
                             ".gif oder .docx enden.")
                              .arg(o.file));
    o.format = *format;

    const auto number = [](const QString &text, std::optional<int> &into) {
        into = wholeNumber(text);
        return into.has_value();
    };
    const auto badNumber = [&tr](const QString &option, const QString &text) {
        return usageError(tr("Bad number '%1' for '--%2': a whole number from 0 up is needed.",
                             "Falsche Zahl '%1' für '--%2': Eine ganze Zahl ab 0 ist nötig.")
                              .arg(text, option));
    };
    if (parser.isSet(QStringLiteral("format")))
        return usageError(tr("'--format' needs '--list-fonts'.", "'--format' braucht '--list-fonts'."));
    if (parser.isSet(QStringLiteral("size"))) {
        const QString text = parser.value(QStringLiteral("size"));
        if (!number(text, o.size))
            return badNumber(QStringLiteral("size"), text);
        // The rule every target keeps to, told before any font is loaded.
        output::SheetNumbers numbers;
        numbers.size = *o.size;
        if (const QString problem = output::sizeProblem(numbers, german); !problem.isEmpty())
            return usageError(problem);
    }
    if (parser.isSet(QStringLiteral("line-spacing"))) {
        const QString text = parser.value(QStringLiteral("line-spacing"));
        if (!number(text, o.lineSpacing))
            return badNumber(QStringLiteral("line-spacing"), text);
    }
    if (parser.isSet(QStringLiteral("margins"))) {
        const QString text = parser.value(QStringLiteral("margins"));
        const QStringList parts = text.split(QLatin1Char(','));
        if (parts.size() != 3)
            return usageError(tr("'--margins' needs three numbers, TOP,LEFT,BOTTOM, not '%1'.",
                                 "'--margins' braucht drei Zahlen, OBEN,LINKS,UNTEN, nicht '%1'.")
                                  .arg(text));
        std::optional<int> *into[] = {&o.top, &o.left, &o.bottom};
        for (int i = 0; i < 3; ++i)
            if (!number(parts.at(i).trimmed(), *into[i]))
                return badNumber(QStringLiteral("margins"), parts.at(i));
    }
    if (parser.isSet(QStringLiteral("text")))
        o.text = parser.value(QStringLiteral("text"));
    if (parser.isSet(QStringLiteral("separator"))) {
        o.separator = parser.value(QStringLiteral("separator"));
        // The settings dialog keeps the last separator when its field is emptied.
        if (o.separator->isEmpty())
            return usageError(tr("'--separator' needs a text, not an empty one.",
                                 "'--separator' braucht einen Text, keinen leeren."));
    }
    if (parser.isSet(QStringLiteral("labels"))) {
        SheetLabels labels;
        const QString text = parser.value(QStringLiteral("labels"));
        for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString label = part.trimmed();
            if (label == QLatin1String("number"))
                labels.number = true;
            else if (label == QLatin1String("name"))
                labels.name = true;
            else if (label == QLatin1String("folder"))
                labels.folder = true;
            else if (label == QLatin1String("file"))
                labels.file = true;
            else
                return usageError(tr("Unknown label '%1' for '--labels': use number, name, folder and file.",
                                     "Unbekannte Angabe '%1' für '--labels': möglich sind number, name, folder und "
                                     "file.")
                                      .arg(label));
        }
        o.labels = labels;
    }
    o.bold = parser.isSet(QStringLiteral("bold"));
    o.italic = parser.isSet(QStringLiteral("italic"));
    o.landscape = parser.isSet(QStringLiteral("landscape"));
    const bool standard = parser.isSet(QStringLiteral("labels-in-standard-font"));
    const bool own = parser.isSet(QStringLiteral("no-labels-in-standard-font"));
    if (standard && own)
        return usageError(tr("'--labels-in-standard-font' and '--no-labels-in-standard-font' exclude each other.",
                             "'--labels-in-standard-font' und '--no-labels-in-standard-font' schließen einander "
                             "aus."));
    if (standard || own)
        o.labelsInStandardFont = standard;
    o.split = parser.isSet(QStringLiteral("split"));
    o.ownScript = parser.isSet(QStringLiteral("own-script"));
    return command;
}

} // namespace

Command parseCommand(const QStringList &arguments)
{
    const QStringList rest = withoutQtOptions(arguments);
    if (rest.isEmpty())
        return {};
    // Usage errors are told in the language asked for, also when the rest of the line is wrong.
    const bool german = rest.contains(QLatin1String("--german")) || rest.contains(QLatin1String("-german"));
    Command command = parseArguments(rest, german);
    command.options.german = german;
    return command;
}

output::SheetRequest sheetRequest(const SheetOptions &options, bool german)
{
    output::SheetRequest request;
    request.target = options.format;
    request.file = QFileInfo(options.file).absoluteFilePath();
    output::SheetNumbers &numbers = request.numbers;
    numbers.size = options.size.value_or(numbers.size);
    numbers.spacing = options.lineSpacing.value_or(numbers.spacing);
    numbers.top = options.top.value_or(numbers.top);
    numbers.left = options.left.value_or(numbers.left);
    numbers.bottom = options.bottom.value_or(numbers.bottom);
    request.style.portrait = !options.landscape;
    request.style.italic = options.italic;
    request.style.bold = options.bold;
    request.style.german = german;
    if (options.labels) {
        request.labels.numbering = options.labels->number;
        request.labels.fontName = options.labels->name;
        request.labels.directory = options.labels->folder;
        request.labels.fileName = options.labels->file;
    }
    request.separator = options.separator.value_or(request.separator);
    request.sampleText = options.text.value_or(fonts::defaultSample(german));
    request.standardFontLabels = options.labelsInStandardFont.value_or(request.standardFontLabels);
    request.split = options.split;
    request.ownScript = options.ownScript;
    return request;
}

QString usageLine()
{
    return QStringLiteral("Usage: glyphworks [--sheet FILE [options] | --list-fonts [--folder DIR] "
                          "[--no-system-fonts] [--format tsv|json] | --help | --version]");
}

QString helpText(bool german)
{
    if (german)
        return usageLine() + QStringLiteral(R"(

Ohne Argumente öffnet Glyphwerk seine Fenster.

  --sheet DATEI           Erstellt ein Schriftmusterblatt ohne Fenster und endet. Das Format
                          folgt der Endung: .pdf, .bmp, .jpg/.jpeg, .gif, .docx (geschrieben,
                          nicht geöffnet). Braucht keinen Bildschirm.
  --list-fonts            Gibt die Schriftliste aus, ein Eintrag je Zeile, und endet.
  --format tsv|json       Mit --list-fonts: die Angaben jeder Schrift (Name, Pfad, Familie,
                          Stil, Version, Hersteller, Lizenz, Einbetten, Format, Glyphen,
                          Schriftsysteme, Achsen, Farbe, Duplikat von, Grund, warum nicht
                          lesbar), tsv: durch Tabulatoren getrennt mit einer Kopfzeile, ein
                          Eintrag je Zeile; json: ein JSON-Array.
  --folder ORDNER         Schriften aus diesem Ordner und seinen Unterordnern.
  --no-system-fonts       Ohne die installierten Systemschriften.
  --covering TEXT         Nur Schriften, die jedes Zeichen von TEXT darstellen können
                          (Leerzeichen zählen nicht; mit --sheet und --list-fonts).
  --no-duplicates         Von gleichen Schriftdateien (gleicher Inhalt, oder gleicher
                          PostScript-Name, gleiche Version und Glyphenzahl) nur die erste.
  --text TEXT             Die Schriftprobe (sonst das erste Beispiel des Fensters).
  --size PT               Schriftgröße in Punkt, 1 bis 1638 (sonst 8).
  --bold, --italic        Fett, kursiv.
  --landscape             Querformat.
  --line-spacing N        Zeilenabstand (sonst 5).
  --margins OBEN,LINKS,UNTEN
                          Ränder (sonst 250,200,550).
  --separator TEXT        Abstandshalter nach jeder Angabe (sonst "  --  ").
  --labels LISTE          Angaben vor der Probe, eine Auswahl aus number,name,folder,file
                          (sonst alle); leer: keine.
  --labels-in-standard-font, --no-labels-in-standard-font
                          Nummer und Name in der Standardschrift (so ist es voreingestellt)
                          oder in der Schrift der Zeile.
  --split                 Für Bilder, die für eine Datei zu groß sind: nummerierte Teilbilder.
  --own-script            Beispiel in der eigenen Schrift, wo Buchstaben fehlen: Eine Schrift,
                          der Zeichen der Probe fehlen, zeigt ein Beispiel der Schrift, die sie
                          am meisten abdeckt (ein Symbolfont seine ersten Zeichen).
  --german                Texte auf Deutsch (sonst wie im Fenster: Markierungsdatei de oder en
                          im aktuellen Ordner, sonst die Sprache des Desktops).
  --quiet                 Kein Fortschritt auf der Fehlerausgabe.
  --help, --version       Diese Hilfe, die Version.

Rückgabewert: 0 erstellt, 1 das Blatt konnte nicht erstellt oder die Ausgabe nicht
geschrieben werden, 2 falscher Aufruf.
)");
    return usageLine() + QStringLiteral(R"(

Without arguments, Glyphworks opens its windows.

  --sheet FILE            Makes one font sheet without showing any window and ends. The format
                          follows the extension: .pdf, .bmp, .jpg/.jpeg, .gif, .docx (written,
                          not opened). Needs no display.
  --list-fonts            Prints the font list, one entry a line, and ends.
  --format tsv|json       With --list-fonts: the facts of each font (name, path, family,
                          style, version, vendor, licence, embedding, format, glyphs, scripts,
                          axes, colour, duplicate of, why unreadable), tsv: tab-separated with
                          a header line, one entry a line; json: a JSON array.
  --folder DIR            Fonts of this folder and its sub-folders.
  --no-system-fonts       Without the installed system fonts.
  --covering TEXT         Only the fonts that can show every character of TEXT (spaces do
                          not count; with --sheet and --list-fonts).
  --no-duplicates         Of font files that are the same (same bytes, or the same
                          PostScript name, version and glyph count) only the first.
  --text TEXT             The sample text (default: the window's first example).
  --size PT               Font size in points, 1 to 1638 (default 8).
  --bold, --italic        Bold, italic.
  --landscape             Landscape orientation.
  --line-spacing N        Line spacing (default 5).
  --margins TOP,LEFT,BOTTOM
                          Margins (default 250,200,550).
  --separator TEXT        Follows each label (default "  --  ").
  --labels LIST           Labels before the sample, any of number,name,folder,file
                          (default all); empty: none.
  --labels-in-standard-font, --no-labels-in-standard-font
                          Number and name in the standard font (the default) or in the
                          line's own font.
  --split                 For images too large for one file: numbered part images.
  --own-script            Sample in the font's own script where it lacks the sample's letters:
                          a font lacking characters of the sample shows a sample of the script
                          it covers most (a symbol font its first characters).
  --german                Texts in German (otherwise as the window chooses: marker file de or
                          en in the current folder, else the desktop's language).
  --quiet                 No progress on standard error.
  --help, --version       This help, the version.

Exit status: 0 made, 1 the sheet could not be made or the output not written, 2 usage error.
)");
}

QString ProgressText::update(qint64 done, qint64 total, qint64 elapsedMs)
{
    if (total <= 0)
        return {};
    done = qBound<qint64>(0, done, total);
    if (done < m_lastDone) {
        // A new run over the same lines (the split run after the single image).
        m_lastTenth = -1;
    }
    const bool same = done == m_lastDone;
    m_lastDone = done;
    const int tenth = int(done * 10 / total);
    const QString lines = m_german ? QStringLiteral("Zeilen") : QStringLiteral("lines");
    if (!m_terminal) {
        if (tenth == m_lastTenth)
            return {};
        m_lastTenth = tenth;
        m_written = true;
        return QStringLiteral("%1 % (%2/%3 %4)\n").arg(tenth * 10).arg(done).arg(total).arg(lines);
    }
    if (same && m_written)
        return {};
    m_written = true;
    constexpr int kWidth = 30;
    const int filled = int(done * kWidth / total);
    QString left = QStringLiteral("--:--");
    if (done > 0) {
        const qint64 seconds = (elapsedMs * (total - done) / done + 999) / 1000;
        left = QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("\r[%1%2] %3/%4 %5, %6 %7")
        .arg(QString(filled, QLatin1Char('#')), QString(kWidth - filled, QLatin1Char('.')))
        .arg(done)
        .arg(total)
        .arg(lines, m_german ? QStringLiteral("noch") : QStringLiteral("left"), left);
}

QString ProgressText::finish() const
{
    return m_terminal && m_written ? QStringLiteral("\n") : QString();
}

} // namespace app
