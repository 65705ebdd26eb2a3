#pragma once
// The Matroska steps of one analysed film, run before its entry is made.
#include <QString>
#include <functional>

namespace filmarch {

class TTraitement;
struct ScanOptions;

// Where the steps report: log lines, and a tool that could not be started.
struct MatroskaReports {
    std::function<void(const QString& line)> log;
    std::function<void(const QString& tool, const QString& message)> toolFailure;
    // The command line also reports a mkvextract that cannot start (the
    // window only logs it).
    bool extractFailures = false;
    // True once the run is stopped: a tool running then is ended.
    std::function<bool()> stopRequested;
};

// On a file whose extension is exactly ".mkv": mkvmerge lists its attachments
// into Fichier when the poster or the attachment option is set, then, with
// the poster option, mkvextract writes the chosen picture to the poster folder
// and sets Fichier.LienAffiche. A poster that is only `passedOn` keeps a
// temporary name of its own and replaces no poster of the folder. Nothing runs
// when `toolFolder` (MKVToolNix's folder) is empty. A tool that passes its
// limits or runs when the run is stopped is ended, and the file is catalogued
// without what it would have given.
void runMatroskaSteps(const QString& toolFolder, TTraitement& Fichier, const ScanOptions& opts, bool passedOn,
    const MatroskaReports& reports);

} // namespace filmarch
