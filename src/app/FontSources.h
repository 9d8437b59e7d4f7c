#pragma once
// The font list loaded from its sources, the same way for the main window and the command line:
// the run's font resources as the loader's sink, the list sorted for the interface language,
// and the font files added for the run let go of at its end.

#include "fonts/FontListLoader.h"

#include <QString>
#include <QStringList>

namespace app {

/// The run's font resources as the loader's sink.
class ResourceSink : public fonts::FontSink
{
public:
    QString addFontFile(const QString &path) override;
    void listFontFile(const QString &path, const platform::FileIdentity &identity, int face) override;
    void postFontChange() override;
};

/// The typeface names the system already offers, asked of its printer and screen font lists.
QStringList installedFonts();

/// The entries of the sources `request` chooses, sorted for the interface language (German when
/// `german`). Font files of the folder whose names `installed` does not hold are added to the
/// run's fonts and their paths appended to `filePaths`.
fonts::FontListEntries loadFontList(const fonts::LoadRequest &request, const QStringList &installed,
                                    QStringList &filePaths, bool german);

/// Removes the font files `filePaths` added for the run from its fonts, announces the change and
/// empties the list.
void releaseFontFiles(QStringList &filePaths);

/// Why `path` cannot be searched for fonts, in German or English; empty when it is a folder.
/// What stands there instead is named: a file or a pipe given by mistake is not "missing". The
/// path is shown with its control characters escaped.
QString folderProblem(const QString &path, bool german);

} // namespace app
