#include "sync/SyncTool.h"

#include "core/Journal.h"
#include "core/UserDialogs.h"
#include "platform/ControlCharacters.h"
#include "platform/Error.h"
#include "sync/Listing.h"
#include "sync/SyncPaths.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace filmarch {

namespace {
const QString kIndent = QStringLiteral("        ");

// A path in a log line or a message: a line break in a name cannot forge a line.
QString shown(const QString& path)
{
    return escapeControlCharacters(path);
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
    complete = true;
    changeLists([this] {
        LVFichiersNonSauv.clear();
        LVFichiersManquants.clear();
    });
    if (!QFileInfo(EdCheminRepRef).isDir() || !QFileInfo(EdCheminRepSauv).isDir()) {
        ctx.dialogs->showMessage(QStringLiteral("Au moins un des deux répertoires renseignés n'est pas valide"));
        return AnalysisOutcome::InvalidFolder;
    }
    if (refuseNestedFolders(EdCheminRepRef, EdCheminRepSauv))
        return AnalysisOutcome::NestedFolders;

    FichierLog = Journal::logFilePath(ctx.paths);
    EcritureLog(QStringLiteral("Début de tache de synchronisation"));
    EcritureLog(kIndent + QStringLiteral("Repertoire de référence : ") + shown(EdCheminRepRef));
    EcritureLog(kIndent + QStringLiteral("Repertoire de sauvegarde : ") + shown(EdCheminRepSauv));
    if (ctx.journal && ctx.journal->memo)
        ctx.journal->memo(QString());

    reference = EdCheminRepRef;
    backup = EdCheminRepSauv;
    // A mount of one folder inside the other is met as one of its sub-folders.
    const FolderId referenceId = folderId(openFolder(QFile::encodeName(reference)).get());
    const FolderId backupId = folderId(openFolder(QFile::encodeName(backup)).get());
    ListingResult referenceListing, backupListing;
    FoundFiles referenceFiles, backupFiles;
    changeLists([&] {
        referenceListing = listFiles(reference, referenceFiles, CbAnalyseSousRep, backupId);
        backupListing = listFiles(backup, backupFiles, CbAnalyseSousRep, referenceId);
        Comparaison(referenceFiles, backupFiles, LVFichiersNonSauv, LVFichiersManquants);
        setAsideLinked(LVFichiersManquants, referenceListing.links);
        // A backup file whose partner lies in an unread folder would look
        // absent from the reference: no deletion list at all.
        if (!referenceListing.unreadable.empty() || !backupListing.unreadable.empty())
            LVFichiersManquants.clear();
        if (referenceListing.metOther || backupListing.metOther) {
            LVFichiersNonSauv.clear();
            LVFichiersManquants.clear();
        }
    });
    if (referenceListing.metOther || backupListing.metOther) {
        showNesting(referenceListing.metOther ? Nesting::BackupInReference : Nesting::ReferenceInBackup);
        return AnalysisOutcome::NestedFolders;
    }
    reportLinks(referenceListing.links, backupListing.links);
    analysed = true;
    std::vector<UnreadablePath> unreadable = std::move(referenceListing.unreadable);
    unreadable.insert(unreadable.end(), backupListing.unreadable.begin(), backupListing.unreadable.end());
    if (!unreadable.empty()) {
        reportUnreadable(unreadable);
        return AnalysisOutcome::Done;
    }
    referenceEmpty = referenceListing.files == 0;
    if (referenceEmpty)
        EcritureLog(QStringLiteral("Le répertoire de référence est vide : la "
                                   "suppression est désactivée."));
    return AnalysisOutcome::Done;
}

bool SyncTool::refuseNestedFolders(const QString& reference, const QString& backup)
{
    const Nesting nesting = folderNesting(QFile::encodeName(reference), QFile::encodeName(backup));
    if (nesting == Nesting::Apart)
        return false;
    showNesting(nesting);
    return true;
}

void SyncTool::showNesting(Nesting nesting)
{
    QString message;
    switch (nesting) {
    case Nesting::Apart: return;
    case Nesting::Same:
        message = QStringLiteral("Le répertoire de référence et le répertoire de sauvegarde sont un seul et même "
                                 "répertoire : choisir deux répertoires distincts");
        break;
    case Nesting::BackupInReference:
        message = QStringLiteral("Le répertoire de sauvegarde se trouve dans le répertoire de référence : choisir "
                                 "deux répertoires dont aucun ne contient l'autre");
        break;
    case Nesting::ReferenceInBackup:
        message = QStringLiteral("Le répertoire de référence se trouve dans le répertoire de sauvegarde : choisir "
                                 "deux répertoires dont aucun ne contient l'autre");
        break;
    }
    ctx.dialogs->showMessage(message);
}

void SyncTool::reportLinks(const SyncList& referenceLinks, const SyncList& backupLinks)
{
    for (const SyncList* links : {&referenceLinks, &backupLinks})
        for (const SyncEntry& link : *links)
            EcritureLog(kIndent + QStringLiteral("Lien ignoré : ") + shown(link.fullPath()));
    const std::size_t n = referenceLinks.size() + backupLinks.size();
    if (n > 0)
        EcritureLog(kIndent + QStringLiteral("%1 liens ignorés").arg(n));
}

void SyncTool::reportUnreadable(const std::vector<UnreadablePath>& unreadable)
{
    complete = false;
    for (const UnreadablePath& u : unreadable)
        EcritureLog(kIndent + QStringLiteral("Lecture impossible : ") + shown(u.path) + QStringLiteral(" (") + u.reason
            + QLatin1Char(')'));
    EcritureLog(kIndent
        + QStringLiteral("Analyse incomplète : aucun fichier n'est proposé à la suppression, car un fichier de "
                         "la sauvegarde pourrait avoir son double dans ce qui n'a pas pu être lu."));
    const QString others = unreadable.size() > 1
        ? QStringLiteral(" (et %1 autres, voir le journal)").arg(unreadable.size() - 1)
        : QString();
    ctx.dialogs->showMessage(QStringLiteral("L'analyse est incomplète : %1 n'a pas pu être lu%2. Aucun fichier "
                                            "n'est proposé à la suppression.")
                                 .arg(shown(unreadable.front().path), others));
}

void SyncTool::BtLancerActionsClick(const SyncActions& actions)
{
    if (!actions.CbCopieNonSauv && !actions.CbFichiersManquants) {
        ctx.dialogs->showMessage(QStringLiteral("Aucune action sélentionné"));
        return;
    }
    if (actions.CbCopieNonSauv)
        copyTask(actions.RbRespectArbor);
    if (actions.CbFichiersManquants)
        deletionTask();
}

CopyReport SyncTool::copyTask(bool keepTree)
{
    const std::unique_ptr<CopyTask> task = startCopy(keepTree);
    if (!task)
        return {};
    while (task->pending()) {
        if (ctx.view && !stop)
            ctx.view->copyCaption(task->caption());
        task->copyNext(ctx.view);
    }
    return endCopy(*task);
}

std::unique_ptr<CopyTask> SyncTool::startCopy(bool keepTree)
{
    if (checkedCount(LVFichiersNonSauv) == 0) {
        ctx.dialogs->showMessage(QStringLiteral("Aucun fichier n'est sélectionné pour la copie"));
        return nullptr;
    }
    EcritureLog(QStringLiteral("Début de tache de copie"));
    stop = false;
    if (ctx.view)
        ctx.view->copyStarted();
    return std::make_unique<CopyTask>(LVFichiersNonSauv, reference, backup, keepTree, stop);
}

CopyReport SyncTool::endCopy(const CopyTask& task)
{
    const CopyReport report = task.report();
    for (const QString& failure : report.failures)
        EcritureLog(kIndent + QStringLiteral("Echec de la copie de ") + shown(failure));
    changeLists([&] { removeMarked(LVFichiersNonSauv, task.taken()); });

    EcritureLog(kIndent + QString::number(report.copied) + QStringLiteral(" fichiers copiès de ") + shown(reference));
    if (report.abandoned > 0)
        EcritureLog(kIndent + QStringLiteral("Copie arrêtée : %1 fichiers n'ont pas été copiés").arg(report.abandoned));
    if (!report.failures.isEmpty())
        EcritureLog(kIndent + QStringLiteral("%1 fichiers n'ont pas pu être copiés").arg(report.failures.size()));
    if (ctx.view)
        ctx.view->copyFinished();
    endTask();
    return report;
}

int SyncTool::deletionTask()
{
    const int m = checkedCount(LVFichiersManquants);
    if (m == 0) {
        ctx.dialogs->showMessage(QStringLiteral("Aucun fichier n'est sélectionné pour la suppression"));
        return 0;
    }
    if (!deletionAllowed()) {
        ctx.dialogs->showMessage(QStringLiteral("La suppression est désactivée : le répertoire de référence ne "
                                                "contient aucun fichier"));
        return 0;
    }
    EcritureLog(QStringLiteral("Début de tache de suppresion"));
    if (!ctx.view || !ctx.view->confirmDeletion()) {
        EcritureLog(kIndent + QStringLiteral("0 fichiers supprimer de ") + shown(backup));
        EcritureLog(kIndent + QStringLiteral("Suppression annulée : aucun fichier n'a été supprimé"));
        if (ctx.journal && ctx.journal->memo)
            ctx.journal->memo(QString());
        return 0;
    }

    int deleted = 0, failed = 0;
    // Held open for the whole task: nothing swapped in its paths meanwhile can
    // lead a deletion outside.
    const FileDescriptor backupRoot = openFolder(QFile::encodeName(backup));
    const QString noRoot = backupRoot.isOpen() ? QString() : systemReason(errno);
    std::vector<bool> gone(LVFichiersManquants.size());
    for (int i = static_cast<int>(LVFichiersManquants.size()) - 1; i >= 0; --i) {
        const SyncEntry& entry = LVFichiersManquants[i];
        if (!entry.checked)
            continue;
        gone[i] = true;
        const QString reason = backupRoot.isOpen() ? deleteEntry(backupRoot.get(), entry) : noRoot;
        if (reason.isEmpty()) {
            ++deleted;
            continue;
        }
        ++failed;
        EcritureLog(kIndent + QStringLiteral("Echec de la suppression de ") + shown(entry.fullPath())
            + QStringLiteral(" : ") + reason);
    }
    changeLists([&] { removeMarked(LVFichiersManquants, gone); });

    EcritureLog(kIndent + QString::number(deleted) + QStringLiteral(" fichiers supprimer de ") + shown(backup));
    if (failed > 0)
        EcritureLog(kIndent + QStringLiteral("%1 fichiers n'ont pas pu être supprimés").arg(failed));
    endTask();
    return deleted;
}

void SyncTool::endTask()
{
    if (ctx.journal && ctx.journal->memo)
        ctx.journal->memo(QString());
    if (ctx.view)
        ctx.view->taskFinished();
}

} // namespace filmarch
