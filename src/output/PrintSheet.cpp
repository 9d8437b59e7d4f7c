#include "output/PrintSheet.h"

#include "output/PageFlow.h"
#include "output/SheetLimits.h"
#include "typeface/ColourGlyphs.h"
#include "platform/Dialogs.h"
#include "typeface/qtinternals/PdfFonts.h"
#include "platform/Printer.h"
#include "util/Errors.h"

#include <QRawFont>
#include <QScopeGuard>
#include <QSet>

#include <vector>

namespace output {
namespace {

// A print job on the program's printer. With `stopWhenAborted`, the lines after a cancel of the
// job (from the print system's side) are left out.
class PrinterPages : public SheetPages
{
public:
    PrinterPages(platform::Printer &printer, bool stopWhenAborted)
        : m_printer(printer)
        , m_stopWhenAborted(stopWhenAborted)
    {
    }
    void begin() override { m_printer.beginDoc(); }
    QPainter &canvas() override { return m_printer.canvas(); }
    int pageWidth() const override { return m_printer.pageWidth(); }
    int pageHeight() const override { return m_printer.pageHeight(); }
    int resolution() const override { return m_printer.resolution(); }
    void newPage() override { m_printer.newPage(); }
    void end() override { m_printer.endDoc(); }
    void cancel() override { m_printer.abortDoc(); }
    bool stopped() const override { return m_stopWhenAborted && (!m_printer.printing() || m_printer.aborted()); }

private:
    platform::Printer &m_printer;
    bool m_stopWhenAborted;
};

int fontLinesHeld = kFontLinesHeld;

} // namespace

void setFontLinesHeld(int lines)
{
    fontLinesHeld = lines > 0 ? lines : kFontLinesHeld;
}

void setSheet(SheetPages &pages, const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet,
              const PageRange &range)
{
    // The print engine holds every face it embedded until it writes the fonts out (when the job
    // ends, and every some hundred lines below) and then lets go of them in an order of its own;
    // FreeType finds each face it closes by walking its list of open faces from the oldest. Held
    // here until then, in the order they were first drawn, and let go of oldest first, each is
    // found at once: thousands of faces close in linear time.
    std::vector<QRawFont> faces;
    QSet<QRawFont> held;
    const auto releaseInOrder = [&faces, &held] {
        held.clear();
        for (QRawFont &face : faces)
            face = QRawFont();
        faces.clear();
    };
    const auto releaseAtEnd = qScopeGuard([&releaseInOrder] {
        releaseInOrder();
        // The files of colour faces are held while the sheet draws their glyphs, not after.
        platform::releaseColourGlyphs();
    });
    // Margins and spacing that put every line off the page would give pages without text, and a
    // run that looks as if it had printed the sheet.
    if (const QString problem = pageProblem(numbers, QSize(pages.pageWidth(), pages.pageHeight()), pages.resolution(),
                                              style.german);
        !problem.isEmpty())
        throw util::Error(problem);
    // A failure that leaves the run before the document was ended cancels it, so the next run can
    // open a new one.
    const auto cancelUnended = qScopeGuard([&pages] { pages.cancel(); });
    pages.begin();
    QPainter &canvas = pages.canvas();
    canvas.setBackgroundMode(Qt::TransparentMode);
    const LineSetter setter(canvas.device(), numbers.size, style.italic, style.bold, style.german);
    PageFlow flow(numbers.spacing, numbers.top, numbers.bottom, pages.pageHeight(), range);
    // A page break is carried out when the next line comes: after the last line it would leave
    // an empty page at the end of the job.
    bool pageBreakDue = false;
    int linesSinceFonts = 0;
    for (qsizetype i = 0; i < sheet.count(); ++i) {
        if (pages.stopped())
            continue;
        if (pageBreakDue) {
            pages.newPage();
            if (linesSinceFonts >= fontLinesHeld) {
                platform::writeUsedFonts(canvas);
                releaseInOrder();
                linesSinceFonts = 0;
            }
            pageBreakDue = false;
        }
        const SheetLine line = sheet.line(i);
        const LineMetrics metrics = setter.measure(line);
        for (const LinePiece &piece : metrics.pieces) {
            if (piece.shaped.runs.isEmpty())
                continue;
            const QRawFont face = piece.shaped.runs.constFirst().rawFont();
            if (!held.contains(face)) {
                held.insert(face);
                faces.push_back(face);
            }
        }
        const LinePlacement place = flow.next(metrics.height);
        if (place.drawn)
            setter.draw(canvas, line, metrics, numbers.left, place.y);
        pageBreakDue = place.newPageAfter;
        ++linesSinceFonts;
        pages.lineSet(i);
    }
    pages.end();
}

QString jobTitle(bool german)
{
    return german ? QStringLiteral("Schriftliste vom Velmont Media Glyphwerk")
                  : QStringLiteral("Font List From Velmont Media Glyphworks");
}

void printDirect(const QString &name, const SheetNumbers &numbers, const RunStyle &style,
                 const SheetSource &sheet)
{
    auto &printer = platform::Printer::instance();
    // The printer and copies a print dialog chose belong to that dialog's job: the standard
    // printer is the system's default at this moment, and a direct job is always one copy.
    printer.setPrinterIndex(name.isEmpty() ? -1 : printer.printerIndex(name));
    printer.setCopies(1);
    printer.setTitle(jobTitle(style.german));
    printer.setPortrait(style.portrait);
    PrinterPages pages(printer, false);
    setSheet(pages, numbers, style, sheet, PageRange());
}

void printWithDialog(const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet)
{
    auto &printer = platform::Printer::instance();
    printer.printerName(); // no printer at all: the failure is reported before any dialog
    printer.setTitle(jobTitle(style.german));
    printer.setPortrait(style.portrait);
    QPrinter &qprinter = printer.qprinter();
    // The from page is kept from run to run; the highest page is set anew each time.
    qprinter.setFromTo(qBound(1, qprinter.fromPage(), kMaxDialogPage), kMaxDialogPage);
    const dialogs::PrintChoice choice = dialogs::printDialog(qprinter, 1, kMaxDialogPage);
    if (!choice.accepted)
        return;
    if (!choice.printer.isEmpty())
        printer.setPrinterIndex(printer.printerIndex(choice.printer));
    printer.setCopies(choice.copies);
    PageRange range;
    range.pageNumbers = choice.pageNumbers;
    range.from = choice.from;
    range.to = choice.to;
    PrinterPages pages(printer, true);
    setSheet(pages, numbers, style, sheet, range);
}

} // namespace output
