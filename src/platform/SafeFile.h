#pragma once
// Whole-file replacement for the files the user must never find half-written
// (catalogues, settings): the new content is written beside the target, in a
// hidden file of a unique name, and then takes its place in one rename. A
// failure (disk full, a killed process) leaves the previous file whole.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace filmarch {

// Replaces `path` by `bytes`, flushed to the disk. A file without any write
// permission is refused (also for root, whom the rename would let through).
// Where the folder cannot be written but the file can, the file is rewritten
// in place (not safe against a kill, but the only way there). The replaced
// file keeps its permissions, and its owner and group where the system allows.
// Throws Error carrying the reason; the caller adds what was being saved.
// `ownerOnly`: the file holds a secret, and is readable by its owner alone
// from its first byte on, whatever it was before.
void replaceFile(const QString& path, const QByteArray& bytes, bool ownerOnly = false);

// Replaces `to` the same way by the first `size` bytes of the file `from`.
void copyFile(const QString& from, const QString& to, qint64 size);

// Why `path` could not be replaced (or created), or an empty text when it can.
QString cannotReplaceReason(const QString& path);

// The hidden temporaries that saves of `path` (and of `path`.bak) leave when
// their process is killed, with those of earlier versions of the program.
QStringList leftoverTemporaries(const QString& path);

// Stable name of a file reached through links: saves go where it points.
QByteArray resolvedFileName(const QString& path);

// The name of a file kept beside `target`: `prefix` + the target's name +
// `suffix` in the same folder. Where that is longer than the folder allows,
// the target's name is cut and a digest of the whole name keeps files of
// different targets apart, so that a target of the longest allowed name still
// has its lock, temporaries and backup.
QByteArray besideName(const QByteArray& target, const QByteArray& prefix, const QByteArray& suffix);

// The backup of `path`: `path` + ".bak", shortened as above where needed.
QString backupFileName(const QString& path);

} // namespace filmarch
