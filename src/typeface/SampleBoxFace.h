#pragma once
// The face of a folder's font file in the two sample boxes (the small box on the main window and
// the preview window). They are text boxes, which draw fonts by name only; so the face of the
// focused entry's file is registered, renamed to a family of its own that no installed font and
// no other file shares, from the file's bytes as platform::FileFaces reads them. At most one such
// face is registered at any time, which keeps every lookup of any other font as fast as without.

#include <QString>

namespace platform {

/// The start of every family name a sample box face is registered under.
inline constexpr char16_t kSampleBoxFamilyPrefix[] = u"Glyphworks Sample Box ";

/// The start of the name of the folder a run keeps its sample box faces' files in.
inline constexpr char16_t kFaceFolderPrefix[] = u"glyphworks-faces-";

/// Whether `family` is a sample box face's family, which is never listed among the typefaces.
bool isSampleBoxFamily(const QString &family);

/// Registers the face of the font file at `path` for the sample boxes, in place of the one
/// registered before, and returns the family to draw it by. Empty when the file cannot be used
/// (platform::FileFaces refuses it); nothing is registered then. Asking again for the file
/// registered last returns its family without registering anything.
QString sampleBoxFamily(const QString &path);

/// Drops the registered face, if any.
void releaseSampleBoxFace();

/// Removes the sample box faces' folders of earlier runs that ended without removing them
/// (killed, or the machine went down); returns how many went. Folders of runs alive stay.
int removeAbandonedSampleBoxFolders();

/// True while a sample box face is being registered or dropped: Qt announces it as a change of
/// its font database, which changes what no other name stands for.
bool isChangingSampleBoxFace();

} // namespace platform
