#pragma once
// One scan run, made when the run starts and dropped when it ends: what it
// counts, what it said once, its log file and the work in hand, so that
// nothing of a run is left over for the next one. It writes the files in walk
// order (ScanRunFiles.cpp) and says in the log what the run did.
#include "filmdb/InfosFilmAllo.h"
#include "scan/ScanOutcome.h"
#include "scan/WalkItems.h"

#include <QSet>
#include <QString>
#include <memory>
#include <mutex>

namespace filmarch {

class CatalogueSession;
class LookupSource;
class MesFonctionMediaInfo;
class ScanPipeline;
class ScanServices;
class StopToken;
struct AnalysedFile;
struct ScanOptions;

class ScanRunState {
public:
    // `unlooked` is what the films written without a lookup get (empty but in
    // tests). The services and the catalogue outlive the state; the token is
    // shared with the analysis handles, which keep asking it after the run.
    ScanRunState(ScanServices& services, CatalogueSession& catalogue, std::shared_ptr<StopToken> stop,
        const InfosFilmAllo& unlooked);
    ~ScanRunState();
    ScanRunState(const ScanRunState&) = delete;
    ScanRunState& operator=(const ScanRunState&) = delete;

    // Decided when the run starts.
    QString catalogueFile; // the catalogue completed or created
    bool completing = false;
    bool ImageOnly = false;
    int loadedCount = 0; // entries of that catalogue when the run started

    void EcritureLog(const QString& Mes);
    // A save failed: the user is told (as an error or a message) and the run ends.
    void reportSaveFailure(const QString& logLine, const QString& message, bool asError = false);
    // The entries a failed save kept, taken first, or the file that holds them left alone.
    void logPendingEntries();

    // Has the items analysed ahead on worker threads and writes them here,
    // one after the other in walk order.
    void processFiles(const std::vector<WalkItem>& items);
    // The run's stop was just asked: a wait for a file ends.
    void wakeForStop();

    // Saves an XML catalogue and logs what the run did.
    void logSummary(const QString& elapsed);
    // Says why the run was stopped, if it was, and returns how it ended.
    ScanOutcome outcome();
    int newEntries() const { return compteur - loadedCount; }
    int notProcessed() const { return nonTraites; }

private:
    struct Slot;

    void prepareSlot(Slot& slot, const WalkItem& item);
    void TraitementFichier(Slot& slot);
    void writeEntry(const ScanOptions& opts, AnalysedFile& file, const InfosFilmAllo& infos);
    void lookUpByHand(const ScanOptions& opts, LookupSource& source, AnalysedFile& file);
    void sayNoServer(const ScanOptions& opts);
    void logLookupNotices();
    void reportToolFailure(const QString& tool, const QString& message);
    QString keepUnsavedEntries();

    ScanServices& services;
    CatalogueSession& catalogue;
    const std::shared_ptr<StopToken> stop;
    const InfosFilmAllo unlooked;
    const QString FichierLog;
    int compteur = 0; // entries of the catalogue once written: those loaded, taken and added
    int doublons = 0;
    int nonTraites = 0;        // files whose processing failed
    int filesAfterCurrent = 0; // what stopping now would leave out
    int PosTopFenAllo = 0;
    int PosLeftFenAllo = 0;
    bool noServerSaid = false;
    QSet<QString> failedTools;        // tools this run could not start
    ScanPipeline* pipeline = nullptr; // while files are processed
    std::mutex pipelineLock;          // a stop wakes the pipeline from another thread
};

} // namespace filmarch
