#pragma once
// The one way every file target of the program is written: images, PDF documents, word-processor
// documents and the copies the program keeps for itself. The new contents go to a file beside the
// target that has no name while it is written (where the file system allows; else a hidden name
// of the program's own that a later save into the folder removes when its writer is gone), reach
// the disk, and take the target's name only when complete. So an existing file is replaced whole
// or not at all, whatever ends the run: a full disk, a file-size limit, a signal, even SIGKILL.
//
// A link at the target is followed as the user made it, unless another user planted it in a
// shared folder; a FIFO, device or socket at the target is refused and left in place.

#include "util/Errors.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QFile;

namespace platform {

/// A file name a save does not write to.
class RefusedTarget : public util::Error
{
public:
    enum Reason {
        PlantedLink, ///< a link another user put into a shared (sticky) folder
        NotAFile,    ///< a FIFO, device or socket, or a link to one
    };
    RefusedTarget(Reason reason, const QString &message)
        : util::Error(message)
        , m_reason(reason)
    {
    }
    /// Why the name was refused.
    Reason reason() const { return m_reason; }

private:
    Reason m_reason;
};

/// Writes the file `path` through `write`, which is handed the open, empty new file (seekable,
/// positioned at its start) and writes it. The file is written beside the file it replaces and
/// put in its place once `write` returns and everything reached the disk: an existing file of
/// that name is replaced then, and left untouched when anything fails before. A link at `path` is
/// followed to the file it names, unless another user planted it in a shared folder: a link in a
/// sticky folder writable by all that belongs neither to the user nor to the folder's owner, which
/// the kernel's protection of links would not follow either. A name that leads to something other
/// than a regular file (a FIFO, a device) is not replaced. Both throw RefusedTarget. A failed write
/// (a full disk) throws util::Error with the system's reason, whether or not `write` noticed it.
/// Anything `write` throws passes on, and the run leaves no file behind.
void saveThrough(const QString &path, const std::function<void(QFile &)> &write);

/// Writes `bytes` as the file `path`, as saveThrough() does.
void saveBytes(const QByteArray &bytes, const QString &path);

/// Writes `bytes` as the file `name` of the open folder `folder`, as saveThrough() does, without
/// following anything: `name` is a name in that folder, not a path. Only a regular file at the
/// name is replaced (as the user's or another's); a link, FIFO, device or socket there is refused
/// with RefusedTarget and a folder with util::Error, and each is left in place.
void saveBytesIn(int folder, const QByteArray &name, const QByteArray &bytes);

/// Whether a name in a folder is one the saves give their unfinished files: ".glyphworks-",
/// twelve letters or digits, ".part".
bool isPartialFileName(const QByteArray &name);

/// Makes the saves that follow write under a hidden name from the start, as they do on file
/// systems that cannot make a file without a name (tests take that way on any file system);
/// false restores the usual way.
void setNamelessFilesDisabled(bool disabled);

} // namespace platform
