#pragma once
// The save routines of the image targets: the finished sheet image written as BMP, JPEG or GIF,
// either to a file the user picks in the save dialog or under a name the caller built. None shows
// a message of its own: a failure to write leaves an existing file of the chosen name untouched and
// is thrown as util::Error with the system's reason, in the interface language (`german`), for
// the caller (or the application's error report) to show. The file name the dialog proposes from is
// the caller's: `fileName` goes in as the last name chosen and comes out as the name chosen now,
// set as soon as it is chosen, so that a failure to write keeps it too.

#include "output/ImageFiles.h"
#include "util/Errors.h"

#include <QString>

class QImage;

namespace output {

/// How the save dialogs offer an image format: the filter of the save dialog of the sheet image
/// ("Bitmap (*.bmp)|*.bmp"), that of the dialog that names the part images of a split run
/// ("BMP (*.bmp)|*.bmp"), and the extension a name without one gets (".bmp").
struct ImageFileType
{
    QString filter;
    QString partsFilter;
    QString extension;
};

/// The file type of `format`.
ImageFileType imageFileType(ImageFormat format);

/// Asks for a file with the filter of `format` and writes `image` there: a bitmap uncompressed,
/// JPEG (quality 85) and 216-colour GIF converted before the dialog opens. Cancelling, or
/// confirming an empty name, writes nothing and leaves `fileName` as it was.
void saveImageWithDialog(const QImage &image, ImageFormat format, QString &fileName, bool german);

/// Writes `image` in `format` as the file `path`, replacing an existing file once the new one is
/// complete.
void saveImageToName(const QImage &image, ImageFormat format, const QString &path, bool german);

/// The failure to write an image file: its message names the file and gives the system's
/// reason, in the interface language. Unlike a failure to build or convert the image, it is no
/// matter of memory, so image runs let it end the run as it is.
class FileWriteError : public util::Error
{
public:
    using util::Error::Error;
};

/// What a save writes: the sheet image of an image target, the PDF document of the PDF target or
/// the document of the word-processor target written to a given file.
enum class SavedDocument { Image, Pdf, Word };

/// The failure to write `document` as the file `path`, as the user reads it: that it could not be
/// saved under that name, in German or English, and below it the reason of `cause` (the system's,
/// or the program's own for a name it refuses to write to).
FileWriteError notSaved(SavedDocument document, const QString &path, const util::Error &cause, bool german);

/// The name the save dialog proposes for a file of the format whose extension is `extension`
/// (".jpg", ".pdf"), given the last name chosen: a name ending in the extension of another format
/// the save targets write ("sheet.bmp") gets `extension` in its place ("sheet.jpg"), so that it
/// names no file of another format; any other name stays.
QString proposalFor(const QString &lastName, const QString &extension);

/// `name` with `defaultExtension` (".bmp") appended when its file name part has no dot at all;
/// a name with any extension is kept as it is.
QString withDefaultExtension(const QString &name, const QString &defaultExtension);

/// Opens the save dialog with `filter` ("Bitmap (*.bmp)|*.bmp") and `defaultExtension`, proposing
/// a name made from `fileName`, the last one chosen (see proposalFor()). A confirmed non-empty name,
/// completed with the default extension, is returned and stored in `fileName`; on cancel or an
/// empty name the result is empty and `fileName` stays.
QString askImageFileName(const QString &filter, const QString &defaultExtension, QString &fileName);

} // namespace output
