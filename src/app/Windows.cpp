#include "app/Windows.h"

#include "app/Tprog.h"
#include "app/Tstart.h"
#include "fonts/FontInfoWindow.h"
#include "fonts/Tfpreview.h"
#include "help/Tbugreport_de.h"
#include "help/Tbugreport_en.h"
#include "help/Thilfe.h"
#include "help/Thilfe_en.h"
#include "output/Teinst.h"
#include "output/Tstatus.h"
#include "platform/Dialogs.h"

#include <QApplication>

Tstart *start = nullptr;
Tprog *prog = nullptr;
Teinst *einst = nullptr;
Thilfe *hilfe = nullptr;
Thilfe_en *hilfe_en = nullptr;
Tstatus *status = nullptr;
Tbugreport_de *bugreport_de = nullptr;
Tbugreport_en *bugreport_en = nullptr;
Tfpreview *fpreview = nullptr;
FontInfoWindow *fontinfo = nullptr;

namespace app {

void createWindows()
{
    // The application name is the X window class; docks match windows to the desktop entry by it
    // (its StartupWMClass), so it is one value for both languages.
    QApplication::setApplicationName(QStringLiteral("glyphworks"));
    dialogs::setApplicationTitle(QStringLiteral("Glyphwerk"));
    // The order matters: the start window decides the language that the main window's creation
    // applies, and the main window loads the font list before the other windows exist.
    start = new Tstart;
    prog = new Tprog;
    // The settings dialog edits the main window's committed settings.
    einst = new Teinst({prog->Label11, prog->Label12, prog->Label13, prog->Label14, prog->Label15, prog->Label16},
                       &languageCode);
    hilfe = new Thilfe;
    hilfe_en = new Thilfe_en;
    status = new Tstatus(isGerman());
    bugreport_de = new Tbugreport_de;
    bugreport_en = new Tbugreport_en;
    fpreview = new Tfpreview(&isGerman);
    QObject::connect(fpreview, &Tfpreview::hidden, prog, &Tprog::previewHidden);
    fontinfo = new FontInfoWindow(&isGerman);
}

namespace {
template <typename T>
void destroy(T *&window)
{
    delete window;
    window = nullptr;
}
} // namespace

void destroyWindows()
{
    destroy(fontinfo);
    destroy(fpreview);
    destroy(bugreport_en);
    destroy(bugreport_de);
    destroy(status);
    destroy(hilfe_en);
    destroy(hilfe);
    destroy(einst);
    destroy(prog);
    destroy(start);
}

QString languageCode()
{
    return start ? start->spr->text() : QStringLiteral("en");
}

bool isGerman()
{
    return languageCode() == QLatin1String("de");
}

} // namespace app
