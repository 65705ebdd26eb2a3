#pragma once
// Where the actions may write: the folder a copy goes to, the folders of one
// side reached from that side's folder held open, and where the two folders
// lie one from the other.
#include "platform/FileDescriptor.h"
#include "sync/SyncList.h"

#include <sys/types.h>

namespace filmarch {

// A folder as the system knows it, whatever path or mount reaches it.
struct FolderId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FolderId&) const = default;
};

// The identity of an open folder (or file); a default one when it cannot be read.
FolderId folderId(int fd);

// Destination of a reference entry in the backup folder: the same place below
// it as below the reference folder (keepTree), or straight in it ("En vrac"),
// relative to the backup folder.
QByteArray copyDestination(const SyncEntry& entry, bool keepTree);

// Opens a folder chosen by the user (links in its path are the user's own).
FileDescriptor openFolder(const QByteArray& folder);

// Where the two folders lie, one from the other, compared by identity up to
// the root of the system (links and mount points followed as the system does).
enum class Nesting { Apart, Same, BackupInReference, ReferenceInBackup };
Nesting folderNesting(const QByteArray& reference, const QByteArray& backup);

// Opens the folder `relative` ("SF/deux/") below the open folder `root`, one
// level after the other and never through a link, so that a folder swapped
// for a link once checked leads nowhere else. With `create`, missing levels
// are made. Returns an invalid descriptor on failure, with its reason (French)
// in `failure` and `throughLink` set when a link stood in the way.
FileDescriptor openBelow(
    int root, const QByteArray& relative, bool create, QString& failure, bool* throughLink = nullptr);

// Removes the file of a backup entry, reached from the open backup folder
// `root`. A link is removed itself, never what it points to; a folder is never
// removed; nothing outside `root`. Returns an empty text, or the reason of
// the failure (French).
QString deleteEntry(int root, const SyncEntry& entry);

} // namespace filmarch
