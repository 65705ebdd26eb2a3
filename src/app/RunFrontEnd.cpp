#include "app/RunFrontEnd.h"

namespace filmarch {

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
    QString folder;
    calls.run([&] { folder = dialogs.chooseFolder(caption); });
    return folder;
}

CatalogueChoice RunFrontEnd::openCatalogue(int initialFilter)
{
    CatalogueChoice choice;
    calls.run([&] { choice = dialogs.openCatalogue(initialFilter); });
    return choice;
}

CatalogueChoice RunFrontEnd::saveCatalogue(int initialFilter)
{
    CatalogueChoice choice;
    calls.run([&] { choice = dialogs.saveCatalogue(initialFilter); });
    return choice;
}

ScanOptions RunFrontEnd::options() const
{
    // Only the run's thread asks, one call at a time.
    calls.run([this] { lastOptions = source.options(); });
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
    ManualLookupDecision decision;
    decision.kind = ManualLookupDecision::Stop;
    if (manual)
        calls.run([&] { decision = manual->lookUp(request); });
    return decision;
}

} // namespace filmarch
