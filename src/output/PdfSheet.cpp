#include "output/PdfSheet.h"

#include "output/ImageFiles.h"
#include "output/ImageSave.h"
#include "output/RunWindows.h"
#include "platform/Printer.h"

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
        // The resolution of direct prints and the PDF engine's own margins, which a direct print
        // to that engine has too: the lines fall on the pages as they do there.
        m_writer.setResolution(platform::Printer::kResolution);
        QPageLayout layout = m_writer.pageLayout();
        layout.setPageSize(QPageSize(QPageSize::A4));
        layout.setOrientation(style.portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
        m_writer.setPageLayout(layout);
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
    int pageHeight() const override
    {
        return m_writer.pageLayout().paintRectPixels(m_writer.resolution()).height();
    }
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
