#include "scan/ScanRunState.h"

#include "core/Journal.h"
#include "core/UserDialogs.h"
#include "platform/Error.h"
#include "scan/CatalogueSession.h"
#include "scan/ScanPipeline.h"
#include "scan/ScanServices.h"
#include "scan/StopToken.h"

namespace filmarch {

ScanRunState::ScanRunState(ScanServices& scanServices, CatalogueSession& session, std::shared_ptr<StopToken> runStop,
    const InfosFilmAllo& unlookedInfos)
    : services(scanServices),
      catalogue(session),
      stop(std::move(runStop)),
      unlooked(unlookedInfos),
      FichierLog(Journal::logFilePath(scanServices.ctx.paths))
{
}

ScanRunState::~ScanRunState() = default;

void ScanRunState::EcritureLog(const QString& Mes)
{
    if (services.ctx.journal)
        services.ctx.journal->EcritureLog(FichierLog, Mes);
}

void ScanRunState::reportSaveFailure(const QString& logLine, const QString& message, bool asError)
{
    stop->stop(StopReason::SaveFailed);
    EcritureLog(logLine);
    if (asError)
        services.ctx.dialogs->showError(message);
    else
        services.ctx.dialogs->showMessage(message);
}

void ScanRunState::wakeForStop()
{
    std::lock_guard guard(pipelineLock);
    if (pipeline)
        pipeline->wakeForStop();
}

// After a failed save the log already says so, and nothing claims otherwise.
void ScanRunState::logSummary(const QString& elapsed)
{
    // The XML catalogue is written once, at the end of the run. A failure is
    // logged and shown in place of the summary: nothing of this run was kept.
    if (!stop->stoppedBy(StopReason::SaveFailed) && compteur > 0 && catalogue.kind() == CatalogueKind::Xml) {
        try {
            catalogue.saveXml();
        } catch (const Error& e) {
            EcritureLog(e.message());
            const QString kept = keepUnsavedEntries();
            QString message = e.message() + u'\n' + kept;
            if (completing)
                message += QStringLiteral("\nLe catalogue précédent est conservé.");
            reportSaveFailure(kept, message, true);
        }
    }
    if (stop->stoppedBy(StopReason::SaveFailed))
        return;
    if (compteur == 0 && stop->stoppedByUser()) {
        EcritureLog(QStringLiteral("Le scan a été arrêté avant qu'une vidéo soit cataloguée."));
    } else if (compteur == 0 && nonTraites > 0) {
        EcritureLog(QStringLiteral("Aucun fichier n'a pu être catalogué. Aucun catalogue crée"));
    } else if (compteur == 0) {
        EcritureLog(QStringLiteral("Le scan n'a détecté aucune video. Aucun catalogue crée"));
    } else if (!completing) {
        EcritureLog(QStringLiteral("Création d'un nouveau catalogue de à l'emplacement ") + catalogueFile);
        EcritureLog(QStringLiteral("Nouvelles entrées : %1         Nombre Total : %1        Temps écoulé :%2")
                        .arg(compteur)
                        .arg(elapsed));
    } else {
        EcritureLog(QStringLiteral("Catalogue complété à l'emplacement ") + catalogueFile);
        EcritureLog(QStringLiteral("Nouvelles entrées : %1         Nombre Total : %2         Doublons détecté : "
                                   "%3        Temps écoulé :%4")
                        .arg(compteur - loadedCount)
                        .arg(compteur)
                        .arg(doublons)
                        .arg(elapsed));
    }
    if (nonTraites > 0)
        EcritureLog(QStringLiteral("Fichiers non traités : %1").arg(nonTraites));
}

ScanOutcome ScanRunState::outcome()
{
    if (stop->stoppedBy(StopReason::User))
        EcritureLog(QStringLiteral(
            "Le scan a été coupé par l'utilisateur, le catalogue risque d'être incomplet ou corrompu.Une "
            "sauveagrde en .bak se trouve dans le dossier du catalogue actuel"));
    else if (stop->stoppedBy(StopReason::LookupWindow))
        EcritureLog(QStringLiteral("Le scan a été arrêté par l'utilisateur depuis la fenêtre de recherche."));
    if (stop->stoppedBy(StopReason::SaveFailed))
        return ScanOutcome::CatalogueNotWritten;
    return stop->stoppedByUser() ? ScanOutcome::Stopped : ScanOutcome::Finished;
}

// After a failed save: what was analysed is kept for the next run, and the
// line says how many entries were not saved and where they are.
QString ScanRunState::keepUnsavedEntries()
{
    const int unsaved = compteur - loadedCount;
    const bool one = unsaved == 1;
    const QString count = one
        ? QStringLiteral("1 entrée analysée n'a pas été enregistrée dans le catalogue")
        : QStringLiteral("%1 entrées analysées n'ont pas été enregistrées dans le catalogue").arg(unsaved);
    try {
        catalogue.keepUnsaved();
    } catch (const Error& e) {
        return count + (one ? QStringLiteral(" ni gardée à part : ") : QStringLiteral(" ni gardées à part : "))
            + e.message();
    }
    return count
        + (one ? QStringLiteral(" : elle est gardée dans %1, et le prochain scan de ce catalogue la reprend sans "
                                "l'analyser de nouveau.")
               : QStringLiteral(" : elles sont gardées dans %1, et le prochain scan de ce catalogue les reprend "
                                "sans les analyser de nouveau."))
              .arg(CatalogueSession::pendingFileOf(catalogueFile));
}

void ScanRunState::logPendingEntries()
{
    const QString pending = CatalogueSession::pendingFileOf(catalogueFile);
    if (catalogue.pendingTaken() > 0)
        EcritureLog(QStringLiteral("Entrées analysées lors d'un scan précédent reprises de %1 : %2")
                        .arg(pending)
                        .arg(catalogue.pendingTaken()));
    if (!catalogue.pendingProblem().isEmpty())
        EcritureLog(QStringLiteral("Entrées en attente non reprises, le fichier %1 est laissé tel quel (%2)")
                        .arg(pending, catalogue.pendingProblem()));
}

} // namespace filmarch
