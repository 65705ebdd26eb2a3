#include "sync/SyncTool.h"

#include "core/Journal.h"
#include "core/UserDialogs.h"
#include "sync/Listing.h"
#include "sync/SyncPaths.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace filmarch {

namespace {
const QString kIndent = QStringLiteral("        ");

// Drops the entries marked in `gone`, keeping the order of the others.
void removeMarked(SyncList& list, const std::vector<bool>& gone)
{
    std::size_t out = 0;
    for (std::size_t k = 0; k < list.size(); ++k)
        if (!gone[k])
            list[out++] = std::move(list[k]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(out), list.end());
}
} // namespace

SyncTool::SyncTool(SyncContext context) : ctx(std::move(context))
{
}

void SyncTool::EcritureLog(const QString& Mes)
{
    if (ctx.journal)
        ctx.journal->EcritureLog(FichierLog, Mes);
}

void SyncTool::changeLists(const std::function<void()>& change)
{
    if (ctx.view)
        ctx.view->listsAboutToChange();
    change();
    if (ctx.view)
        ctx.view->listsChanged();
}

AnalysisOutcome SyncTool::BtLanceAnalyseClick(
    const QString& EdCheminRepRef, const QString& EdCheminRepSauv, bool CbAnalyseSousRep)
{
    if (EdCheminRepRef.isEmpty() || EdCheminRepSauv.isEmpty()) {
        ctx.dialogs->showMessage(QStringLiteral("Renseigner un rep de sauv et de ref"));
        return AnalysisOutcome::MissingField;
    }
    analysed = false;
    changeLists([this] {
        LVFichiersNonSauv.clear();
        LVFichiersManquants.clear();
    });
    if (!QFileInfo(EdCheminRepRef).isDir() || !QFileInfo(EdCheminRepSauv).isDir()) {
        ctx.dialogs->showMessage(QStringLiteral("Au moins un des deux répertoires renseignés n'est pas valide"));
        return AnalysisOutcome::InvalidFolder;
    }

    FichierLog = Journal::logFilePath(ctx.paths);
    EcritureLog(QStringLiteral("Début de tache de synchronisation"));
    EcritureLog(kIndent + QStringLiteral("Repertoire de référence : ") + EdCheminRepRef);
    EcritureLog(kIndent + QStringLiteral("Repertoire de sauvegarde : ") + EdCheminRepSauv);
    if (ctx.journal && ctx.journal->memo)
        ctx.journal->memo(QString());

    reference = EdCheminRepRef;
    backup = EdCheminRepSauv;
    int referenceFiles = 0;
    changeLists([&] {
        referenceFiles = Listing(reference, LVFichiersNonSauv, CbAnalyseSousRep);
        Listing(backup, LVFichiersManquants, CbAnalyseSousRep);
        Comparaison(LVFichiersNonSauv, LVFichiersManquants);
    });
    analysed = true;
    referenceEmpty = referenceFiles == 0;
    if (referenceEmpty)
        EcritureLog(QStringLiteral("Le répertoire de référence est vide : la "
                                   "suppression est désactivée."));
    return AnalysisOutcome::Done;
}

void SyncTool::BtLancerActionsClick(const SyncActions& actions)
{
    const bool deletion = actions.CbFichiersManquants && deletionAllowed();
    if (!actions.CbCopieNonSauv && !deletion) {
        ctx.dialogs->showMessage(QStringLiteral("Aucune action sélentionné"));
        return;
    }
    if (actions.CbCopieNonSauv)
        copyTask(actions.RbRespectArbor);
    if (deletion)
        deletionTask();
}

CopyReport SyncTool::copyTask(bool keepTree)
{
    CopyReport report;
    const int n = checkedCount(LVFichiersNonSauv);
    if (n == 0) {
        ctx.dialogs->showMessage(QStringLiteral("Aucun fichier n'est sélectionné pour la copie"));
        return report;
    }
    EcritureLog(QStringLiteral("Début de tache de copie"));
    stop = false;
    if (ctx.view)
        ctx.view->copyStarted();

    const QByteArray backupRoot = QFile::encodeName(backup);
    // A backup folder gone since the analysis (an unmounted disk) is not made again.
    const bool backupThere = QFileInfo(backup).isDir();
    std::vector<bool> gone(LVFichiersNonSauv.size());
    int k = 0;
    for (int i = static_cast<int>(LVFichiersNonSauv.size()) - 1; i >= 0; --i) {
        const SyncEntry& entry = LVFichiersNonSauv[i];
        if (!entry.checked)
            continue;
        ++k;
        // Copied or not, the entry leaves the list and counts in the summary.
        gone[i] = true;
        if (stop)
            continue;
        if (ctx.view)
            ctx.view->copyCaption(QStringLiteral("Copie du fichier %1/%2").arg(k).arg(n));

        const QByteArray dst = copyDestination(entry, backup, keepTree);
        const QByteArray dstFolder = dst.left(dst.lastIndexOf('/') + 1);
        std::error_code error;
        if (backupThere)
            std::filesystem::create_directories(dstFolder.toStdString(), error);
        CopyOutcome outcome;
        if (!backupThere)
            outcome.reason = QStringLiteral("le répertoire de sauvegarde n'existe plus");
        else if (error)
            outcome.reason = QString::fromStdString(error.message());
        else if (!isInsideFolder(dstFolder, backupRoot))
            outcome.reason = QStringLiteral("la destination sort du répertoire de sauvegarde");
        else
            outcome = copyFileChunked(entry.nativePath(), dst, stop, ctx.view);

        if (outcome.status == CopyOutcome::Stopped)
            report.stopped = true;
        if (outcome.status == CopyOutcome::Failed) {
            const QString failure = entry.fullPath() + QStringLiteral(" : ") + outcome.reason;
            report.failures << failure;
            EcritureLog(kIndent + QStringLiteral("Echec de la copie de ") + failure);
        }
    }
    report.stopped = report.stopped || stop;
    report.count = n;
    changeLists([&] { removeMarked(LVFichiersNonSauv, gone); });

    EcritureLog(kIndent + QString::number(n) + QStringLiteral(" fichiers copiès de ") + reference);
    if (ctx.journal && ctx.journal->memo)
        ctx.journal->memo(QString());
    if (ctx.view) {
        ctx.view->copyFinished();
        ctx.view->taskFinished();
    }
    return report;
}

void SyncTool::deletionTask()
{
    const int m = checkedCount(LVFichiersManquants);
    if (m == 0) {
        ctx.dialogs->showMessage(QStringLiteral("Aucun fichier n'est sélectionné pour la suppression"));
        return;
    }
    EcritureLog(QStringLiteral("Début de tache de suppresion"));
    const bool confirm = ctx.view && ctx.view->confirmDeletion();
    if (confirm && deletionAllowed()) {
        std::vector<bool> gone(LVFichiersManquants.size());
        for (int i = static_cast<int>(LVFichiersManquants.size()) - 1; i >= 0; --i) {
            const SyncEntry& entry = LVFichiersManquants[i];
            if (!entry.checked)
                continue;
            gone[i] = true;
            const QString reason = deleteEntry(entry, backup);
            if (!reason.isEmpty())
                EcritureLog(kIndent + QStringLiteral("Echec de la suppression de ") + entry.fullPath()
                    + QStringLiteral(" : ") + reason);
        }
        changeLists([&] { removeMarked(LVFichiersManquants, gone); });
    }
    EcritureLog(kIndent + QString::number(m) + QStringLiteral(" fichiers supprimer de ") + backup);
    if (ctx.journal && ctx.journal->memo)
        ctx.journal->memo(QString());
    if (ctx.view)
        ctx.view->taskFinished();
}

} // namespace filmarch
