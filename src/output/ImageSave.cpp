#include "output/ImageSave.h"

#include "output/ImageFiles.h"
#include "platform/Dialogs.h"
#include "util/Errors.h"
#include "util/EscapedText.h"

#include <QByteArray>
#include <QFileInfo>
#include <QImage>

namespace output {
namespace {

// The reason of `cause` in the interface language: the program's own for a name it refuses to
// write to, the system's or the encoder's otherwise.
QString reasonText(const util::Error &cause, bool german)
{
    const auto *refused = dynamic_cast<const RefusedTarget *>(&cause);
    if (!refused)
        return cause.message();
    if (refused->reason() == RefusedTarget::PlantedLink)
        return german ? QStringLiteral("Der Name ist eine Verknüpfung, die ein anderer Benutzer in einen gemeinsamen "
                                       "Ordner gelegt hat; ihr wird nicht gefolgt.")
                      : QStringLiteral("The name is a link that another user put into a shared folder; it is not "
                                       "followed.");
    return german ? QStringLiteral("Der Name gehört zu einem Gerät oder einer Pipe, nicht zu einer Datei; es wird "
                                   "nicht ersetzt.")
                  : QStringLiteral("The name belongs to a device or pipe, not to a file; it is not replaced.");
}

// The failure as the user reads it: what could not be done, in the interface language, and the
// system's reason. Without a path the image could not be converted; with one, the file could not
// be written.
[[noreturn]] void fail(const QString &path, const util::Error &cause, bool german)
{
    if (path.isEmpty())
        throw util::Error((german ? QStringLiteral("Das Bild konnte nicht umgewandelt werden.")
                                      : QStringLiteral("The image could not be converted."))
                              + QLatin1Char('\n') + cause.message());
    throw notSaved(SavedDocument::Image, path, cause, german);
}

} // namespace

ImageFileType imageFileType(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Bmp:
        return {QStringLiteral("Bitmap (*.bmp)|*.bmp"), QStringLiteral("BMP (*.bmp)|*.bmp"), QStringLiteral(".bmp")};
    case ImageFormat::Jpeg:
        return {QStringLiteral("JPEG (*.jpg)|*.jpg"), QStringLiteral("JPG (*.jpg)|*.jpg"), QStringLiteral(".jpg")};
    case ImageFormat::Gif:
        return {QStringLiteral("GIF (*.gif)|*.gif"), QStringLiteral("GIF (*.gif)|*.gif"), QStringLiteral(".gif")};
    }
    return {};
}

void saveImageToName(const QImage &image, ImageFormat format, const QString &path, bool german)
{
    try {
        saveImage(image, format, path);
    } catch (const util::Error &e) {
        fail(path, e, german);
    }
}

void saveImageWithDialog(const QImage &image, ImageFormat format, QString &fileName, bool german)
{
    const ImageFileType type = imageFileType(format);
    // JPEG and GIF are converted before the dialog opens; the bitmap is written as it is.
    QByteArray encoded;
    if (format != ImageFormat::Bmp) {
        try {
            encoded = encodeImage(image, format);
        } catch (const util::Error &e) {
            fail(QString(), e, german);
        }
    }
    const QString path = askImageFileName(type.filter, type.extension, fileName);
    if (path.isEmpty())
        return;
    if (format == ImageFormat::Bmp) {
        saveImageToName(image, format, path, german);
        return;
    }
    try {
        saveBytes(encoded, path);
    } catch (const util::Error &e) {
        fail(path, e, german);
    }
}

FileWriteError notSaved(SavedDocument document, const QString &path, const util::Error &cause, bool german)
{
    QString what;
    if (document == SavedDocument::Pdf)
        what = german ? QStringLiteral("Das PDF-Dokument konnte nicht als \u201E%1\u201C gespeichert werden.")
                      : QStringLiteral("The PDF document could not be saved as \"%1\".");
    else if (document == SavedDocument::Word)
        what = german ? QStringLiteral("Das Word-Dokument konnte nicht als \u201E%1\u201C gespeichert werden.")
                      : QStringLiteral("The Word document could not be saved as \"%1\".");
    else
        what = german ? QStringLiteral("Das Bild konnte nicht als \u201E%1\u201C gespeichert werden.")
                      : QStringLiteral("The image could not be saved as \"%1\".");
    // The name is the user's, any characters at all: one that breaks the line or steers a terminal
    // is shown escaped.
    return FileWriteError(what.arg(util::escapeControls(path)) + QLatin1Char('\n') + reasonText(cause, german));
}

QString proposalFor(const QString &lastName, const QString &extension)
{
    // The PDF target shares the proposal with the image targets.
    static const QStringList imageExtensions = {QStringLiteral(".bmp"), QStringLiteral(".jpg"),
                                                QStringLiteral(".jpeg"), QStringLiteral(".gif"),
                                                QStringLiteral(".pdf")};
    const QString fileName = QFileInfo(lastName).fileName();
    for (const QString &other : imageExtensions) {
        if (fileName.size() > other.size() && fileName.endsWith(other, Qt::CaseInsensitive)) {
            // ".jpeg" names a JPEG file as well as ".jpg" does.
            const bool sameFormat = other.compare(extension, Qt::CaseInsensitive) == 0
                || (other == QLatin1String(".jpeg") && extension == QLatin1String(".jpg"));
            return sameFormat ? lastName : lastName.left(lastName.size() - other.size()) + extension;
        }
    }
    return lastName;
}

QString withDefaultExtension(const QString &name, const QString &defaultExtension)
{
    if (name.isEmpty() || QFileInfo(name).fileName().contains(QLatin1Char('.')))
        return name;
    return name + defaultExtension;
}

QString askImageFileName(const QString &filter, const QString &defaultExtension, QString &fileName)
{
    const QString chosen = dialogs::saveFile(filter, defaultExtension, proposalFor(fileName, defaultExtension));
    if (chosen.isEmpty())
        return {};
    fileName = withDefaultExtension(chosen, defaultExtension);
    return fileName;
}

} // namespace output
