#pragma once
// The program's nine windows. Each is created once at start, lives until the end of the run and is
// reached by the rest of the program through its one global instance.

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;
class Tstart;
class Tprog;
class Teinst;
class Thilfe;
class Thilfe_en;
class Tstatus;
class Tbugreport_de;
class Tbugreport_en;
class Tfpreview;

extern Tstart *start;
extern Tprog *prog;
extern Teinst *einst;
extern Thilfe *hilfe;
extern Thilfe_en *hilfe_en;
extern Tstatus *status;
extern Tbugreport_de *bugreport_de;
extern Tbugreport_en *bugreport_en;
extern Tfpreview *fpreview;

namespace app {

/// Sets the application title and creates the nine windows in their fixed order (start window
/// first: it decides the language; the main window second: it loads the font list). Only the
/// start window is shown, once the event loop runs.
void createWindows();

/// Destroys the windows in reverse order of creation; the main window's destruction releases the
/// fonts added during the run. Safe to call when they were never created.
void destroyWindows();

/// The font of the program's windows: Tahoma, 11 pixels high (8 points), where it is installed;
/// otherwise the Arial-metric face, closest in width, so the texts fit the places made for them.
QFont windowFont();

/// The font of the two sample boxes (the main window's and the preview window's) at `pixelSize`
/// pixels: MS Sans Serif where it is installed, otherwise its metric stand-in, so that both boxes
/// show the same face.
QFont sampleBoxFont(int pixelSize);

/// The text colour of the program's windows, RGB(15, 63, 111).
QColor textColour();

/// The colour of the labels that open web pages, RGB(0, 51, 102).
QColor linkColour();

/// Gives `window` the program's window font and its text colour for every control in it.
void applyWindowLook(QWidget *window);

/// The interface language code held by the start window: "de" or "en".
QString languageCode();

/// True when messages and run-time texts are to be German (the code is exactly "de").
bool isGerman();

} // namespace app
