#pragma once
// Opening and reading files by paths of any length.
//
// The system refuses a path longer than PATH_MAX as a whole; font folders nested deeper than
// that still hold fonts the catalogue must reach. Paths are carried as util/FilePaths.h describes.

#include <QByteArray>
#include <QString>

namespace platform {

/// Opens `nativePath` (the name as the file system holds it) with open(2) `flags`, also when it is
/// longer than the system's path limit: then the folders on the way are opened a stretch at a
/// time, each relative to the one before. Returns the descriptor, or -1 with errno set.
int openPath(const QByteArray &nativePath, int flags);

/// Reads the regular file at `path` (any length, any bytes: see util::encodePath()) into `contents`;
/// false when it cannot be read.
bool readFile(const QString &path, QByteArray &contents);

} // namespace platform
