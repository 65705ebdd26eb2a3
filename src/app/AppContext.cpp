#include "app/AppContext.h"

#include "core/UserDialogs.h"
#include "filmdb/PictureDownload.h"
#include "media/RemoteMediaInfo.h"

#include <QFileInfo>

namespace filmarch {

AppContext::AppContext(const AppPaths& appPaths, UserDialogs& userDialogs)
    : paths(appPaths), dialogs(userDialogs), AccesFonctionsMedia(appPaths.mediaInfoLibrary()), lookup(IdHTTP1, appPaths)
{
    journal.reportError = [this](const QString& message) { dialogs.showError(message); };
    limitRequests(posterClient);
}

std::unique_ptr<ScanRun> AppContext::newScanRun(const ScanFrontEnd& frontEnd)
{
    ScanContext ctx;
    ctx.paths = paths;
    ctx.options = frontEnd.options;
    ctx.dialogs = frontEnd.dialogs ? frontEnd.dialogs : &dialogs;
    ctx.journal = &journal;
    ctx.progress = frontEnd.progress;
    // Each file in hand is analysed by a helper process of its own when the
    // program has its helper beside it, else in this process (the library is
    // loaded already: a handle costs no load).
    const QString library = paths.mediaInfoLibrary();
    const QString helper = paths.programDir() + QStringLiteral("/filmarch-analyse");
    const bool helped = QFileInfo(helper).isExecutable();
    ctx.newMediaInfo = [library, helper, helped]() -> std::unique_ptr<MesFonctionMediaInfo> {
        if (helped)
            return std::make_unique<RemoteMediaInfo>(helper, library);
        return std::make_unique<MesFonctionMediaInfo>(library);
    };
    ctx.http = &posterClient;
    ctx.lookup = &lookup;
    ctx.manualLookup = frontEnd.manualLookup;
    ctx.CheminMkvToolNix = frontEnd.CheminMkvToolNix;
    ctx.toolFailuresOncePerRun = frontEnd.toolFailuresOncePerRun;
    ctx.taches = frontEnd.taches;
    ctx.onRunStarted = frontEnd.onRunStarted;
    ctx.onRunFinished = frontEnd.onRunFinished;
    return std::make_unique<ScanRun>(std::move(ctx));
}

} // namespace filmarch
