// The files of a run, analysed ahead on worker threads and written here, one
// after the other in walk order: what is written does not depend on how many
// are analysed at once.
#include "scan/ScanRunState.h"

#include "core/Options.h"
#include "core/ScanProgress.h"
#include "core/UserDialogs.h"
#include "filmdb/FilmLookup.h"
#include "filmdb/ManualLookup.h"
#include "media/MediaInfoDll.h"
#include "media/ReleaseName.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "scan/AmcWriter.h"
#include "scan/CatalogueSession.h"
#include "scan/EntrySources.h"
#include "scan/FileAnalysis.h"
#include "scan/ScanPipeline.h"
#include "scan/ScanServices.h"
#include "scan/StopToken.h"
#include "scan/StoredName.h"
#include "scan/XmlWriter.h"

#include <QPoint>
#include <QScopeGuard>

#include <algorithm>

namespace filmarch {

// A file in hand: what was asked of its analysis and what it gave.
struct ScanRunState::Slot {
    MesFonctionMediaInfo* media = nullptr;
    const WalkItem* item = nullptr;
    bool duplicate = false;
    QStringList lateParts;          // parts of a catalogued film that its entry does not list
    bool lookupAsked = false;       // a lookup mode is ticked
    LookupSource* source = nullptr; // the film database asked, when it can be
    AnalysisJob job;
    AnalysedFile result;
};

// What is asked of a file's analysis, decided when its turn is given, with
// the options as they are then.
void ScanRunState::prepareSlot(Slot& slot, const WalkItem& item)
{
    const ScanContext& ctx = services.ctx;
    slot.item = &item;
    slot.result = AnalysedFile();
    slot.duplicate = false;
    slot.lookupAsked = false;
    slot.source = nullptr;
    if (item.problem)
        return;
    AnalysisJob& job = slot.job;
    job.path = item.path;
    job.nativePath = item.nativePath;
    job.opts = services.options();
    job.otherParts = item.otherParts;
    const QString storedName = storedFileName(item.path, catalogue.kind());
    // A file that an entry lists as one of its film's parts is catalogued,
    // whatever the duplicate option says of other files; a file whose entry
    // waited for a save was analysed already.
    slot.duplicate = (completing
                         && ((job.opts.CbEviterDoublons && catalogue.isCatalogued(storedName))
                             || catalogue.isCataloguedPart(fileNamePart(item.path))))
        || catalogue.isPending(storedName);
    slot.lateParts.clear();
    if (slot.duplicate)
        for (const QString& part : item.otherParts)
            if (const QString partName = storedFileName(part, catalogue.kind());
                !catalogue.isCataloguedPart(fileNamePart(part)) && !catalogue.isCatalogued(partName)
                && !catalogue.isPending(partName))
                slot.lateParts << part;
    job.ImageOnly = ImageOnly;
    slot.lookupAsked = job.opts.CbAlloAuto || job.opts.CbAlloManu;
    slot.source = slot.lookupAsked && ctx.lookup ? ctx.lookup->source(job.opts) : nullptr;
    // A run that gave up asking catalogues the rest without lookup.
    job.lookUp = job.opts.CbAlloAuto && !job.opts.CbAlloManu && slot.source && !ctx.lookup->stopped();
    job.source = slot.source;
    job.lookup = ctx.lookup;
    // Asked on the worker threads, and by the handle after the run.
    job.stopRequested = [stop = stop] { return stop->stopped(); };
    job.toolFolder = ctx.CheminMkvToolNix;
    job.extractFailures = ctx.toolFailuresOncePerRun;
    job.media = slot.media;
}

void ScanRunState::processFiles(const std::vector<WalkItem>& items)
{
    compteur = loadedCount + catalogue.pendingTaken();
    const auto& analysers = services.analysers();
    const int count = int(items.size());
    const int ahead = int(analysers.size()) - 1;
    const int taches = std::max(1, std::min(tachesFor(services.ctx.taches), ahead));
    std::vector<Slot> inHand(size_t(ahead + 1));
    for (size_t i = 0; i < inHand.size(); ++i)
        inHand[i].media = analysers.at(i).get();
    for (int i = 0; i < std::min(count, ahead + 1); ++i)
        prepareSlot(inHand[size_t(i)], items[size_t(i)]);

    {
        ScanPipeline work(taches, ahead, count, *stop, [&inHand](int, int slot) {
            Slot& s = inHand[size_t(slot)];
            if (!s.item->problem && !s.duplicate)
                s.result = analyseFile(s.job);
        });
        {
            std::lock_guard guard(pipelineLock);
            pipeline = &work;
        }
        if (work.workers() == 0)
            EcritureLog(QStringLiteral("Le système refuse de nouvelles tâches : les fichiers sont analysés un à un."));
        else if (work.workers() < taches)
            EcritureLog(QStringLiteral("Le système n'a permis que %1 tâches à la fois sur les %2 demandées.")
                            .arg(work.workers())
                            .arg(taches));
        // However the loop ends, the work under way is not wanted any more:
        // its tools are ended and no further file is started.
        const auto detach = qScopeGuard([this, &work] {
            stop->stop(StopReason::WriterDone);
            work.wakeForStop();
            std::lock_guard guard(pipelineLock);
            pipeline = nullptr;
        });
        for (int i = 0; i < count; ++i) {
            if (stop->stopped() || !work.waitFor(i))
                break;
            Slot& slot = inHand[size_t(work.slotOf(i))];
            filesAfterCurrent = count - i - 1;
            TraitementFichier(slot);
            // The other parts of a film were handled with its first one.
            for (qsizetype k = 0; k < slot.item->otherParts.size(); ++k)
                services.ctx.progress->advance();
            slot.result.discard();
            if (i + ahead + 1 < count)
                prepareSlot(slot, items[size_t(i + ahead + 1)]);
            work.done(i);
        }
    }
    // Work done ahead of a stop is dropped.
    for (Slot& slot : inHand)
        slot.result.discard();
}

void ScanRunState::TraitementFichier(Slot& slot)
{
    const ScanContext& ctx = services.ctx;
    if (slot.item->problem) {
        EcritureLog(slot.item->path);
        return;
    }
    const QString& NomFichier = slot.item->path;
    const ScanOptions& opts = slot.job.opts;
    const QString name = fileNamePart(NomFichier);
    ctx.progress->startFile(name);
    if (slot.duplicate) {
        for (const QString& part : std::as_const(slot.lateParts))
            EcritureLog(
                QStringLiteral("Partie ajoutée à un film déjà catalogué, elle n'est pas cataloguée seule : ") + part);
        ++doublons;
        ctx.progress->advance();
        ctx.progress->setFileName(name);
        ctx.progress->processEvents();
        return;
    }

    AnalysedFile& file = slot.result;
    try {
        if (!file.filmName.isEmpty()) {
            ctx.progress->setFileName(file.filmName);
            ctx.progress->processEvents();
            if (slot.lookupAsked && !slot.source)
                sayNoServer(opts);
        }
        for (const ScanReport& report : file.lookupReports)
            EcritureLog(report.text);
        if (file.failed)
            throw Error(QStringLiteral("analyse impossible"));
        if (!file.Fichier)
            ctx.progress->advance();
        else if (opts.CbAlloManu && slot.source && ctx.manualLookup && !ctx.lookup->stopped())
            lookUpByHand(opts, *slot.source, file);
        else
            writeEntry(opts, file, file.looked ? file.infos : unlooked);
    } catch (const std::exception&) {
        file.discard();
        ++nonTraites;
        EcritureLog(QStringLiteral("Fichier non traité par le scan, une erreur est survenu : ") + NomFichier);
        ctx.progress->advance();
    }
    ctx.progress->processEvents();
}

// The user searches the film database for the film and decides what is written.
void ScanRunState::lookUpByHand(const ScanOptions& opts, LookupSource& source, AnalysedFile& file)
{
    const TTraitement& Fichier = *file.Fichier;
    QPoint place(PosLeftFenAllo, PosTopFenAllo);
    // The search starts with the title a person would type: the title read in
    // the name alone (with the other title joined, nothing would be found).
    const ReleaseName name = readReleaseName(Fichier.NomDuFichier);
    const QString proposed = name.title.isEmpty() ? Fichier.TitreTraduit : name.title;
    const QString year = name.year ? QString::number(name.year) : Fichier.Annee;
    const ManualLookupDecision decision = services.ctx.manualLookup->lookUp(
        {&source, proposed, year, &place, [this](const QString& line) { EcritureLog(line); }, filesAfterCurrent});
    PosLeftFenAllo = place.x();
    PosTopFenAllo = place.y();
    logLookupNotices();
    if (decision.kind == ManualLookupDecision::Validate) {
        writeEntry(opts, file, decision.infos);
        return;
    }
    if (decision.kind == ManualLookupDecision::Stop)
        stop->stop(StopReason::LookupWindow);
    file.discard();
    services.ctx.progress->advance();
}

void ScanRunState::sayNoServer(const ScanOptions& opts)
{
    if (noServerSaid)
        return;
    noServerSaid = true;
    if (usesTmdb(opts))
        EcritureLog(QStringLiteral("Aucune clé TMDb n'est renseignée dans options.ini (section TMDb, clé Cle) : les "
                                   "films sont catalogués sans recherche."));
    else
        EcritureLog(QStringLiteral("Aucun serveur Allocine n'est renseigné dans options.ini (section Allocine, clé "
                                   "Serveur) : les films sont catalogués sans recherche."));
}

// What the lookups have to say once in the run (a silent service, a refused key).
void ScanRunState::logLookupNotices()
{
    if (services.ctx.lookup)
        for (const QString& line : services.ctx.lookup->takeNotices())
            EcritureLog(line);
}

void ScanRunState::reportToolFailure(const QString& tool, const QString& message)
{
    const bool known = failedTools.contains(tool);
    failedTools.insert(tool);
    if (!known || !services.ctx.toolFailuresOncePerRun)
        services.ctx.dialogs->showError(message);
}

void ScanRunState::writeEntry(const ScanOptions& opts, AnalysedFile& file, const InfosFilmAllo& infos)
{
    for (const ScanReport& report : file.toolReports) {
        if (report.tool.isEmpty())
            EcritureLog(report.text);
        else
            reportToolFailure(report.tool, report.text);
    }
    const EntrySources sources {opts, services.ctx.http, [this](const QString& line) { EcritureLog(line); }};
    if (catalogue.kind() == CatalogueKind::Xml) {
        EcritureCatalogueXML(catalogue, sources, *file.Fichier, infos);
        ++compteur;
    } else if (catalogue.kind() == CatalogueKind::Amc) {
        if (const std::optional<QString> failure = EcritureCatalogueAmc(catalogue, sources, *file.Fichier, infos))
            reportSaveFailure(QStringLiteral("Enregistrement du catalogue impossible : %1 (%2) : 1 entrée analysée "
                                             "n'a pas été enregistrée, le scan s'arrête")
                                  .arg(catalogueFile, *failure),
                amcSaveFailedMessage());
        else
            ++compteur;
    }
    // What the entry did not take of the analysis goes.
    file.discard();
    services.ctx.progress->advance();
}

} // namespace filmarch
