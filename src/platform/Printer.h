#pragma once
// The program's one printer, over Qt's print support (CUPS on Linux): the installed printers,
// the selected printer (kept between runs), the job's title, orientation and copies, and during a
// job its drawing surface and page height. Jobs can be sent to Qt's PDF engine instead of the
// print system.

#include <QPainter>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

/// The message of a print attempt without any printer.
inline constexpr char kNoDefaultPrinter[] = "There is no default printer currently selected";

class Printer
{
public:
    /// The process-wide printer (needs a QApplication).
    static Printer &instance();

    /// The names of the installed printers, in the print system's order.
    QStringList printers() const;

    /// The position of `name` among printers(), ignoring case; -1 when it is not installed.
    int printerIndex(const QString &name) const;

    /// Selects the printer at `index` of printers(); -1 (or any index outside the list) selects
    /// the system's default printer. Throws util::Error when there is no printer at all.
    void setPrinterIndex(int index);

    /// The selected printer's name; the system's default printer until another is selected.
    /// Throws util::Error when there is no printer at all.
    QString printerName() const;

    /// Sets the title the print system shows for the next job.
    void setTitle(const QString &title);
    /// Portrait (true) or landscape pages for the next job.
    void setPortrait(bool portrait);
    /// The number of copies of the next job.
    void setCopies(int copies);

    /// Opens a job on the selected printer and its first page. Throws util::Error when there
    /// is no printer or the job cannot be opened.
    void beginDoc();
    /// The drawing surface of the open job.
    QPainter &canvas();
    /// The width of the printable area of a page, in device pixels.
    int pageWidth() const;
    /// The resolution of the selected printer's pages, in dots per inch.
    int resolution() const;
    /// The height of the printable area of a page, in device pixels.
    int pageHeight() const;
    /// Ends the current page and begins the next.
    void newPage();
    /// Ends the last page and the job.
    void endDoc();
    /// Cancels the open job, if any, so that nothing of it is printed.
    void abortDoc();
    /// A job is open.
    bool printing() const;
    /// The open job was cancelled.
    bool aborted() const;

    /// What a job was opened with: the print system's printer (empty for PDF output) and the
    /// number of copies.
    struct JobSettings
    {
        QString printer;
        int copies = 1;
    };
    /// The settings of the last job opened with beginDoc().
    JobSettings lastJob() const { return m_lastJob; }

    /// Qt's printer object, for the print dialog.
    QPrinter &qprinter() { return *m_printer; }

    /// Sends the following jobs to Qt's PDF engine writing `path`; the empty path sends them to
    /// the print system again.
    void setPdfOutput(const QString &path);

    /// The device resolution of jobs, in dots per inch.
    static constexpr int kResolution = 600;

private:
    Printer();
    void requirePrinter() const;

    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    QString m_selected; // empty: the system's default printer
    QString m_pdfPath;
    JobSettings m_lastJob;
};

} // namespace platform
