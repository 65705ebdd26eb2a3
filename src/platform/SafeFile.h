#pragma once
// Whole-file replacement for the files the user must never find half-written
// (catalogues, settings): the new content is written beside the target and
// then takes its place in one rename. A failure (disk full, a killed process)
// leaves the previous file whole.
#include <QByteArray>
#include <QString>

namespace filmarch {

enum class SaveMode {
    // The data reaches the disk before the file takes the target's place.
    Durable,
    // For a file rewritten again and again (a catalogue saved after every
    // entry): the previous version is kept as a hidden spare file beside the
    // target and overwritten in place at the next save, then swapped with the
    // target, which spares the file system a new file per save. Nothing is
    // forced to the disk; finishRepeatedSaves() does that once at the end.
    Repeated,
};

// Replaces `path` by `bytes`. A file without any write permission is refused
// (also for root, whom the rename would let through). Throws Error carrying
// the reason; the caller adds what was being saved.
void replaceFile(const QString& path, const QByteArray& bytes, SaveMode mode = SaveMode::Durable);

// Ends a series of Repeated saves: forces the file to the disk and deletes
// the spare. Failures are ignored (the file itself is complete either way).
void finishRepeatedSaves(const QString& path);

} // namespace filmarch
