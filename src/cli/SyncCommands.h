#pragma once
// filmarch-cli --comparer and --copier: the synchronisation tool from the
// terminal. It compares and copies; it never deletes.
#include <QString>

namespace filmarch {

class AppPaths;

struct SyncRequest {
    bool copier = false; // --copier, else --comparer
    bool sousRepertoires = false;
    bool vrac = false;
    bool nul = false;          // --comparer -0: NUL-ended records holding the names' own bytes
    bool quiet = false;        // errors only
    bool drawProgress = false; // a bar on a terminal that takes cursor codes
    QString reference;
    QString sauvegarde;
};

// Runs the comparison or the copy and returns the command's exit status.
int runSyncCommand(const SyncRequest& request, const AppPaths& paths);

} // namespace filmarch
