// Font sheets and the font list on large collections of DISTINCT font files: Latin subsets of
// Debian's DejaVu, Liberation and Noto fonts, each renamed to a family of its own
// (make_distinct_fonts.py; kept in the build tree and made only when missing), so that no two
// lines of a sheet share a face. Each case runs in a fresh process with the system fonts off and
// the collection's folder loaded into the list:
//   PDF   direct printing to Qt's PDF engine (default settings, 8 points, but lines without the
//         file's path and name, so that each line's sample text fits the page): time, peak
//         memory, the file's size, its embedded fonts (pdffonts) and the lines pdftotext finds;
//   PDFDOC the output box's "PDF-Document" on the same lines and at the same size: the entry
//         chosen, the save dialog answered through the dialog layer, Export; the same figures;
//   BMP   the image run at 24 points, split into part images of 100 lines after the failed
//         attempt at one image;
//   LIST  sample mode switched on, then the list paged through to its end, a page at a time.
// Alongside, on the same lines: a FreeType-only loop that renders each line's glyphs from its
// file into a growing 8-bit buffer (the floor of an image sheet), and pango-view setting each
// line in its own family to PDF through fontconfig (the peer of the PDF sheets). When the
// program's --help lists --sheet, `glyphworks --sheet FILE.pdf --folder DIR --no-system-fonts`
// is timed as a whole process on the same folder.
// Usage: bench_largesheet [LINES...]          every case on collections of LINES files (default
//                                             2000 20000); the first and last are compared
//        bench_largesheet --pdf-document [LINES...]
//                                             only PDFDOC, the command-line sheet and pango-view
//        bench_largesheet --case TARGET LINES IN OUT
//                                             one run of one case in this process, its figures
//                                             printed as key=value. TARGET: PDF, PDFDOC, BMP, LIST (IN is
//                                             the folder, OUT a folder for the output), LINES (IN
//                                             the folder; writes the sheet's lines to the file
//                                             OUT) or FLOOR (IN a file of lines, OUT the width of
//                                             the buffer in pixels)

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "fonts/FontListView.h"
#include "output/LineSetter.h"
#include "output/Teinst.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "support/TestSupport.h"

#include <QMetaEnum>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <vector>

namespace {

using Figures = QHash<QString, double>;

// The collections made, whatever sizes are run: 500 files as a quick one for trying things out.
constexpr int kCollections[] = {500, 2000, 20000};

// Runs per case; the fastest counts, as the machine is shared. A run longer than kLongRunMs is
// not repeated: its noise is small against its length.
constexpr int kRuns = 3;
constexpr double kLongRunMs = 60000;

// pango-view is ended after this long.
constexpr int kPeerTimeoutSeconds = 400;

// The image run's size. At the default 8 points (and at 14) the lines of 2,000 entries fit one
// image, so the small sheet would be a single image and only the large one a split run. At 24
// points the failed attempt at one image reaches the height limit (65,500 pixels) before line
// 2,000, so both sheets are split alike, into parts of 100 lines, after an attempt of the same
// length.
constexpr int kSplitSize = 24;

// The PDF sheet's size: the default of the settings window.
constexpr int kPdfSize = 8;

double megabytes(long long kb)
{
    return double(kb) / 1000;
}

// Prints the figures of one case as key=value pairs on one line.
void printFigures(const Figures &figures)
{
    QStringList out;
    for (auto it = figures.cbegin(); it != figures.cend(); ++it)
        out << it.key() + QLatin1Char('=') + QString::number(it.value(), 'f', 3);
    std::printf("%s\n", qPrintable(out.join(QLatin1Char(' '))));
}

Figures parseFigures(const QString &text)
{
    Figures figures;
    for (const QString &pair : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals > 0)
            figures.insert(pair.left(equals), pair.mid(equals + 1).toDouble());
    }
    return figures;
}

// ---- The cases, each run in a child process ----

// The folder's files into the list, as the user loads them: system fonts off, folder on. Sheet
// lines leave out the file's path and name (number, font name and sample text stay), so that the
// whole sample text of every line fits the PDF's page.
bool loadFolder(int lines, const QString &folder, Figures &figures)
{
    einst->cb_verz->setChecked(false);
    einst->cb_filename->setChecked(false);
    prog->cb_system->setChecked(false);
    prog->ed_folder->setText(folder);
    prog->cb_folder->setChecked(true);
    const auto loadStart = bench::Clock::now();
    prog->SchriftenNeuLadenClick();
    QCoreApplication::processEvents();
    figures[QStringLiteral("load")] = bench::microsecondsSince(loadStart) / 1000;
    if (prog->ListBox1->count() != lines) {
        std::fprintf(stderr, "the list has %d entries, not %d\n", prog->ListBox1->count(), lines);
        return false;
    }
    return true;
}

// The part images a split run wrote for the chosen name `base` + ".bmp": base0.bmp, base1.bmp, …
struct Parts
{
    int count = 0;
    QSize largest;
};

// Reads the sizes of the parts from their headers, without loading their pixels.
Parts partsWritten(const QString &base)
{
    Parts parts;
    for (;; ++parts.count) {
        const QSize size = QImageReader(base + QString::number(parts.count) + QStringLiteral(".bmp")).size();
        if (!size.isValid())
            break;
        if (qint64(size.width()) * size.height() > qint64(parts.largest.width()) * parts.largest.height())
            parts.largest = size;
    }
    return parts;
}

// The targets of a sheet case.
enum class SheetTarget {
    Print,       // direct printing to Qt's PDF engine
    PdfDocument, // the output box's "PDF-Document"
    Image,       // the BMP image run, split into parts
};

// One sheet of the folder's lines to `target`, its output in `outDir`.
int sheetCase(SheetTarget target, int lines, const QString &folder, const QString &outDir)
{
    const bool split = target == SheetTarget::Image;
    Figures figures;
    if (!loadFolder(lines, folder, figures))
        return 1;

    const QString pdf = outDir + QStringLiteral("/sheet.pdf");
    dialogs::clearShown();
    if (target == SheetTarget::PdfDocument) {
        // The entry as the user picks it, in whichever language the window is in; the save
        // dialog is answered with the file's name.
        einst->Edit5->setEditText(QString::number(kPdfSize));
        const int entry = prog->cbdrucker->findText(QStringLiteral("PDF-"), Qt::MatchStartsWith);
        if (entry < 0) {
            std::fprintf(stderr, "the output box has no PDF entry\n");
            return 1;
        }
        prog->cbdrucker->setCurrentIndex(entry);
        dialogs::setNextAnswer(pdf);
    } else if (split) {
        einst->Edit5->setEditText(QString::number(kSplitSize));
        // The split offer is answered Ok, then the save dialog of the split run with the name
        // the part images are numbered from.
        dialogs::setNextAnswer(QVariant::fromValue(dialogs::Answer::Ok));
        dialogs::setNextAnswer(outDir + QStringLiteral("/sheet.bmp"));
        prog->cbdrucker->addItem(QStringLiteral("BMP-Image"));
        prog->cbdrucker->setCurrentIndex(prog->cbdrucker->count() - 1);
    } else {
        einst->Edit5->setEditText(QString::number(kPdfSize));
        platform::Printer::instance().setPdfOutput(pdf);
        prog->cbdrucker->setCurrentIndex(0);
    }

    // The split run begins after the failed attempt at one image has let go of its memory and
    // both dialogs are answered; the run lets events through after every line, so a timer sees
    // the first line of the split run. There the peak so far is read and reset, to measure the
    // split run on its own.
    double splitStartMs = -1;
    long long splitBaseKb = -1;
    long long attemptPeakKb = -1;
    bench::Clock::time_point start;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (dialogs::shown().size() < 2)
            return;
        watch.stop();
        splitStartMs = bench::microsecondsSince(start) / 1000;
        attemptPeakKb = bench::statusKb("VmHWM:");
        splitBaseKb = bench::statusKb("VmRSS:");
        bench::resetPeakMemory();
    });
    if (split)
        watch.start();

    bench::resetPeakMemory();
    const long long beforeKb = bench::statusKb("VmRSS:");
    start = bench::Clock::now();
    prog->Button1Click();
    figures[QStringLiteral("run")] = bench::microsecondsSince(start) / 1000;
    const long long peakKb = bench::statusKb("VmHWM:");

    if (!split) {
        if (target == SheetTarget::PdfDocument && !QFileInfo(pdf).isFile()) {
            std::fprintf(stderr, "no PDF document written; the dialogs shown:\n");
            for (const dialogs::Shown &shown : dialogs::shown())
                std::fprintf(stderr, "  %s: %s -> %s\n", QMetaEnum::fromType<dialogs::DialogKind>().valueToKey(int(shown.kind)), qPrintable(shown.text),
                             qPrintable(shown.answer.toString()));
            return 1;
        }
        figures[QStringLiteral("peak")] = megabytes(peakKb);
        figures[QStringLiteral("extra")] = megabytes(peakKb - beforeKb);
        figures[QStringLiteral("bytes")] = double(QFileInfo(pdf).size());
    } else {
        const Parts parts = partsWritten(outDir + QStringLiteral("/sheet"));
        if (parts.count == 0 || splitStartMs < 0) {
            // What the run showed instead tells why: an image that fitted, or a failure.
            std::fprintf(stderr, "no split run; the dialogs shown:\n");
            for (const dialogs::Shown &shown : dialogs::shown())
                std::fprintf(stderr, "  %s: %s -> %s\n", QMetaEnum::fromType<dialogs::DialogKind>().valueToKey(int(shown.kind)), qPrintable(shown.text),
                             qPrintable(shown.answer.toString()));
            return 1;
        }
        figures[QStringLiteral("peak")] = megabytes(std::max(attemptPeakKb, peakKb));
        figures[QStringLiteral("extra")] = megabytes(std::max(attemptPeakKb, peakKb) - beforeKb);
        figures[QStringLiteral("attemptextra")] = megabytes(attemptPeakKb - beforeKb);
        figures[QStringLiteral("splitstart")] = splitStartMs;
        figures[QStringLiteral("splitextra")] = megabytes(peakKb - splitBaseKb);
        figures[QStringLiteral("parts")] = parts.count;
        figures[QStringLiteral("partw")] = parts.largest.width();
        figures[QStringLiteral("parth")] = parts.largest.height();
    }
    printFigures(figures);
    app::destroyWindows();
    return 0;
}

// Sample mode switched on in the shown list of the folder's files, then the list paged through
// to its end.
int listCase(int lines, const QString &folder)
{
    start->show();
    start->FormClick();
    if (!QTest::qWaitForWindowExposed(prog))
        return 1;
    QCoreApplication::processEvents();
    Figures figures;
    if (!loadFolder(lines, folder, figures))
        return 1;
    QListWidget *list = prog->ListBox1;
    QCoreApplication::processEvents();

    gwtest::PaintCounter counter;
    list->viewport()->installEventFilter(&counter);
    const long long loadPeakKb = bench::statusKb("VmHWM:");
    const long long plainKb = bench::statusKb("VmRSS:");
    bench::resetPeakMemory();

    const auto timed = [&counter](const std::function<void()> &action, int *paints) {
        counter.paints = 0;
        const auto begin = bench::Clock::now();
        action();
        QCoreApplication::processEvents();
        *paints = counter.paints;
        return bench::microsecondsSince(begin) / 1000;
    };
    int paints = 0;
    figures[QStringLiteral("switch")] = timed([] { prog->cb_schriftprobeliste->click(); }, &paints);
    figures[QStringLiteral("switchpaints")] = paints;
    if (!prog->cb_schriftprobeliste->isChecked()) {
        std::fprintf(stderr, "sample mode did not come on\n");
        return 1;
    }

    QScrollBar *bar = list->verticalScrollBar();
    std::vector<double> pages;
    int unpainted = 0;
    while (bar->value() < bar->maximum()) {
        pages.push_back(timed([bar] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); }, &paints));
        unpainted += paints == 0;
    }
    if (pages.empty()) {
        std::fprintf(stderr, "the list has nothing to page through\n");
        return 1;
    }
    int rowsShown = 0;
    for (int row = 0; row < list->count(); ++row) {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        rowsShown += rect.bottom() >= 0 && rect.top() < list->viewport()->height();
    }
    const auto mean = [](auto first, auto last) {
        return last > first ? std::accumulate(first, last, 0.0) / double(last - first) : 0.0;
    };
    const qsizetype tenth = std::max<qsizetype>(1, qsizetype(pages.size()) / 10);
    figures[QStringLiteral("pages")] = double(pages.size());
    figures[QStringLiteral("rows")] = rowsShown;
    figures[QStringLiteral("pagemean")] = mean(pages.cbegin(), pages.cend());
    figures[QStringLiteral("pageworst")] = *std::max_element(pages.cbegin(), pages.cend());
    figures[QStringLiteral("pagefirst")] = mean(pages.cbegin(), pages.cbegin() + tenth);
    figures[QStringLiteral("pagelast")] = mean(pages.cend() - tenth, pages.cend());
    figures[QStringLiteral("unpainted")] = unpainted;
    const long long peakKb = bench::statusKb("VmHWM:");
    figures[QStringLiteral("peak")] = megabytes(std::max(loadPeakKb, peakKb));
    figures[QStringLiteral("sampleextra")] = megabytes(peakKb - plainKb);
    printFigures(figures);
    app::destroyWindows();
    return 0;
}

// Writes the sheet's lines as the list gives them: a head line with the resolution the image
// sheet draws at, whether lines are of form B (the label part in the standard font) and the
// standard font's file, then per line the entry's font file, the label part and the rest,
// tab-separated.
int linesCase(int lines, const QString &folder, const QString &outFile)
{
    Figures figures;
    if (!loadFolder(lines, folder, figures))
        return 1;
    // The image sheet's resolution: the screen's, as a whole number of dots per metre.
    const QScreen *screen = QGuiApplication::primaryScreen();
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround((screen ? screen->logicalDotsPerInchY() : 96.0) / 0.0254));
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    QFile out(outFile);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    // The file fontconfig gives for the standard font, as the sheet's font lookup does.
    QProcess match;
    match.start(QStringLiteral("fc-match"),
                {QStringLiteral("-f"), QStringLiteral("%{file}"), QString::fromLatin1(output::kStandardFontName)});
    match.waitForFinished(-1);
    const QByteArray standard = match.readAllStandardOutput().trimmed();
    out.write("# dpi " + QByteArray::number(device.logicalDpiY()) + " formB "
              + QByteArray::number(einst->cb_stdname->isChecked()) + " standard " + standard + '\n');
    for (int i = 0; i < lines; ++i) {
        out.write((prog->ListBox1->entry(i).path + QLatin1Char('\t') + prog->GetText1(i) + QLatin1Char('\t')
                   + prog->GetText2(i))
                      .toUtf8()
                  + '\n');
    }
    figures[QStringLiteral("dpi")] = device.logicalDpiY();
    printFigures(figures);
    app::destroyWindows();
    return 0;
}

// The lines of a sheet as linesCase() wrote them.
struct SheetLines
{
    int dpi = 0;
    bool formB = false;
    QString standardFile; ///< the standard font's file, for the label parts of form B
    QStringList files;
    QStringList labels;
    QStringList rests;

    /// The whole text of line `i` as the sheet draws it.
    QString text(qsizetype i) const
    {
        return formB ? labels.at(i) + QLatin1Char(' ') + rests.at(i) : labels.at(i) + rests.at(i);
    }
    qsizetype size() const { return files.size(); }
};

SheetLines readLines(const QString &path)
{
    SheetLines lines;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return lines;
    const QList<QByteArray> rows = in.readAll().split('\n');
    for (const QByteArray &row : rows) {
        if (row.startsWith("# dpi ")) {
            const QList<QByteArray> fields = row.split(' ');
            lines.dpi = fields.value(2).toInt();
            lines.formB = fields.value(4) == "1";
            lines.standardFile = QString::fromUtf8(row.mid(row.indexOf(" standard ") + 10));
            continue;
        }
        const QList<QByteArray> fields = row.split('\t');
        if (fields.size() != 3)
            continue;
        lines.files << QString::fromUtf8(fields[0]);
        lines.labels << QString::fromUtf8(fields[1]);
        lines.rests << QString::fromUtf8(fields[2]);
    }
    return lines;
}

// FreeType's face of a font file, with the file's bytes it reads from.
struct FloorFace
{
    QByteArray bytes;
    FT_Face face = nullptr;

    FloorFace() = default;
    FloorFace(const FloorFace &) = delete;
    FloorFace &operator=(const FloorFace &) = delete;
    ~FloorFace()
    {
        if (face)
            FT_Done_Face(face);
    }

    // Reads the file at `path` and opens its face at `points` and `dpi`.
    bool open(FT_Library library, const QString &path, int points, int dpi)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        bytes = file.readAll();
        if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte *>(bytes.constData()), FT_Long(bytes.size()), 0,
                               &face)
            != 0) {
            face = nullptr;
            return false;
        }
        return FT_Set_Char_Size(face, 0, points * 64, FT_UInt(dpi), FT_UInt(dpi)) == 0;
    }
};

// An 8-bit buffer `width` pixels wide that grows by a line's height per line.
struct FloorCanvas
{
    int width = 0;
    std::vector<unsigned char> pixels;
    qint64 top = 0; // the top of the line being set
    int lineHeight = 0;
    long long glyphs = 0;

    void beginLine(int height)
    {
        lineHeight = height;
        pixels.resize(size_t(top + height) * size_t(width));
    }

    // Renders `text` with `face` from `pen` on the line's baseline `ascent` below its top;
    // returns the pen's position after it.
    int set(FT_Face face, const QString &text, int pen, int ascent)
    {
        for (const char32_t c : text.toUcs4()) {
            if (FT_Load_Glyph(face, FT_Get_Char_Index(face, FT_ULong(c)), FT_LOAD_DEFAULT) != 0
                || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
                continue;
            ++glyphs;
            const FT_Bitmap &bitmap = face->glyph->bitmap;
            const int left = pen + face->glyph->bitmap_left;
            const qint64 firstRow = top + ascent - face->glyph->bitmap_top;
            for (unsigned int r = 0; r < bitmap.rows; ++r) {
                const qint64 y = firstRow + r;
                if (y < top || y >= top + lineHeight)
                    continue;
                const unsigned char *source = bitmap.buffer + qint64(r) * bitmap.pitch;
                unsigned char *target = pixels.data() + y * width;
                for (unsigned int x = 0; x < bitmap.width; ++x) {
                    const int column = left + int(x);
                    if (column >= 0 && column < width)
                        target[column] = std::max(target[column], source[x]);
                }
            }
            pen += int(face->glyph->advance.x >> 6);
        }
        return pen;
    }
};

// The floor of an image sheet: every line's glyphs rendered by FreeType alone from the line's
// own file at the image sheet's size and resolution (in form B the label part from the standard
// font's file, opened once), into one 8-bit buffer `width` pixels wide that grows line by line.
int floorCase(const QString &linesFile, int width)
{
    const SheetLines lines = readLines(linesFile);
    if (lines.files.isEmpty() || lines.dpi <= 0) {
        std::fprintf(stderr, "no lines in %s\n", qPrintable(linesFile));
        return 1;
    }
    const long long beforeKb = bench::statusKb("VmRSS:");
    bench::resetPeakMemory();
    const auto start = bench::Clock::now();
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return 1;
    FloorCanvas canvas;
    canvas.width = width;
    int failed = 0;
    {
        FloorFace standard;
        if (lines.formB && !standard.open(library, lines.standardFile, kSplitSize, lines.dpi)) {
            std::fprintf(stderr, "cannot open the standard font %s\n", qPrintable(lines.standardFile));
            return 1;
        }
        const auto heightOf = [](FT_Face face) { return int((face->size->metrics.height + 63) >> 6); };
        const auto ascentOf = [](FT_Face face) { return int((face->size->metrics.ascender + 63) >> 6); };
        for (qsizetype i = 0; i < lines.size(); ++i) {
            FloorFace entry;
            if (!entry.open(library, lines.files.at(i), kSplitSize, lines.dpi)) {
                ++failed;
                continue;
            }
            int height = heightOf(entry.face);
            int ascent = ascentOf(entry.face);
            if (lines.formB) {
                height = std::max(height, heightOf(standard.face));
                ascent = std::max(ascent, ascentOf(standard.face));
            }
            canvas.beginLine(height);
            int pen = 20;
            if (lines.formB)
                pen = canvas.set(standard.face, lines.labels.at(i) + QLatin1Char(' '), pen, ascent);
            canvas.set(entry.face, lines.formB ? lines.rests.at(i) : lines.text(i), pen, ascent);
            canvas.top += height;
        }
    }
    FT_Done_FreeType(library);
    const qint64 top = canvas.top;
    const long long glyphs = canvas.glyphs;
    Figures figures;
    figures[QStringLiteral("run")] = bench::microsecondsSince(start) / 1000;
    figures[QStringLiteral("glyphs")] = double(glyphs);
    figures[QStringLiteral("failed")] = failed;
    figures[QStringLiteral("height")] = double(top);
    figures[QStringLiteral("extra")] = megabytes(bench::statusKb("VmHWM:") - beforeKb);
    printFigures(figures);
    return 0;
}

int runCase(int argc, char **argv)
{
    const QString target = QString::fromLatin1(argv[2]);
    const int lines = std::atoi(argv[3]);
    const QString in = QString::fromLocal8Bit(argv[4]);
    const QString out = QString::fromLocal8Bit(argv[5]);
    if (target == QLatin1String("FLOOR"))
        return floorCase(in, out.toInt());

    app::Application application(argc, argv);
    dialogs::setNonInteractive(true);
    app::createWindows();
    if (target == QLatin1String("PDF"))
        return sheetCase(SheetTarget::Print, lines, in, out);
    if (target == QLatin1String("PDFDOC"))
        return sheetCase(SheetTarget::PdfDocument, lines, in, out);
    if (target == QLatin1String("BMP"))
        return sheetCase(SheetTarget::Image, lines, in, out);
    if (target == QLatin1String("LIST"))
        return listCase(lines, in);
    if (target == QLatin1String("LINES"))
        return linesCase(lines, in, out);
    std::fprintf(stderr, "unknown case %s\n", qPrintable(target));
    return 2;
}

// ---- The parent: collections, runs, peers, the report ----

// Runs one case as a child process until it ends; its figures, empty (and its last messages on
// stderr) when it failed.
Figures runChild(const QString &program, const QStringList &arguments)
{
    QProcess child;
    child.start(program, arguments);
    child.waitForFinished(-1);
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || out.isEmpty()) {
        const QStringList errors = QString::fromLocal8Bit(child.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
        std::fprintf(stderr, "case %s failed:\n%s\n", qPrintable(arguments.join(QLatin1Char(' '))),
                     qPrintable(errors.mid(std::max<qsizetype>(0, errors.size() - 8)).join(QLatin1Char('\n'))));
        return {};
    }
    return parseFigures(out.split(QLatin1Char('\n')).last());
}

// Runs a case up to kRuns times and returns the figures of the run with the least `fastest`;
// empty when a run failed. `run` makes one run from its number.
Figures bestOf(const std::function<Figures(int)> &run, const QString &fastest)
{
    Figures best;
    for (int i = 0; i < kRuns; ++i) {
        const Figures figures = run(i);
        if (figures.isEmpty())
            return {};
        if (best.isEmpty() || figures.value(fastest) < best.value(fastest))
            best = figures;
        if (figures.value(fastest) > kLongRunMs)
            break;
    }
    return best;
}

// The standard output of a program run to its end, empty when it failed.
QString outputOf(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What pdffonts says of a PDF: every font, and the distinct fonts made from the collection.
struct PdfFonts
{
    int fonts = -1;
    int benchFonts = 0;
};

PdfFonts pdfFonts(const QString &pdf)
{
    PdfFonts result;
    const QString out = outputOf(QStringLiteral("pdffonts"), {pdf});
    if (out.isEmpty())
        return result;
    QStringList rows = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Two lines of column heads.
    result.fonts = int(std::max<qsizetype>(0, rows.size() - 2));
    QSet<QString> bench;
    for (qsizetype i = 2; i < rows.size(); ++i) {
        const QString name = rows.at(i).section(QLatin1Char(' '), 0, 0);
        if (name.contains(QLatin1String("Bench"), Qt::CaseInsensitive))
            bench.insert(name.section(QLatin1Char('+'), -1));
    }
    result.benchFonts = int(bench.size());
    return result;
}

// How many of the sheet's lines pdftotext finds, whole and in their order, in the text of `pdf`; white
// space counts as one space, as the tool joins and breaks lines by its own judgement.
int linesFound(const QString &pdf, const SheetLines &lines, QString *firstMissing)
{
    const QString out = outputOf(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
                                                               QStringLiteral("-")})
                            .simplified();
    int found = 0;
    qsizetype from = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = lines.text(i);
        const QString wanted = text.simplified();
        qsizetype at = out.indexOf(wanted, from);
        if (at < 0)
            at = out.indexOf(wanted);
        if (at >= 0) {
            ++found;
            from = at + wanted.size();
        } else if (firstMissing->isEmpty()) {
            *firstMissing = text;
        }
    }
    return found;
}

// The peer: pango-view setting each line in its own family, the fonts found by fontconfig
// through a configuration of its own that adds the collection's folder and keeps its cache in
// `workDir`, away from the user's.
struct Peer
{
    double cacheMs = -1; // fc-cache on the collection's folder
    double runMs = -1;   // the fastest pango-view run
    double peakMb = -1;
    PdfFonts fonts;
    bool timedOut = false;
};

Peer runPeer(const QString &workDir, const QString &folder, const QList<bench::DistinctFont> &collection,
             const SheetLines &lines, int size)
{
    Peer peer;
    const QString conf = workDir + QStringLiteral("/fonts-%1.conf").arg(lines.size());
    {
        QFile file(conf);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return peer;
        // The private cache directory comes first: fontconfig writes to the first it can.
        file.write(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                                  "<fontconfig>\n  <cachedir>%1</cachedir>\n"
                                  "  <include ignore_missing=\"no\">/etc/fonts/fonts.conf</include>\n"
                                  "  <dir>%2</dir>\n</fontconfig>\n")
                       .arg(QString(workDir + QStringLiteral("/fc-cache")).toHtmlEscaped(), folder.toHtmlEscaped())
                       .toUtf8());
    }
    QHash<QString, QString> familyOf;
    for (const bench::DistinctFont &font : collection)
        familyOf.insert(QFileInfo(font.path).canonicalFilePath(), font.family);
    const QString markup = workDir + QStringLiteral("/lines-%1.markup").arg(lines.size());
    {
        QFile file(markup);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return peer;
        // Form B's label part in the standard font, as on the sheet.
        const QString standard = QString::fromLatin1(output::kStandardFontName);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString family = familyOf.value(QFileInfo(lines.files.at(i)).canonicalFilePath());
            if (family.isEmpty()) {
                std::fprintf(stderr, "%s is not in the collection\n", qPrintable(lines.files.at(i)));
                return peer;
            }
            QString line;
            if (lines.formB)
                line = QStringLiteral("<span font_family=\"%1\">%2 </span>")
                           .arg(standard, lines.labels.at(i).toHtmlEscaped());
            line += QStringLiteral("<span font_family=\"%1\">%2</span>\n")
                        .arg(family.toHtmlEscaped(),
                             (lines.formB ? lines.rests.at(i) : lines.labels.at(i) + lines.rests.at(i)).toHtmlEscaped());
            file.write(line.toUtf8());
        }
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FONTCONFIG_FILE"), conf);

    QProcess cache;
    cache.setProcessEnvironment(environment);
    const auto cacheStart = bench::Clock::now();
    cache.start(QStringLiteral("fc-cache"), {folder});
    cache.waitForFinished(-1);
    peer.cacheMs = bench::microsecondsSince(cacheStart) / 1000;

    const QString pdf = workDir + QStringLiteral("/pango-%1.pdf").arg(lines.size());
    const QString timeFile = workDir + QStringLiteral("/pango-time");
    for (int run = 0; run < kRuns; ++run) {
        QProcess pango;
        pango.setProcessEnvironment(environment);
        pango.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const auto start = bench::Clock::now();
        // time(1) for the peak memory; timeout(1) ends pango-view itself, not only what runs it.
        pango.start(QStringLiteral("/usr/bin/time"),
                    {QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), timeFile,
                     QStringLiteral("timeout"), QString::number(kPeerTimeoutSeconds), QStringLiteral("pango-view"),
                     QStringLiteral("--no-display"), QStringLiteral("--output=") + pdf, QStringLiteral("--markup"),
                     QStringLiteral("--font=Sans %1").arg(size), markup});
        pango.waitForFinished(-1);
        const double ms = bench::microsecondsSince(start) / 1000;
        if (pango.exitStatus() != QProcess::NormalExit || pango.exitCode() != 0) {
            peer.timedOut = pango.exitCode() == 124;
            std::fprintf(stderr, "pango-view %s (exit %d)\n", peer.timedOut ? "timed out" : "failed", pango.exitCode());
            if (peer.timedOut)
                peer.runMs = ms;
            return peer;
        }
        QFile times(timeFile);
        if (times.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> rows = times.readAll().trimmed().split('\n');
            peer.peakMb = std::max(peer.peakMb, megabytes(rows.last().trimmed().toLongLong()));
        }
        if (peer.runMs < 0 || ms < peer.runMs)
            peer.runMs = ms;
        if (ms > kLongRunMs)
            break;
    }
    peer.fonts = pdfFonts(pdf);
    QFile::remove(pdf);
    return peer;
}

// A sheet case that writes a PDF (PDF or PDFDOC), the fastest of its runs; the first run's file is
// checked with poppler's tools: its fonts, and how many of the sheet's `lines` its text holds.
Figures pdfSheetRuns(const QString &program, const QString &target, const QString &folder, const QString &workDir,
                     const SheetLines &lines, PdfFonts *fonts, int *textFound)
{
    const QString size = QString::number(lines.size());
    return bestOf(
        [&](int run) {
            const QString out = workDir + QStringLiteral("/%1-%2-%3").arg(target.toLower(), size).arg(run);
            QDir().mkpath(out);
            const Figures figures = runChild(program, {QStringLiteral("--case"), target, size, folder, out});
            const QString pdf = out + QStringLiteral("/sheet.pdf");
            if (run == 0 && !figures.isEmpty()) {
                *fonts = pdfFonts(pdf);
                QString missing;
                *textFound = linesFound(pdf, lines, &missing);
                if (!missing.isEmpty())
                    std::printf("  pdftotext does not find e.g. \"%s\" in the %s sheet\n", qPrintable(missing),
                                qPrintable(target));
            }
            QDir(out).removeRecursively();
            return figures;
        },
        QStringLiteral("run"));
}

// The program itself, built beside the benches.
QString programFile()
{
    return QStringLiteral(GW_PROGRAM_FILE);
}

// Whether the program's --help lists the command-line sheet (--sheet FILE.pdf). A program
// without a help text may open its window instead: it is ended after a while.
bool programHasSheetOption()
{
    QProcess help;
    help.setProcessChannelMode(QProcess::MergedChannels);
    help.start(programFile(), {QStringLiteral("--help")});
    if (!help.waitForFinished(30000)) {
        help.kill();
        help.waitForFinished(-1);
        return false;
    }
    return help.readAll().contains("--sheet");
}

// glyphworks --sheet FILE.pdf --folder DIR --no-system-fonts as a child process: its wall time
// (start-up, loading the folder and writing the sheet), peak memory and the file's size; the
// first run's file is checked with pdffonts. Ended after kPeerTimeoutSeconds like the peer.
Figures commandRuns(const QString &folder, const QString &workDir, int size, PdfFonts *fonts)
{
    const QString pdf = workDir + QStringLiteral("/command-%1.pdf").arg(size);
    const QString timeFile = workDir + QStringLiteral("/command-time");
    return bestOf(
        [&](int run) {
            QFile::remove(pdf);
            QProcess command;
            const auto start = bench::Clock::now();
            command.start(QStringLiteral("/usr/bin/time"),
                          {QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), timeFile,
                           QStringLiteral("timeout"), QString::number(kPeerTimeoutSeconds), programFile(),
                           QStringLiteral("--sheet"), pdf, QStringLiteral("--folder"), folder,
                           QStringLiteral("--no-system-fonts")});
            command.waitForFinished(-1);
            Figures figures;
            const double ms = bench::microsecondsSince(start) / 1000;
            if (command.exitStatus() != QProcess::NormalExit || command.exitCode() != 0 || !QFileInfo(pdf).isFile()) {
                // Its progress goes to stderr as well: only the last lines are shown.
                const QStringList errors =
                    QString::fromLocal8Bit(command.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
                std::fprintf(stderr, "glyphworks --sheet %s (exit %d) after %.1f s:\n%s\n",
                             command.exitCode() == 124 ? "timed out" : "failed", command.exitCode(), ms / 1000,
                             qPrintable(errors.mid(std::max<qsizetype>(0, errors.size() - 8)).join(QLatin1Char('\n'))));
                return figures;
            }
            figures[QStringLiteral("run")] = ms;
            figures[QStringLiteral("bytes")] = double(QFileInfo(pdf).size());
            QFile times(timeFile);
            if (times.open(QIODevice::ReadOnly))
                figures[QStringLiteral("peak")] =
                    megabytes(times.readAll().trimmed().split('\n').last().trimmed().toLongLong());
            if (run == 0)
                *fonts = pdfFonts(pdf);
            QFile::remove(pdf);
            return figures;
        },
        QStringLiteral("run"));
}

// All figures of one size.
struct SizeResult
{
    int lines = 0;
    Figures pdf;
    PdfFonts pdfFonts;
    int pdfTextFound = 0;
    Figures pdfDocument;
    PdfFonts pdfDocumentFonts;
    int pdfDocumentTextFound = 0;
    Figures command; // glyphworks --sheet, empty when the program has no such option
    PdfFonts commandFonts;
    Figures bmp;
    Figures floor;
    Figures list;
    Peer peer;
};

QString ratioText(double a, double b)
{
    return b > 0 && a >= 0 ? QString::number(a / b, 'f', 2) + QLatin1Char('x') : QStringLiteral("-");
}

// The time of a BMP run's split run per line: the run less the failed attempt at one image.
double splitPerLine(const SizeResult &r)
{
    return (r.bmp.value(QStringLiteral("run")) - r.bmp.value(QStringLiteral("splitstart"))) / r.lines;
}

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// pango-view's time of a size in seconds, or the bound when it was ended for taking too long.
QString peerSeconds(const Peer &peer)
{
    if (peer.runMs < 0)
        return QStringLiteral("failed");
    return (peer.timedOut ? QStringLiteral(">") : QString()) + QString::number(peer.runMs / 1000, 'f', 2);
}

// `ms` against pango-view's time of the same lines; a bound when pango-view was ended.
QString againstPeer(double ms, const Peer &peer)
{
    if (peer.runMs <= 0 || ms <= 0)
        return QStringLiteral("-");
    return (peer.timedOut ? QStringLiteral("<") : QString()) + QString::number(ms / peer.runMs, 'f', 2);
}

// The figures of the PDF target and of the command-line sheet, against pango-view.
void reportPdfDocument(const QList<SizeResult> &results, bool commandThere)
{
    std::printf("\nPDF-Document: the window's output box, save dialog answered, Export; %d pt, lines without the "
                "file's path and name\n",
                kPdfSize);
    for (const SizeResult &r : results) {
        const Figures &doc = r.pdfDocument;
        std::printf("\n%d distinct fonts\n", r.lines);
        std::printf("  PDF-Document: load %.0f ms, run %.1f ms = %.3f ms/line; peak %.1f MB (+%.1f MB); %.1f MB file; "
                    "%d fonts embedded, %d of them distinct collection fonts; pdftotext finds %d of %d lines\n",
                    doc.value(QStringLiteral("load")), doc.value(QStringLiteral("run")),
                    doc.value(QStringLiteral("run")) / r.lines, doc.value(QStringLiteral("peak")),
                    doc.value(QStringLiteral("extra")), doc.value(QStringLiteral("bytes")) / 1e6,
                    r.pdfDocumentFonts.fonts, r.pdfDocumentFonts.benchFonts, r.pdfDocumentTextFound, r.lines);
        if (!r.command.isEmpty())
            std::printf("  glyphworks --sheet (wall time of the process): %.1f ms = %.3f ms/line; peak %.1f MB; "
                        "%.1f MB file; %d fonts embedded, %d distinct collection fonts\n",
                        r.command.value(QStringLiteral("run")), r.command.value(QStringLiteral("run")) / r.lines,
                        r.command.value(QStringLiteral("peak")), r.command.value(QStringLiteral("bytes")) / 1e6,
                        r.commandFonts.fonts, r.commandFonts.benchFonts);
        else
            std::printf("  glyphworks --sheet: %s\n", commandThere ? "failed" : "not in the program (--help)");
        std::printf("  pango-view (%d pt, its own fontconfig setup): fc-cache %.1f ms; run %s s%s = %s ms/line, peak "
                    "%.1f MB; %d fonts in its PDF, %d distinct collection fonts\n",
                    kPdfSize, r.peer.cacheMs, qPrintable(peerSeconds(r.peer)),
                    r.peer.timedOut ? " (ended: too long)" : "",
                    r.peer.runMs > 0 ? qPrintable((r.peer.timedOut ? QStringLiteral(">") : QString())
                                                  + QString::number(r.peer.runMs / r.lines, 'f', 3))
                                     : "-",
                    r.peer.peakMb, r.peer.fonts.fonts, r.peer.fonts.benchFonts);
    }
    const SizeResult &small = results.first();
    const SizeResult &large = results.last();
    std::printf("\n%-44s %12s %12s %10s  %s\n", "PDF-Document", QByteArray::number(small.lines).constData(),
                QByteArray::number(large.lines).constData(), "ratio", "goal");
    const auto perLine = [](const SizeResult &r, const Figures &f) { return f.value(QStringLiteral("run")) / r.lines; };
    const auto row = [&](const char *name, double a, double b, bool judged) {
        std::printf("%-44s %12.3f %12.3f %10s  %s\n", name, a, b, qPrintable(ratioText(b, a)),
                    judged && results.size() > 1 && a > 0 ? (b / a <= 1.3 ? "<= 1.3x met" : "<= 1.3x MISSED") : "");
    };
    row("PDF-Document ms per line", perLine(small, small.pdfDocument), perLine(large, large.pdfDocument), true);
    if (!small.command.isEmpty() && !large.command.isEmpty())
        row("glyphworks --sheet ms per line", perLine(small, small.command), perLine(large, large.command), true);
    std::printf("%-44s %12s %12s\n", "pango-view total (s)", qPrintable(peerSeconds(small.peer)),
                qPrintable(peerSeconds(large.peer)));
    const auto ratioMet = [](double ms, const Peer &peer) {
        // Ended early, pango-view took longer than its bound: a ratio within the goal is met all the same.
        return peer.runMs > 0 && ms > 0 && ms / peer.runMs <= 0.5;
    };
    std::printf("%-44s %12s %12s  <= 0.5x %s\n", "PDF-Document / pango-view (x)",
                qPrintable(againstPeer(small.pdfDocument.value(QStringLiteral("run")), small.peer)),
                qPrintable(againstPeer(large.pdfDocument.value(QStringLiteral("run")), large.peer)),
                verdict(ratioMet(small.pdfDocument.value(QStringLiteral("run")), small.peer)
                        && ratioMet(large.pdfDocument.value(QStringLiteral("run")), large.peer)));
    if (!small.command.isEmpty() && !large.command.isEmpty())
        std::printf("%-44s %12s %12s  <= 0.5x %s\n", "glyphworks --sheet / pango-view (x)",
                    qPrintable(againstPeer(small.command.value(QStringLiteral("run")), small.peer)),
                    qPrintable(againstPeer(large.command.value(QStringLiteral("run")), large.peer)),
                    verdict(ratioMet(small.command.value(QStringLiteral("run")), small.peer)
                            && ratioMet(large.command.value(QStringLiteral("run")), large.peer)));
    std::printf("%-44s %12.1f %12.1f\n", "PDF-Document peak memory (MB)",
                small.pdfDocument.value(QStringLiteral("peak")), large.pdfDocument.value(QStringLiteral("peak")));
    if (!small.command.isEmpty() && !large.command.isEmpty())
        std::printf("%-44s %12.1f %12.1f\n", "glyphworks --sheet peak memory (MB)",
                    small.command.value(QStringLiteral("peak")), large.command.value(QStringLiteral("peak")));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 6 && qstrcmp(argv[1], "--case") == 0)
        return runCase(argc, argv);

    QCoreApplication application(argc, argv);
    const QString program = QCoreApplication::applicationFilePath();
    QList<int> sizes;
    bool pdfDocumentOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--pdf-document") == 0)
            pdfDocumentOnly = true;
        else if (std::atoi(argv[i]) > 0)
            sizes << std::atoi(argv[i]);
    }
    if (sizes.isEmpty())
        sizes = {2000, 20000};
    std::sort(sizes.begin(), sizes.end());

    // The collections, made once and kept.
    const QString base = bench::distinctFontsBase();
    QList<int> counts(std::begin(kCollections), std::end(kCollections));
    for (int size : sizes)
        if (!counts.contains(size))
            counts << size;
    const auto makeStart = bench::Clock::now();
    if (!bench::makeDistinctFonts(base, counts))
        return 1;
    const double makeMs = bench::microsecondsSince(makeStart) / 1000;
    std::printf("collections of distinct fonts in %s ready after %.1f s (made only where missing)\n\n",
                qPrintable(base), makeMs / 1000);

    const bool commandThere = programHasSheetOption();
    std::printf("%s --help %s --sheet\n\n", qPrintable(programFile()), commandThere ? "lists" : "does not list");

    QTemporaryDir work;
    QList<SizeResult> results;
    for (int size : sizes) {
        SizeResult result;
        result.lines = size;
        const QString folder = bench::distinctFontsFolder(base, size);
        const QList<bench::DistinctFont> collection = bench::distinctFonts(base, size);
        if (collection.isEmpty())
            return 1;
        const QString linesFile = work.filePath(QStringLiteral("lines-%1.tsv").arg(size));
        const QString sizeText = QString::number(size);
        if (runChild(program, {QStringLiteral("--case"), QStringLiteral("LINES"), sizeText, folder, linesFile})
                .isEmpty())
            return 1;
        const SheetLines lines = readLines(linesFile);
        if (lines.size() != size) {
            std::fprintf(stderr, "%lld lines written, not %d\n", static_cast<long long>(lines.size()), size);
            return 1;
        }
        std::printf("%d lines, e.g. \"%s\"%s; images at %d dpi\n", size, qPrintable(lines.text(0)),
                    lines.formB ? " (the label part in the standard font)" : "", lines.dpi);
        std::fflush(stdout);

        result.pdfDocument = pdfSheetRuns(program, QStringLiteral("PDFDOC"), folder, work.path(), lines,
                                          &result.pdfDocumentFonts, &result.pdfDocumentTextFound);
        if (result.pdfDocument.isEmpty())
            return 1;
        std::printf("  PDF-Document %9.1f ms\n", result.pdfDocument.value(QStringLiteral("run")));
        std::fflush(stdout);

        if (commandThere) {
            result.command = commandRuns(folder, work.path(), size, &result.commandFonts);
            std::printf("  glyphworks --sheet %9.1f ms\n", result.command.value(QStringLiteral("run"), -1));
            std::fflush(stdout);
        }

        if (pdfDocumentOnly) {
            result.peer = runPeer(work.path(), folder, collection, lines, kPdfSize);
            std::printf("  pango-view %9.1f ms\n\n", result.peer.runMs);
            std::fflush(stdout);
            results << result;
            continue;
        }

        result.pdf = pdfSheetRuns(program, QStringLiteral("PDF"), folder, work.path(), lines, &result.pdfFonts,
                                  &result.pdfTextFound);
        if (result.pdf.isEmpty())
            return 1;
        std::printf("  PDF   %9.1f ms\n", result.pdf.value(QStringLiteral("run")));
        std::fflush(stdout);

        result.bmp = bestOf(
            [&](int run) {
                const QString out = work.filePath(QStringLiteral("bmp-%1-%2").arg(size).arg(run));
                QDir().mkpath(out);
                const Figures figures = runChild(program, {QStringLiteral("--case"), QStringLiteral("BMP"), sizeText, folder, out});
                QDir(out).removeRecursively();
                return figures;
            },
            QStringLiteral("run"));
        if (result.bmp.isEmpty())
            return 1;
        std::printf("  BMP   %9.1f ms\n", result.bmp.value(QStringLiteral("run")));
        std::fflush(stdout);

        const QString width = QString::number(int(result.bmp.value(QStringLiteral("partw"))));
        result.floor = bestOf(
            [&](int) {
                return runChild(program, {QStringLiteral("--case"), QStringLiteral("FLOOR"), sizeText, linesFile, width});
            },
            QStringLiteral("run"));
        if (result.floor.isEmpty())
            return 1;
        std::printf("  floor %9.1f ms\n", result.floor.value(QStringLiteral("run")));
        std::fflush(stdout);

        result.list = bestOf(
            [&](int) {
                return runChild(program, {QStringLiteral("--case"), QStringLiteral("LIST"), sizeText, folder,
                                          work.path()});
            },
            QStringLiteral("pagemean"));
        if (result.list.isEmpty())
            return 1;
        std::printf("  list  %9.1f ms per page\n", result.list.value(QStringLiteral("pagemean")));
        std::fflush(stdout);

        result.peer = runPeer(work.path(), folder, collection, lines, kPdfSize);
        std::printf("  pango-view %9.1f ms\n\n", result.peer.runMs);
        std::fflush(stdout);
        results << result;
    }

    // ---- The report ----
    std::printf("\nevery case in a fresh process with the system fonts off, the fastest of up to %d runs (one "
                "when a run takes over %.0f s)\n",
                kRuns, kLongRunMs / 1000);
    reportPdfDocument(results, commandThere);
    if (pdfDocumentOnly) {
        std::printf("\ncollections ready after %.1f s (made only where missing)\n", makeMs / 1000);
        return 0;
    }
    for (const SizeResult &r : results) {
        const Figures &pdf = r.pdf;
        const Figures &bmp = r.bmp;
        const Figures &list = r.list;
        const double splitMs = bmp.value(QStringLiteral("run")) - bmp.value(QStringLiteral("splitstart"));
        std::printf("\n%d distinct fonts\n", r.lines);
        std::printf("  PDF (%d pt): load %.0f ms, run %.1f ms = %.3f ms/line; peak %.1f MB (+%.1f MB); %.1f MB file; "
                    "%d fonts embedded, %d of them distinct collection fonts; pdftotext finds %d of %d lines\n",
                    kPdfSize, pdf.value(QStringLiteral("load")), pdf.value(QStringLiteral("run")),
                    pdf.value(QStringLiteral("run")) / r.lines, pdf.value(QStringLiteral("peak")),
                    pdf.value(QStringLiteral("extra")), pdf.value(QStringLiteral("bytes")) / 1e6, r.pdfFonts.fonts,
                    r.pdfFonts.benchFonts, r.pdfTextFound, r.lines);
        std::printf("  BMP (%d pt): run %.1f ms = %.3f ms/line, of which the split run %.1f ms = %.3f ms/line "
                    "(%.0f parts of up to %.0f x %.0f); peak %.1f MB (+%.1f MB; failed attempt +%.1f MB, split run "
                    "+%.1f MB)\n",
                    kSplitSize, bmp.value(QStringLiteral("run")), bmp.value(QStringLiteral("run")) / r.lines, splitMs,
                    splitMs / r.lines, bmp.value(QStringLiteral("parts")), bmp.value(QStringLiteral("partw")),
                    bmp.value(QStringLiteral("parth")), bmp.value(QStringLiteral("peak")),
                    bmp.value(QStringLiteral("extra")), bmp.value(QStringLiteral("attemptextra")),
                    bmp.value(QStringLiteral("splitextra")));
        std::printf("  FreeType floor: %.1f ms = %.3f ms/line, %.0f glyphs, %.0f files failed, buffer %.0f x %.0f, "
                    "+%.1f MB\n",
                    r.floor.value(QStringLiteral("run")), r.floor.value(QStringLiteral("run")) / r.lines,
                    r.floor.value(QStringLiteral("glyphs")), r.floor.value(QStringLiteral("failed")),
                    bmp.value(QStringLiteral("partw")), r.floor.value(QStringLiteral("height")),
                    r.floor.value(QStringLiteral("extra")));
        std::printf("  list: load %.0f ms; sample mode on %.1f ms (%.0f paints); %.0f pages of %.0f rows: %.2f ms "
                    "mean, %.1f ms worst, first tenth %.2f ms, last tenth %.2f ms, %.0f pages unpainted; peak %.1f MB "
                    "(sample mode +%.1f MB)\n",
                    list.value(QStringLiteral("load")), list.value(QStringLiteral("switch")),
                    list.value(QStringLiteral("switchpaints")), list.value(QStringLiteral("pages")),
                    list.value(QStringLiteral("rows")), list.value(QStringLiteral("pagemean")),
                    list.value(QStringLiteral("pageworst")), list.value(QStringLiteral("pagefirst")),
                    list.value(QStringLiteral("pagelast")), list.value(QStringLiteral("unpainted")),
                    list.value(QStringLiteral("peak")), list.value(QStringLiteral("sampleextra")));
        std::printf("  pango-view (%d pt, its own fontconfig setup): fc-cache %.1f ms; run %.1f ms%s, peak %.1f MB; "
                    "%d fonts in its PDF, %d distinct collection fonts\n",
                    kPdfSize, r.peer.cacheMs, r.peer.runMs, r.peer.timedOut ? " (ended: too long)" : "",
                    r.peer.peakMb, r.peer.fonts.fonts, r.peer.fonts.benchFonts);
    }

    const SizeResult &small = results.first();
    const SizeResult &large = results.last();
    const auto perLine = [](const SizeResult &r, const Figures &f, const char *key) {
        return f.value(QString::fromLatin1(key)) / r.lines;
    };
    std::printf("\n%-44s %12s %12s %10s  %s\n", "figure", QByteArray::number(small.lines).constData(),
                QByteArray::number(large.lines).constData(), "ratio", "goal");
    const auto row = [](const char *name, double a, double b, double goal, const char *goalText) {
        const double ratio = a > 0 ? b / a : 0;
        std::printf("%-44s %12.3f %12.3f %10s  %s %s\n", name, a, b, qPrintable(ratioText(b, a)), goalText,
                    goal > 0 ? verdict(ratio <= goal) : "");
    };
    if (results.size() > 1) {
        row("PDF ms per line", perLine(small, small.pdf, "run"), perLine(large, large.pdf, "run"), 1.3, "<= 1.3x");
        row("BMP ms per line (whole run)", perLine(small, small.bmp, "run"), perLine(large, large.bmp, "run"), 1.3,
            "<= 1.3x");
        row("BMP ms per line (split run)", splitPerLine(small), splitPerLine(large), 1.3, "<= 1.3x");
        row("list ms per page (sample mode)", small.list.value(QStringLiteral("pagemean")),
            large.list.value(QStringLiteral("pagemean")), 1.3, "<= 1.3x");
        row("FreeType floor ms per line", perLine(small, small.floor, "run"), perLine(large, large.floor, "run"), 0,
            "");
    }
    std::printf("\n%-44s %12s %12s  %s\n", "comparison", QByteArray::number(small.lines).constData(),
                QByteArray::number(large.lines).constData(), "goal");
    const auto compare = [&](const char *name, const std::function<double(const SizeResult &)> &value, double goal,
                             const char *goalText, bool below) {
        const double a = value(small);
        const double b = value(large);
        std::printf("%-44s %12.2f %12.2f  %s %s\n", name, a, b, goalText,
                    goal > 0 ? verdict(below ? b < goal : b <= goal) : "");
    };
    compare("BMP split run / FreeType floor (x)",
            [](const SizeResult &r) { return splitPerLine(r) * r.lines / r.floor.value(QStringLiteral("run")); }, 1.5,
            "<= 1.5x", false);
    compare("BMP whole run / FreeType floor (x)",
            [](const SizeResult &r) { return r.bmp.value(QStringLiteral("run")) / r.floor.value(QStringLiteral("run")); },
            0, "", false);
    compare("PDF total (s)", [](const SizeResult &r) { return r.pdf.value(QStringLiteral("run")) / 1000; }, 90,
            "< 90 s", true);
    // pango-view ended for taking too long gives a bound, not a time.
    const auto peerTotal = [](const SizeResult &r) {
        if (r.peer.runMs < 0)
            return QStringLiteral("failed");
        return (r.peer.timedOut ? QStringLiteral(">") : QString()) + QString::number(r.peer.runMs / 1000, 'f', 2);
    };
    const auto peerRatio = [](const SizeResult &r) {
        return r.peer.runMs > 0 ? r.pdf.value(QStringLiteral("run")) / r.peer.runMs : -1.0;
    };
    const auto peerRatioText = [&](const SizeResult &r) {
        if (peerRatio(r) < 0)
            return QStringLiteral("-");
        return (r.peer.timedOut ? QStringLiteral("<") : QString()) + QString::number(peerRatio(r), 'f', 2);
    };
    const auto peerFonts = [](const SizeResult &r) {
        return r.peer.fonts.fonts < 0 ? QStringLiteral("-") : QString::number(r.peer.fonts.benchFonts);
    };
    std::printf("%-44s %12s %12s\n", "pango-view total (s)", qPrintable(peerTotal(small)), qPrintable(peerTotal(large)));
    std::printf("%-44s %12s %12s  <= 0.5x %s\n", "PDF / pango-view (x)", qPrintable(peerRatioText(small)),
                qPrintable(peerRatioText(large)), peerRatio(large) < 0 ? "" : verdict(peerRatio(large) <= 0.5));
    std::printf("%-44s %12s %12s\n", "pango-view distinct fonts in its PDF", qPrintable(peerFonts(small)),
                qPrintable(peerFonts(large)));
    compare("PDF peak memory (MB)", [](const SizeResult &r) { return r.pdf.value(QStringLiteral("peak")); }, 0, "",
            false);
    compare("PDF memory per embedded font (MB)",
            [](const SizeResult &r) {
                return r.pdfFonts.fonts > 0 ? r.pdf.value(QStringLiteral("extra")) / r.pdfFonts.fonts : -1;
            },
            0, "", false);
    compare("BMP peak memory (MB)", [](const SizeResult &r) { return r.bmp.value(QStringLiteral("peak")); }, 500,
            "< 500 MB", true);
    compare("list peak memory (MB)", [](const SizeResult &r) { return r.list.value(QStringLiteral("peak")); }, 500,
            "< 500 MB", true);
    compare("new page of rows, mean (ms)", [](const SizeResult &r) { return r.list.value(QStringLiteral("pagemean")); },
            50, "< 50 ms", true);
    compare("new page of rows, worst (ms)",
            [](const SizeResult &r) { return r.list.value(QStringLiteral("pageworst")); }, 50, "< 50 ms", true);
    std::printf("\ncollections ready after %.1f s (made only where missing)\n", makeMs / 1000);
    return 0;
}
