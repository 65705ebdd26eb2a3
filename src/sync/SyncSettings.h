#pragma once
// The last two folders of the synchronisation tool, section "Synchro" of
// options.ini. Both throw Error (with a French message) on failure.
#include <QString>

namespace filmarch {

class AppPaths;

struct SyncFolders {
    QString DernierRepRef;
    QString DernierRepSauv;
};

SyncFolders readSyncFolders(const AppPaths& paths);
// Every other section and key of the file stays as it is.
void writeSyncFolders(const AppPaths& paths, const SyncFolders& folders);

} // namespace filmarch
