#pragma once
// One copy task of the synchronisation tool, a file at a time: the ticked
// reference files the backup lacks, copied into it. Copying touches neither
// the lists, the log nor a window, so that a window can have each file copied
// on a thread of its own; SyncTool starts and ends the task.
#include "platform/FileCopy.h"
#include "platform/FileDescriptor.h"
#include "sync/SyncList.h"

#include <QSet>
#include <QStringList>

#include <atomic>
#include <vector>

namespace filmarch {

struct CopyReport {
    int count = 0;        // ticked entries, copied or not
    int copied = 0;       // files that reached the backup
    int abandoned = 0;    // left out by "Arrêter"
    QStringList failures; // "path : reason"
    bool stopped = false;
};

class CopyTask {
public:
    // The entries of `list` ticked now, last first, copied from `reference`
    // into `backup` (the tree kept or not); both folders are held open from
    // now to the end. `stop` is "Arrêter".
    CopyTask(const SyncList& list, const QString& reference, const QString& backup, bool keepTree,
        const std::atomic<bool>& stop);

    // True while a ticked file is left.
    bool pending() const { return next < files.size(); }
    // "Copie du fichier k/n", for the next file.
    QString caption() const;
    // Copies the next file, or leaves it out once `stop` is set; either way it
    // is taken out of the list at the end. One call at a time, on any thread.
    void copyNext(CopyProgress* progress);
    // What the task did; `stopped` once it has no file left.
    CopyReport report() const;
    // The entries of the list taken by the task, by their place in it.
    const std::vector<bool>& taken() const { return gone; }

private:
    struct File {
        std::size_t place; // in the list
        SyncEntry entry;
    };
    std::vector<File> files;
    std::size_t next = 0;
    bool keepTree;
    const std::atomic<bool>& stop;
    // Every step of a copy is made relative to these two, never through a
    // path that could be swapped meanwhile.
    FileDescriptor backupRoot, referenceRoot;
    QSet<QByteArray> cleaned; // folders rid of the leftovers of killed copies
    std::vector<bool> gone;
    CopyReport done;
};

} // namespace filmarch
