#pragma once
// The files of an export on the disk: written whole and synced before they are
// put in place, and failures said in French (a full disk first of all).
#include <QByteArray>
#include <QString>

namespace filmarch {

// The reason for a failed system call, in French for what an export meets.
QString diskReason(int error);

// Writes `bytes` to a new file at `path` and syncs it. Throws Error.
void writeSyncedFile(const QString& path, const QByteArray& bytes);

// Writes `bytes` to a new file at `path`, to be synced with the others of its
// work folder by WorkFolder::syncAll() before they are put in place. Throws Error.
void writeUnsyncedFile(const QString& path, const QByteArray& bytes);

// Syncs a file or a folder already written (a folder: the names in it). Throws Error.
void syncPath(const QString& path);

// `path` without the trailing "/" that tab completion adds, made absolute.
QString cleanDestination(const QString& path);

} // namespace filmarch
