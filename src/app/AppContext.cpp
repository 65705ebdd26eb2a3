#include "app/AppContext.h"

#include "core/UserDialogs.h"

namespace filmarch {

AppContext::AppContext(const AppPaths& appPaths, UserDialogs& userDialogs)
    : paths(appPaths), dialogs(userDialogs), AccesFonctionsMedia(appPaths.mediaInfoLibrary()), lookup(IdHTTP1, appPaths)
{
    journal.reportError = [this](const QString& message) { dialogs.showError(message); };
}

ScanContext AppContext::scanContext(const OptionSource& options, ScanProgress& progress)
{
    ScanContext ctx;
    ctx.paths = paths;
    ctx.options = &options;
    ctx.dialogs = &dialogs;
    ctx.journal = &journal;
    ctx.progress = &progress;
    ctx.media = &AccesFonctionsMedia;
    ctx.http = &IdHTTP1;
    ctx.lookup = &lookup;
    return ctx;
}

} // namespace filmarch
