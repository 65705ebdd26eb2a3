#pragma once
// The writers' Matroska steps, run before an entry's values are mapped.
namespace filmarch {

class ScanRun;
class TTraitement;
struct ScanOptions;

// On a file whose extension is exactly ".mkv": mkvmerge lists its attachments
// into Fichier when the poster or the attachment option is set, then, with
// the poster option, mkvextract writes the chosen picture to the poster folder
// and sets Fichier.LienAffiche. A poster that is only `passedOn` (the AMC
// writer stores it and deletes the file) keeps a temporary name and replaces
// no poster of the folder. Nothing runs when MKVToolNix was not found. A tool
// that passes its limits or runs when the run is stopped is ended, and the
// file is catalogued without what it would have given.
void runMatroskaSteps(ScanRun& run, TTraitement& Fichier, const ScanOptions& opts, bool passedOn);

} // namespace filmarch
