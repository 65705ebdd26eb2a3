#pragma once
// The one wiring point: the parts that the window, filmarch-cli and the tests
// share are made here once and tied together, and scan runs are built here.
#include "core/AppPaths.h"
#include "core/Journal.h"
#include "filmdb/FilmLookup.h"
#include "media/MediaInfoDll.h"
#include "platform/HttpClient.h"
#include "scan/ScanRun.h"

#include <functional>
#include <memory>

namespace filmarch {

class ManualLookup;
class OptionSource;
class ScanProgress;
class UserDialogs;

// What a front end brings to its scan runs.
struct ScanFrontEnd {
    const OptionSource* options = nullptr;
    ScanProgress* progress = nullptr;
    UserDialogs* dialogs = nullptr;       // none: the program's
    ManualLookup* manualLookup = nullptr; // none: the manual lookup is not offered
    QString CheminMkvToolNix;             // empty: MKVToolNix was not found
    bool toolFailuresOncePerRun = false;  // see ScanContext
    int taches = 0;                       // files analysed at once; 0: the default
    std::function<void()> onRunStarted;
    std::function<void()> onRunFinished;
};

class AppContext {
public:
    // Loads the MediaInfo library beside the program (throws Error when it
    // cannot). The log reports its file errors through `dialogs`, which must
    // outlive the context.
    AppContext(const AppPaths& paths, UserDialogs& dialogs);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // A scan run of the front end, tied to these parts.
    std::unique_ptr<ScanRun> newScanRun(const ScanFrontEnd& frontEnd);

    // Where the settings, the log and the stored answers go.
    const AppPaths paths;
    UserDialogs& dialogs;
    // Each front end shows the log lines its own way (Journal::memo).
    Journal journal;
    // The MediaInfo object of the program; runs make handles of their own beside it.
    MesFonctionMediaInfo AccesFonctionsMedia;
    // The HTTP client of every film-database request (its cookies last as
    // long as the program).
    HttpClient IdHTTP1;
    // The runs download posters with a client of their own, its limits set once.
    HttpClient posterClient;
    // The film-database lookups of the runs and of the lookup window.
    FilmLookup lookup;
};

} // namespace filmarch
