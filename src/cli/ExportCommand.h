#pragma once
// filmarch-cli --exporter: a catalogue as a web page, a Tellico collection or
// CSV, from the terminal. The catalogue is only read.
#include <QString>

namespace filmarch {

struct ExportRequest {
    QString forme; // html, tellico or csv
    QString catalogue;
    QString sortie;
    bool drawProgress = false; // a bar on a terminal that takes cursor codes
    bool remplacer = false;    // an existing file of the user's may be replaced
    bool csvBrut = false;      // CSV values as they are, field tags in a second header line
};

// Runs the export and returns the command's exit status.
int runExportCommand(const ExportRequest& request);

} // namespace filmarch
