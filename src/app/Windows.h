#pragma once
// The program's ten windows. Each is created once at start, lives until the end of the run and is
// reached by the rest of the program through its one global instance.

#include <QString>

class Tstart;
class Tprog;
class Teinst;
class Thilfe;
class Thilfe_en;
class Tstatus;
class Tbugreport_de;
class Tbugreport_en;
class Tfpreview;
class FontInfoWindow;

extern Tstart *start;
extern Tprog *prog;
extern Teinst *einst;
extern Thilfe *hilfe;
extern Thilfe_en *hilfe_en;
extern Tstatus *status;
extern Tbugreport_de *bugreport_de;
extern Tbugreport_en *bugreport_en;
extern Tfpreview *fpreview;
extern FontInfoWindow *fontinfo;

namespace app {

/// Sets the application title and creates the ten windows in their fixed order (start window
/// first: it decides the language; the main window second: it loads the font list). Only the
/// start window is shown, once the event loop runs.
void createWindows();

/// Destroys the windows in reverse order of creation; the main window's destruction releases the
/// fonts added during the run. Safe to call when they were never created.
void destroyWindows();

/// The interface language code held by the start window: "de" or "en".
QString languageCode();

/// True when messages and run-time texts are to be German (the code is exactly "de").
bool isGerman();

} // namespace app
