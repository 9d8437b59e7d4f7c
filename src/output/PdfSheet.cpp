#include "output/PdfSheet.h"

#include "output/ImageFiles.h"
#include "output/ImageSave.h"
#include "output/RunWindows.h"
#include "output/SheetLimits.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"

#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace output {
namespace {

// Leaves the save without committing the file: the run was aborted.
struct RunAborted
{
};

// The resolution of direct prints and the PDF engine's own margins, which a direct print to that
// engine has too: the lines fall on the pages as they do there. A4 in the run's orientation.
void setUpPages(QPdfWriter &writer, const RunStyle &style)
{
    writer.setResolution(platform::Printer::kResolution);
    QPageLayout layout = writer.pageLayout();
    layout.setPageSize(QPageSize(QPageSize::A4));
    layout.setOrientation(style.portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
    writer.setPageLayout(layout);
}

// The printable area of a page of `writer`, in device pixels.
QRect pageArea(const QPdfWriter &writer)
{
    return writer.pageLayout().paintRectPixels(writer.resolution());
}

// The pages of the PDF document, written into `file` as each one ends, so a long sheet never
// holds more than its current page. The abort button of the progress window stops the run, and
// so does a failed write: the lines after it would go nowhere.
class PdfPages : public SheetPages
{
public:
    PdfPages(QFile &file, const RunStyle &style, RunWindows &windows)
        : m_file(file)
        , m_windows(windows)
        , m_writer(&file)
    {
        setUpPages(m_writer, style);
        m_writer.setTitle(jobTitle(style.german));
        m_writer.setCreator(style.german ? QStringLiteral("Glyphwerk") : QStringLiteral("Glyphworks"));
    }
    ~PdfPages() override { cancel(); }

    void begin() override
    {
        if (!m_painter.begin(&m_writer))
            throw util::Error(QStringLiteral("The PDF document could not be started."));
    }
    QPainter &canvas() override { return m_painter; }
    int pageWidth() const override { return pageArea(m_writer).width(); }
    int pageHeight() const override { return pageArea(m_writer).height(); }
    int resolution() const override { return m_writer.resolution(); }
    void newPage() override { m_writer.newPage(); }
    void end() override
    {
        if (m_painter.isActive())
            m_painter.end();
    }
    // The file the document went to is removed when the save is left without a commit.
    void cancel() override { end(); }
    bool stopped() const override
    {
        return m_windows.abortRequested() || m_file.error() != QFileDevice::NoError;
    }
    void lineSet(qsizetype index) override { m_windows.lineDone(index); }

private:
    QFile &m_file;
    RunWindows &m_windows;
    QPdfWriter m_writer;
    QPainter m_painter;
};

} // namespace

void pdfSheet(const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet, RunWindows &windows)
{
    {
        // Numbers that leave every line off the page are told before a file is asked for.
        QBuffer nowhere;
        QPdfWriter pages(&nowhere);
        setUpPages(pages, style);
        if (const QString problem = pageProblem(numbers, pageArea(pages).size(), pages.resolution(), style.german);
            !problem.isEmpty()) {
            dialogs::message(dialogs::MessageKind::Error, problem);
            return;
        }
    }
    QString fileName = windows.lastFileName();
    const QString path = askImageFileName(QStringLiteral("PDF (*.pdf)|*.pdf"), QStringLiteral(".pdf"), fileName);
    if (path.isEmpty())
        return;
    windows.setLastFileName(path);
    try {
        RunScope run(windows, sheet.count());
        saveThrough(path, [&](QFile &file) {
            PdfPages pages(file, style, windows);
            setSheet(pages, numbers, style, sheet, PageRange());
            // An aborted run (by the button or by the program's end) keeps no part of the sheet.
            if (windows.abortRequested())
                throw RunAborted();
        });
    } catch (const RunAborted &) {
    } catch (const util::Error &e) {
        throw notSaved(SavedDocument::Pdf, path, e, style.german);
    }
}

} // namespace output
