#pragma once
// Where the actions may write: the folder a copy goes to, and the check that
// keeps copies and deletions inside the backup folder.
#include "sync/SyncList.h"

namespace filmarch {

// Destination of a reference entry in the backup folder `sauvegarde`: the
// same place below it as below the reference folder (keepTree), or straight
// in it ("En vrac"). Built from path parts, whatever separators the folder
// texts end with.
QByteArray copyDestination(const SyncEntry& entry, const QString& sauvegarde, bool keepTree);

// True when `folder`, with every link resolved, is `root` or lies below it.
bool isInsideFolder(const QByteArray& folder, const QByteArray& root);

// Where the two folders lie, one from the other, with every link resolved.
enum class Nesting { Apart, Same, BackupInReference, ReferenceInBackup };
Nesting folderNesting(const QByteArray& reference, const QByteArray& backup);

// Makes the folder `relative` ("SF/deux/") below the backup folder `root`,
// one level after the other, never through a link: a link or a file on the
// way refuses the copy before anything is made. Returns an empty text, or
// the reason of the failure (French).
QString makeBackupFolder(const QByteArray& root, const QByteArray& relative);

// Removes the file of a backup entry. A link is removed itself, never what
// it points to; a folder is never removed; nothing outside `root`. Returns
// an empty text, or the reason of the failure (French).
QString deleteEntry(const SyncEntry& entry, const QString& root);

} // namespace filmarch
