#pragma once
// What scan runs share for the program's life: the program around them, and
// the analysis handles that one run makes and the next ones keep.
#include "core/AppPaths.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace filmarch {

class OptionSource;
class UserDialogs;
class Journal;
class ScanProgress;
class MesFonctionMediaInfo;
class HttpClient;
class ManualLookup;
class FilmLookup;
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

class ScanServices {
public:
    explicit ScanServices(ScanContext context);
    ~ScanServices();
    ScanServices(const ScanServices&) = delete;
    ScanServices& operator=(const ScanServices&) = delete;

    ScanContext ctx;

    // The options as they are now (the window's may change during a run).
    ScanOptions options() const;

    // One analysis handle per file in hand, made when a run starts and kept
    // for the next ones: a handle that works in a helper process starts it
    // then, before any catalogue is locked. A process started while the lock
    // is held shares it until it runs its program, so a scan killed at that
    // moment would leave the catalogue locked for that long; only a helper
    // replacing one that died is started while a catalogue is locked.
    const std::vector<std::unique_ptr<MesFonctionMediaInfo>>& analysers() const { return handles; }
    void makeAnalysers();
    // Ends the handles (their helper processes); nothing happens while a run is under way.
    void releaseAnalysers();
    // Set for the length of a run: its handles stay.
    std::atomic<bool> running = false;

private:
    std::vector<std::unique_ptr<MesFonctionMediaInfo>> handles;
};

// How many files a run has in hand at once by default: twice the processor cores.
int defaultTaches();
// The most files a run takes at once: beyond four per core they only slow it
// down, and each takes memory (a helper process), so fewer when little is free.
int mostTaches();
// The files a run asking for `taches` analyses at once takes (0: the default).
int tachesFor(int taches);

} // namespace filmarch
