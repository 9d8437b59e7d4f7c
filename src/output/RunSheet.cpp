#include "output/RunSheet.h"

#include "output/ImageSheet.h"
#include "output/PdfSheet.h"
#include "output/RunWindows.h"
#include "output/SheetLimits.h"
#include "output/WordApplication.h"
#include "output/WordSheet.h"
#include "platform/Dialogs.h"

#include <QScopeGuard>

namespace output {

void runSheet(const SheetRequest &request, const SheetSource &sheet, RunWindows &windows)
{
    const SheetNumbers &numbers = request.numbers;
    const RunStyle &style = request.style;
    if (const QString problem = sizeProblem(numbers, style.german); !problem.isEmpty()) {
        dialogs::message(dialogs::MessageKind::Error, problem);
        return;
    }
    windows.prepare(style.german);
    switch (request.target) {
    case SheetTarget::Pdf:
        pdfSheet(numbers, style, sheet, windows);
        return;
    case SheetTarget::Document: {
        // The destination holds for this run only: the window's next document opens as ever.
        if (!request.file.isEmpty())
            setDocumentDestination(request.file);
        const auto restore = qScopeGuard([&] {
            if (!request.file.isEmpty())
                setDocumentDestination(QString());
        });
        wordSheet(numbers, style, sheet, windows);
        return;
    }
    case SheetTarget::Bmp:
        imageSheet(ImageFormat::Bmp, numbers, style, sheet, windows);
        return;
    case SheetTarget::Jpeg:
        imageSheet(ImageFormat::Jpeg, numbers, style, sheet, windows);
        return;
    case SheetTarget::Gif:
        imageSheet(ImageFormat::Gif, numbers, style, sheet, windows);
        return;
    case SheetTarget::PrintDialog:
        printWithDialog(numbers, style, sheet);
        return;
    case SheetTarget::StandardPrinter:
        printDirect(QString(), numbers, style, sheet);
        return;
    case SheetTarget::NamedPrinter:
        printDirect(request.printer, numbers, style, sheet);
        return;
    }
}

} // namespace output
