#pragma once
// filmarch-cli --verifier: a catalogue compared with the disk. It reports;
// it changes the catalogue only as --appliquer and --retirer-absents say.
#include <QString>

namespace filmarch {

class AppPaths;

struct VerifyRequest {
    QString catalogue;
    QString dossier;             // empty: the folders of the entries' files
    bool appliquer = false;      // moved entries take their new path
    bool retirerAbsents = false; // entries whose file is gone and not found are removed
    bool nul = false;            // NUL-ended records holding the names' own bytes
    bool quiet = false;
};

// Runs the verification and returns the command's exit status.
int runVerifyCommand(const VerifyRequest& request, const AppPaths& paths);

} // namespace filmarch
