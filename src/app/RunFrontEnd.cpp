#include "app/RunFrontEnd.h"

namespace filmarch {

namespace {
// What `call` answers on the windows' thread; `fallback` once they are gone.
template <typename Answer, typename Call>
Answer answerOf(CallsOnThread& calls, Answer fallback, const Call& call)
{
    calls.run([&] { fallback = call(); });
    return fallback;
}
} // namespace

RunFrontEnd::RunFrontEnd(QObject* window, UserDialogs& d, const OptionSource& o, ScanProgress& p)
    : calls(window), dialogs(d), source(o), progress(p)
{
}

void RunFrontEnd::showMessage(const QString& text)
{
    calls.run([&] { dialogs.showMessage(text); });
}

void RunFrontEnd::showError(const QString& text)
{
    calls.run([&] { dialogs.showError(text); });
}

QString RunFrontEnd::chooseFolder(const QString& caption)
{
    return answerOf(calls, QString(), [&] { return dialogs.chooseFolder(caption); });
}

CatalogueChoice RunFrontEnd::openCatalogue(int initialFilter)
{
    return answerOf(calls, CatalogueChoice(), [&] { return dialogs.openCatalogue(initialFilter); });
}

CatalogueChoice RunFrontEnd::saveCatalogue(int initialFilter)
{
    return answerOf(calls, CatalogueChoice(), [&] { return dialogs.saveCatalogue(initialFilter); });
}

ScanOptions RunFrontEnd::options() const
{
    // The options last read stand in once the windows are gone; only the run's thread asks.
    lastOptions = answerOf(calls, lastOptions, [this] { return source.options(); });
    return lastOptions;
}

void RunFrontEnd::setMaximum(int max)
{
    calls.run([&] { progress.setMaximum(max); });
}

void RunFrontEnd::setPosition(int position)
{
    current = position;
    calls.run([&] { progress.setPosition(position); });
}

void RunFrontEnd::setFileName(const QString& name)
{
    calls.run([&] { progress.setFileName(name); });
}

void RunFrontEnd::startFile(const QString& name)
{
    calls.run([&] { progress.startFile(name); });
}

ManualLookupDecision RunFrontEnd::lookUp(const ManualLookupRequest& request)
{
    // No window to decide: the run stops rather than write entries nobody chose.
    ManualLookupDecision stop;
    stop.kind = ManualLookupDecision::Stop;
    if (!manual)
        return stop;
    return answerOf(calls, stop, [&] { return manual->lookUp(request); });
}

} // namespace filmarch
