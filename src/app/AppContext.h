#pragma once
// The one wiring point: the parts that the window, filmarch-cli and the tests
// share are made here once and tied together.
#include "core/AppPaths.h"
#include "core/Journal.h"
#include "filmdb/FilmLookup.h"
#include "media/MediaInfoDll.h"
#include "platform/HttpClient.h"
#include "scan/ScanRun.h"

namespace filmarch {

class OptionSource;
class ScanProgress;
class UserDialogs;

class AppContext {
public:
    // Loads the MediaInfo library beside the program (throws Error when it
    // cannot). The log reports its file errors through `dialogs`, which must
    // outlive the context.
    AppContext(const AppPaths& paths, UserDialogs& dialogs);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // What a scan run needs: these parts, with the options and the progress
    // of the front end.
    ScanContext scanContext(const OptionSource& options, ScanProgress& progress);

    // Where the settings, the log and the stored answers go.
    const AppPaths paths;
    UserDialogs& dialogs;
    // Each front end shows the log lines its own way (Journal::memo).
    Journal journal;
    // The one MediaInfo object of the program.
    MesFonctionMediaInfo AccesFonctionsMedia;
    // The one HTTP client of the program (its cookies last as long): posters
    // and every film-database request.
    HttpClient IdHTTP1;
    // The film-database lookups of the runs and of the lookup window.
    FilmLookup lookup;
};

} // namespace filmarch
