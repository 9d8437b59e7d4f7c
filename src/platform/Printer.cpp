#include "platform/Printer.h"

#include "util/Errors.h"

#include <QPrinterInfo>

namespace platform {

using util::Error;

Printer &Printer::instance()
{
    static Printer printer;
    return printer;
}

Printer::Printer()
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_printer->setResolution(kResolution);
}

QStringList Printer::printers() const
{
    return QPrinterInfo::availablePrinterNames();
}

int Printer::printerIndex(const QString &name) const
{
    const QStringList names = printers();
    for (int i = 0; i < names.size(); ++i)
        if (QString::compare(names.at(i), name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void Printer::requirePrinter() const
{
    if (m_pdfPath.isEmpty() && printers().isEmpty())
        throw Error(QString::fromLatin1(kNoDefaultPrinter));
}

void Printer::setPrinterIndex(int index)
{
    requirePrinter();
    const QStringList names = printers();
    m_selected = index >= 0 && index < names.size() ? names.at(index) : QString();
}

QString Printer::printerName() const
{
    requirePrinter();
    if (!m_pdfPath.isEmpty())
        return QString();
    // The selection stays valid only while that printer is installed.
    if (!m_selected.isEmpty() && printers().contains(m_selected))
        return m_selected;
    const QString fallback = QPrinterInfo::defaultPrinterName();
    // A print system without a default printer: its first printer serves.
    return fallback.isEmpty() ? printers().constFirst() : fallback;
}

void Printer::setTitle(const QString &title)
{
    m_printer->setDocName(title);
}

void Printer::setPortrait(bool portrait)
{
    m_printer->setPageOrientation(portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
}

void Printer::setCopies(int copies)
{
    m_printer->setCopyCount(qMax(1, copies));
}

void Printer::setPdfOutput(const QString &path)
{
    m_pdfPath = path;
}

void Printer::beginDoc()
{
    const QString name = printerName();
    if (m_pdfPath.isEmpty()) {
        // Qt ignores an unknown printer name and would open a job without any output; the name
        // comes from the installed printers, checked above.
        m_printer->setOutputFileName(QString());
        m_printer->setOutputFormat(QPrinter::NativeFormat);
        m_printer->setPrinterName(name);
    } else {
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_pdfPath);
    }
    m_printer->setResolution(kResolution);
    m_lastJob = {m_pdfPath.isEmpty() ? name : QString(), m_printer->copyCount()};
    if (!m_painter.begin(m_printer.get()))
        throw Error(QStringLiteral("The print job could not be started on %1.")
                        .arg(m_pdfPath.isEmpty() ? name : m_pdfPath));
}

QPainter &Printer::canvas()
{
    return m_painter;
}

int Printer::pageWidth() const
{
    return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).width();
}

int Printer::resolution() const
{
    return m_printer->resolution();
}

int Printer::pageHeight() const
{
    return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).height();
}

void Printer::newPage()
{
    m_printer->newPage();
}

void Printer::endDoc()
{
    if (m_painter.isActive())
        m_painter.end();
}

void Printer::abortDoc()
{
    if (!m_painter.isActive())
        return;
    m_printer->abort();
    m_painter.end();
}

bool Printer::printing() const
{
    return m_painter.isActive();
}

bool Printer::aborted() const
{
    return m_printer->printerState() == QPrinter::Aborted;
}

} // namespace platform
