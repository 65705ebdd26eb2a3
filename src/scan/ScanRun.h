#pragma once
// The scan run: walks a folder, has every file analysed (several at once) and
// writes one catalogue entry per film, in walk order. It lives as long as its
// front end: what lasts between runs is here (the services, the catalogue
// chosen), and each run is a ScanRunState of its own.
#include "filmdb/InfosFilmAllo.h"
#include "scan/CatalogueSession.h"
#include "scan/ScanOutcome.h"
#include "scan/ScanServices.h"
#include "scan/StopToken.h"

#include <QString>
#include <memory>
#include <mutex>
#include <optional>

namespace filmarch {

class ScanRunState;

// The fields of the Scan page that a run reads.
struct ScanRequest {
    QString EdCheminRepScan;
    QString EdCheminCataloCree;
    QString EdCheminCataloExistant;
};

// What the Scan page shows after a run.
struct ScanResult {
    ScanOutcome outcome = ScanOutcome::NotStarted;
    // The run went through the folder: the new catalogue's choice is used up.
    bool ran = false;
    // The catalogue to complete no longer validates: the page forgets it.
    bool catalogueRefused = false;
    // Entries of the catalogue completed when the run started; -1 when none.
    int entriesAtStart = -1;
    // Entries this run added, and files it could not process.
    int newEntries = 0;
    int notProcessed = 0;
};

class ScanRun {
public:
    explicit ScanRun(ScanContext context);
    ~ScanRun();
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;

    // Validates and loads the catalogue to complete at `path`. Returns its
    // number of entries, or -1 (see CatalogueSession::validate).
    int validitecatalogue(const QString& path, bool tellBusy = true) { return catalogue.validate(path, tellBusy); }
    // The last validation was refused because another run writes the catalogue.
    bool catalogueInUse() const { return catalogue.inUse(); }
    // Releases the catalogue held in memory, if any.
    void releaseCatalogue() { catalogue.release(); }
    bool holdsCatalogue() const { return catalogue.holdsCatalogue(); }

    // The whole run ("Lancer le scan"). A catalogue that cannot be written is
    // refused before anything is analysed, as a failed save.
    ScanResult BtLanceScanClick(const ScanRequest& request);
    // Ends the analysis handles (their helper processes) between runs; the
    // next run makes them again. Nothing happens while a run is under way.
    void releaseAnalysers() { services.releaseAnalysers(); }
    bool holdsAnalysers() const { return !services.analysers().empty(); }

    // Ends the run after the file being written (the progress window's "Stop",
    // Ctrl-C); asked before a run starts, it stops that run at once. Asked from
    // any thread: a window's run works on a thread of its own.
    void requestStop();
    // The user stopped the run under way (or the next one), from the progress
    // window or the lookup window.
    bool stopRequested() const;

    void setManualLookup(ManualLookup* lookup) { services.ctx.manualLookup = lookup; }
    // MKVToolNix is looked for after the run is made (the window's start).
    void setMkvToolFolder(const QString& folder) { services.ctx.CheminMkvToolNix = folder; }

    // Decided by the run when it starts: the catalogue it completes or creates.
    QString CatalogueActif;
    // Looked-up values for the films of the next run written without a lookup
    // (empty but in tests).
    InfosFilmAllo infosFilmAllo;

private:
    ScanOutcome runScan(ScanRunState& run, const ScanRequest& request, ScanResult& result);
    std::optional<ScanOutcome> prepareRun(ScanRunState& run, const ScanRequest& request, ScanResult& result);
    void finishRun();

    ScanServices services;
    CatalogueSession catalogue; // the catalogue being written, from its validation to the run's end
    // The stop of the run under way, or of the next one: made anew when a run ends.
    std::shared_ptr<StopToken> stop = std::make_shared<StopToken>();
    ScanRunState* current = nullptr; // the run under way
    mutable std::mutex stopLock;     // `stop` and `current`, which a stop asks from another thread
};

} // namespace filmarch
