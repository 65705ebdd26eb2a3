#pragma once
// A hidden folder beside an export's destination where the result is written
// before it takes its place. Its owner holds a lock on it for as long as it
// lives, so that a later export can tell the folders of killed runs and remove
// them.
#include "platform/FileDescriptor.h"

#include <QString>
#include <QStringList>

namespace filmarch {

class WorkFolder {
public:
    // Makes ".<destination's name>.<kind>-<random>" beside the destination. Throws Error.
    WorkFolder(const QString& destination, const char* kind);
    ~WorkFolder(); // removes the folder unless it was released
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const QString& path() const { return folder; }
    // Brings to the disk what was written on the folder's file system since
    // the folder was made, and reports a failure of any of that writing: one
    // flush for all the files of a page, where a flush per file costs the
    // disk a commit each. On a network or user-space file system, `files`
    // (relative to the folder) are synced one by one instead. Throws Error.
    void syncAll(const QStringList& files) const;
    // The folder is no longer this object's to remove (it took another place).
    void release() { released = true; }

private:
    QString folder;
    FileDescriptor lock;
    bool released = false;
};

// The work folders of these kinds beside `destination` whose owner is gone.
QStringList deadWorkFolders(const QString& destination, const QStringList& kinds);

// The hidden temporary files that earlier versions wrote beside a CSV or
// Tellico destination (".<name>.filmarch-tmp-XXXXXX") and a kill left there.
QStringList oldTemporaryFiles(const QString& destination);

// Removes a folder and all it holds; links are removed, never followed.
void removeTree(const QString& path);

} // namespace filmarch
