#pragma once
// The scan run: walks a folder, has every file analysed (several at once) and
// writes one catalogue entry per film, in walk order.
#include "core/AppPaths.h"
#include "filmdb/InfosFilmAllo.h"
#include "scan/CatalogueSession.h"
#include "scan/StopToken.h"

#include <QSet>
#include <QString>
#include <functional>
#include <memory>

namespace filmarch {

class OptionSource;
class UserDialogs;
class Journal;
class ScanProgress;
class MesFonctionMediaInfo;
class HttpClient;
class ManualLookup;
class ScanPipeline;
class FilmLookup;
class LookupSource;
struct AnalysedFile;
struct ScanOptions;

// What a run needs from the program around it. Pointers are not owned.
struct ScanContext {
    AppPaths paths;
    const OptionSource* options = nullptr;
    UserDialogs* dialogs = nullptr;
    Journal* journal = nullptr;
    ScanProgress* progress = nullptr;
    // Makes one analysis handle of the MediaInfo library (one per file in hand,
    // made with the run and kept for its life).
    std::function<std::unique_ptr<MesFonctionMediaInfo>()> newMediaInfo;
    // Posters are downloaded with it; its owner set its limits.
    HttpClient* http = nullptr;
    // The film-database lookups (shared with the lookup window).
    FilmLookup* lookup = nullptr;
    // Asked for each film when the manual film-database lookup is in force.
    ManualLookup* manualLookup = nullptr;
    // Folder of mkvmerge and mkvextract, ending with '/'; empty when MKVToolNix
    // was not found, and then the Matroska options have no effect.
    QString CheminMkvToolNix;
    // The command line says once per run that a Matroska tool cannot be
    // started (mkvextract too, which the window only logs); the window shows
    // mkvmerge's error box at every file.
    bool toolFailuresOncePerRun = false;
    // Files analysed at once ahead of the one being written; 1 takes one file
    // after the other, 0 twice the number of processor cores; never more than
    // mostTaches().
    int taches = 0;
    // The window shows the progress window and locks itself when a run starts,
    // and restores everything when it ends (always called, whatever failed).
    std::function<void()> onRunStarted;
    std::function<void()> onRunFinished;
};

// How a run ended.
enum class ScanOutcome {
    NotStarted, // refused before anything was analysed (its message was shown)
    Finished,
    Stopped,             // by the user; what was saved stands
    CatalogueNotWritten, // a save failed or the catalogue could not be written (the user was told)
    Failed,              // an unexpected failure ended the run (the user was told)
};

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
    void releaseAnalysers();
    bool holdsAnalysers() const { return !analysers.empty(); }

    // Ends the run after the file being written (the progress window's "Stop",
    // Ctrl-C); asked before a run starts, it stops that run at once.
    void requestStop();
    // The user stopped the run under way (or the next one), from the progress
    // window or the lookup window.
    bool stopRequested() const { return stop->stoppedByUser(); }

    void EcritureLog(const QString& Mes);
    ScanOptions options() const;
    const ScanContext& context() const { return ctx; }
    void setManualLookup(ManualLookup* lookup) { ctx.manualLookup = lookup; }
    // MKVToolNix is looked for after the run is made (the window's start).
    void setMkvToolFolder(const QString& folder) { ctx.CheminMkvToolNix = folder; }

    // Decided by the run when it starts: the catalogue it completes or creates.
    QString CatalogueActif;
    // Looked-up values for the films written without a lookup (empty but in tests).
    InfosFilmAllo infosFilmAllo;
    int filesAfterCurrent = 0; // what stopping now would leave out

private:
    struct WalkItem;
    struct Slot;

    ScanOutcome runScan(const ScanRequest& request, ScanResult& result);
    std::vector<WalkItem> walkFolder(const QString& folder, bool subFolders, int& files);
    void groupParts(std::vector<WalkItem>& items);
    void processFiles(const std::vector<WalkItem>& items);
    void prepareSlot(Slot& slot, const WalkItem& item);
    void TraitementFichier(Slot& slot);
    void writeEntry(const ScanOptions& opts, AnalysedFile& file, const InfosFilmAllo& infos);
    void lookUpByHand(const ScanOptions& opts, LookupSource& source, AnalysedFile& file);
    void sayNoServer(const ScanOptions& opts);
    void logLookupNotices();
    void reportSaveFailure(const QString& logLine, const QString& message, bool asError = false);
    void reportToolFailure(const QString& tool, const QString& message);
    void logSummary(const QString& elapsed);
    QString keepUnsavedEntries();
    void logPendingEntries();
    void finishRun();
    void makeAnalysers();

    ScanContext ctx;
    CatalogueSession catalogue; // the catalogue being written, from its validation to the run's end
    QString FichierLog;
    int compteur = 0;
    int doublons = 0;
    int nonTraites = 0; // files whose processing failed
    bool ImageOnly = false;
    int PosTopFenAllo = 0;
    int PosLeftFenAllo = 0;
    // The stop of the run under way, or of the next one: made anew when a run ends.
    std::unique_ptr<StopToken> stop = std::make_unique<StopToken>();
    bool completing = false; // the run in progress completes a catalogue
    int loadedCount = 0;              // entries of that catalogue when the run started
    bool noServerSaid = false;
    QSet<QString> failedTools;        // tools this run could not start
    ScanPipeline* pipeline = nullptr; // while files are processed
    // One analysis handle per file in hand, made when a run starts and kept
    // for the next ones: a handle that works in a helper process starts it
    // then, before any catalogue is locked. A process started while the lock
    // is held shares it until it runs its program, so a scan killed at that
    // moment would leave the catalogue locked for that long; only a helper
    // replacing one that died is started while a catalogue is locked.
    std::vector<std::unique_ptr<MesFonctionMediaInfo>> analysers;
    bool running = false; // a run is under way: its handles stay
};

// How many files a run has in hand at once by default: twice the processor cores.
int defaultTaches();
// The most files a run takes at once: beyond four per core they only slow it
// down, and each takes memory (a helper process), so fewer when little is free.
int mostTaches();

} // namespace filmarch
