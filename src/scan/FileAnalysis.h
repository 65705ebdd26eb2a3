#pragma once
// What a scan run learns of one file before its entry is written: the
// analysis, the title, the Matroska steps and the automatic lookup. Runs on a
// worker thread: it tells nobody anything, it records what is to be said, and
// the run says it when it takes the file in walk order.
#include "core/Options.h"
#include "filmdb/InfosFilmAllo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace filmarch {

class FilmLookup;
class LookupSource;
class MesFonctionMediaInfo;
class TTraitement;

struct AnalysisJob {
    QString path;
    QByteArray nativePath; // the name's bytes on disk, where they are not `path`'s
    QStringList otherParts; // the other files of a film in several parts, in part order
    ScanOptions opts; // as they were when the file's turn was given
    bool ImageOnly = false;
    bool lookUp = false;                   // look the film up automatically
    QString toolFolder;                    // MKVToolNix, ending with '/'; empty: no Matroska steps
    bool extractFailures = false;          // a mkvextract that cannot start is also reported
    MesFonctionMediaInfo* media = nullptr; // this job's own library handle
    LookupSource* source = nullptr;        // the film database of the automatic lookup
    FilmLookup* lookup = nullptr;          // what the lookups have to say once in the run
    std::function<bool()> stopRequested;   // the run is stopped: a running tool is ended
};

// A log line, or (with `tool` set) a tool that could not be started.
struct ScanReport {
    QString tool;
    QString text;
};

struct AnalysedFile {
    std::unique_ptr<TTraitement> Fichier; // a film; null for any other file
    QString filmName;                     // the name shown for a film, once its title was found
    bool failed = false;                  // something failed: the file is not catalogued
    bool looked = false;                  // the automatic lookup ran: `infos` holds what it found
    InfosFilmAllo infos;
    // What the lookup logged, then what the Matroska steps reported, in order.
    std::vector<ScanReport> lookupReports;
    std::vector<ScanReport> toolReports;

    AnalysedFile();
    ~AnalysedFile();
    AnalysedFile(AnalysedFile&&) noexcept;
    AnalysedFile& operator=(AnalysedFile&&) noexcept;
    // Removes what the file left behind when no entry is made of it (an
    // extracted poster).
    void discard();
};

AnalysedFile analyseFile(const AnalysisJob& job);

} // namespace filmarch
