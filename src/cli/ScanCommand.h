#pragma once
// filmarch-cli DOSSIER CATALOGUE: a folder scanned into a new catalogue or
// into one to complete, with the settings of options.ini.
#include <QString>

namespace filmarch {

class AppPaths;

struct ScanCommandRequest {
    QString taches;            // -j as given; empty: the default
    int sousRepertoires = -1;  // -r 1, -R 0, -1: options.ini decides
    bool quiet = false;        // errors only
    bool drawProgress = false; // a bar on a terminal that takes cursor codes
    QString dossier;
    QString catalogue;
};

// Runs the scan and returns the command's exit status.
int runScanCommand(const ScanCommandRequest& request, const AppPaths& paths);

} // namespace filmarch
