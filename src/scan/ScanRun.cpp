#include "scan/ScanRun.h"

#include "core/Journal.h"
#include "core/Options.h"
#include "core/ScanProgress.h"
#include "core/UserDialogs.h"
#include "filmdb/FilmLookup.h"
#include "platform/ReadableName.h"
#include "scan/AmcWriter.h"
#include "scan/ScanRunState.h"
#include "scan/WalkItems.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>

namespace filmarch {

namespace {
// "HH:mm:ss" of a duration; a run longer than a day keeps counting hours.
QString formatElapsed(qint64 ms)
{
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

ScanRun::ScanRun(ScanContext context) : services(std::move(context)), catalogue(*services.ctx.dialogs)
{
}

ScanRun::~ScanRun() = default;

void ScanRun::requestStop()
{
    {
        // Held while the run is woken: it cannot end meanwhile.
        std::lock_guard guard(stopLock);
        stop->stop(StopReason::User);
        if (current)
            current->wakeForStop();
    }
    // A lookup waiting before it asks the service again ends now.
    if (services.ctx.lookup)
        services.ctx.lookup->interrupt();
}

bool ScanRun::stopRequested() const
{
    std::lock_guard guard(stopLock);
    return stop->stoppedByUser();
}

ScanResult ScanRun::BtLanceScanClick(const ScanRequest& request)
{
    ScanResult result;
    // The handles stay while the run is under way; the next run gets a stop of its own.
    services.running = true;
    const auto ended = qScopeGuard([this] {
        services.running = false;
        std::lock_guard guard(stopLock);
        stop = std::make_shared<StopToken>();
    });
    // Failures of one file are handled where the file is processed; anything
    // else ends the run (the window is restored by then) with a message.
    try {
        std::shared_ptr<StopToken> runStop;
        {
            std::lock_guard guard(stopLock);
            runStop = stop;
        }
        ScanRunState run(services, catalogue, runStop, infosFilmAllo);
        {
            std::lock_guard guard(stopLock);
            current = &run;
        }
        const auto gone = qScopeGuard([this] {
            std::lock_guard guard(stopLock);
            current = nullptr;
        });
        result.outcome = runScan(run, request, result);
    } catch (const std::exception& e) {
        services.ctx.dialogs->showError(
            QStringLiteral("Le scan s'est arrêté sur une erreur : ") + QString::fromStdString(e.what()));
        result.outcome = ScanOutcome::Failed;
    }
    return result;
}

ScanOutcome ScanRun::runScan(ScanRunState& run, const ScanRequest& request, ScanResult& result)
{
    const ScanContext& ctx = services.ctx;
    run.EcritureLog(QStringLiteral("Début du scan du répertoire ") + request.EdCheminRepScan);
    const ScanOptions opts = services.options();
    run.ImageOnly = opts.CbPieceJointe && opts.CbfichiersImages;
    QElapsedTimer chrono;
    chrono.start();
    if (const std::optional<ScanOutcome> refused = prepareRun(run, request, result))
        return *refused;

    if (ctx.lookup)
        ctx.lookup->startRun();
    if (ctx.onRunStarted)
        ctx.onRunStarted();

    const auto finisher = qScopeGuard([this] { finishRun(); });
    result.ran = true;

    ctx.progress->setPosition(0);
    int total = 0;
    std::vector<WalkItem> items = walkFolder(
        request.EdCheminRepScan, opts.CbExploreSousRep, [this] { return stop->stopped(); }, total);
    if (opts.CbRegrouperParties)
        groupParts(items);
    ctx.progress->setMaximum(total);
    run.processFiles(items);

    run.logSummary(formatElapsed(chrono.elapsed()));
    result.newEntries = run.newEntries();
    result.notProcessed = run.notProcessed();
    return run.outcome();
}

// The checks of the request and the catalogue made ready; an outcome when the
// run ends there.
std::optional<ScanOutcome> ScanRun::prepareRun(ScanRunState& run, const ScanRequest& request, ScanResult& result)
{
    const ScanContext& ctx = services.ctx;
    if (request.EdCheminRepScan.isEmpty() || !QFileInfo(request.EdCheminRepScan).isDir()) {
        ctx.dialogs->showMessage(QStringLiteral("Veuillez sélectionner en premier un répertoire valide pour le scan"));
        return ScanOutcome::NotStarted;
    }
    if (request.EdCheminCataloCree.isEmpty() && request.EdCheminCataloExistant.isEmpty()) {
        ctx.dialogs->showMessage(
            QStringLiteral("Choisir l'un des deux scans possibles : Créer catalogue ou Complèter catalogue"));
        return ScanOutcome::NotStarted;
    }
    // Before any catalogue is locked (see ScanServices::analysers).
    services.makeAnalysers();
    // What killed runs left in the temporary folder.
    removeOrphanedNameFolders();
    run.completing = request.EdCheminCataloCree.isEmpty();
    run.catalogueFile = run.completing ? request.EdCheminCataloExistant : request.EdCheminCataloCree;
    CatalogueActif = run.catalogueFile;
    switch (catalogue.prepare(run.catalogueFile, run.completing)) {
    case CatalogueSession::Preparation::Ready: break;
    case CatalogueSession::Preparation::Unusable:
        result.catalogueRefused = true;
        CatalogueActif.clear();
        return ScanOutcome::NotStarted;
    case CatalogueSession::Preparation::Refused: return ScanOutcome::NotStarted;
    case CatalogueSession::Preparation::NotWritable: {
        const QString line = QStringLiteral("Enregistrement du catalogue impossible : %1 (%2)")
                                 .arg(run.catalogueFile, catalogue.notWritableReason());
        const bool xml = catalogue.kind() == CatalogueKind::Xml;
        run.reportSaveFailure(line, xml ? line : amcSaveFailedMessage(), xml);
        return ScanOutcome::CatalogueNotWritten;
    }
    }
    run.loadedCount = catalogue.loadedCount();
    if (run.completing)
        result.entriesAtStart = run.loadedCount;
    run.logPendingEntries();
    return std::nullopt;
}

// Everything after the walk that must happen however the run ended.
void ScanRun::finishRun()
{
    catalogue.finish();
    if (services.ctx.journal && services.ctx.journal->memo)
        services.ctx.journal->memo(QString());
    infosFilmAllo.fill(QString());
    services.ctx.progress->setPosition(0);
    if (services.ctx.onRunFinished)
        services.ctx.onRunFinished();
}

} // namespace filmarch
