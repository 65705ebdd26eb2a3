#include "scan/ScanRun.h"

#include "core/Journal.h"
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
#include "platform/ReadableName.h"
#include "scan/AmcWriter.h"
#include "scan/EntrySources.h"
#include "scan/FileAnalysis.h"
#include "scan/FolderWalk.h"
#include "scan/PartGroups.h"
#include "scan/ScanPipeline.h"
#include "scan/StoredName.h"
#include "scan/XmlWriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QScopeGuard>

#include <algorithm>
#include <thread>

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

// The memory the system can still give without swapping, in bytes; 0 when unknown.
qint64 availableMemory()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return 0;
    // The file says its size is 0: it is read to its end, not by its size.
    for (const QByteArray& line : meminfo.readAll().split('\n'))
        if (line.startsWith("MemAvailable:"))
            return line.mid(13).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}
} // namespace

int defaultTaches()
{
    return std::min(2 * int(std::max(1u, std::thread::hardware_concurrency())), mostTaches());
}

int mostTaches()
{
    const int byCores = 4 * int(std::max(1u, std::thread::hardware_concurrency()));
    // What a file in hand may cost at worst (its helper and the analysis of a
    // large file), taken from half of the memory still available.
    constexpr qint64 perFile = 64ll << 20;
    const qint64 available = availableMemory();
    if (available <= 0)
        return byCores;
    return int(std::clamp<qint64>(available / 2 / perFile, 1, byCores));
}

// One entry of the walk: a file, or a folder problem to log in its place.
struct ScanRun::WalkItem {
    QString path;
    QByteArray nativePath;  // the name's bytes on disk (not `path`'s where it is not valid text)
    bool problem = false;   // `path` is the message
    QStringList otherParts; // the film's other files, when `path` is its first part
};

// A file in hand: what was asked of its analysis and what it gave.
struct ScanRun::Slot {
    MesFonctionMediaInfo* media = nullptr;
    const WalkItem* item = nullptr;
    bool duplicate = false;
    QStringList lateParts;          // parts of a catalogued film that its entry does not list
    bool lookupAsked = false;       // a lookup mode is ticked
    LookupSource* source = nullptr; // the film database asked, when it can be
    AnalysisJob job;
    AnalysedFile result;
};

namespace {
// The run's files in hand: the one being written and those analysed ahead of it.
int tachesFor(int asked)
{
    return asked > 0 ? std::min(asked, mostTaches()) : defaultTaches();
}

int placesFor(int taches)
{
    const int n = tachesFor(taches);
    return n == 1 ? 1 : n + 1;
}
} // namespace

ScanRun::ScanRun(ScanContext context) : ctx(std::move(context)), catalogue(*ctx.dialogs)
{
}

void ScanRun::makeAnalysers()
{
    if (ctx.newMediaInfo && analysers.empty())
        for (int i = 0; i < placesFor(ctx.taches); ++i)
            analysers.push_back(ctx.newMediaInfo());
}

void ScanRun::releaseAnalysers()
{
    if (!running)
        analysers.clear();
}
ScanRun::~ScanRun() = default;

ScanOptions ScanRun::options() const
{
    return ctx.options ? ctx.options->options() : ScanOptions {};
}

void ScanRun::EcritureLog(const QString& Mes)
{
    if (ctx.journal)
        ctx.journal->EcritureLog(FichierLog, Mes);
}

void ScanRun::requestStop()
{
    stop->stop(StopReason::User);
    if (pipeline)
        pipeline->wakeForStop();
    // A lookup waiting before it asks the service again ends now.
    if (ctx.lookup)
        ctx.lookup->interrupt();
}

void ScanRun::reportSaveFailure(const QString& logLine, const QString& message, bool asError)
{
    stop->stop(StopReason::SaveFailed);
    EcritureLog(logLine);
    if (asError)
        ctx.dialogs->showError(message);
    else
        ctx.dialogs->showMessage(message);
}

void ScanRun::reportToolFailure(const QString& tool, const QString& message)
{
    const bool known = failedTools.contains(tool);
    failedTools.insert(tool);
    if (!known || !ctx.toolFailuresOncePerRun)
        ctx.dialogs->showError(message);
}

ScanResult ScanRun::BtLanceScanClick(const ScanRequest& request)
{
    // Failures of one file are handled where the file is processed; anything
    // else ends the run (the window is restored by then) with a message.
    ScanResult result;
    const auto nextRun = qScopeGuard([this] { stop = std::make_unique<StopToken>(); });
    try {
        result.outcome = runScan(request, result);
    } catch (const std::exception& e) {
        ctx.dialogs->showError(
            QStringLiteral("Le scan s'est arrêté sur une erreur : ") + QString::fromStdString(e.what()));
        result.outcome = ScanOutcome::Failed;
    }
    return result;
}

ScanOutcome ScanRun::runScan(const ScanRequest& request, ScanResult& result)
{
    running = true;
    const auto ran = qScopeGuard([this] { running = false; });
    FichierLog = Journal::logFilePath(ctx.paths);
    EcritureLog(QStringLiteral("Début du scan du répertoire ") + request.EdCheminRepScan);
    const ScanOptions opts = options();
    ImageOnly = opts.CbPieceJointe && opts.CbfichiersImages;
    QElapsedTimer chrono;
    chrono.start();

    if (request.EdCheminRepScan.isEmpty() || !QFileInfo(request.EdCheminRepScan).isDir()) {
        ctx.dialogs->showMessage(QStringLiteral("Veuillez sélectionner en premier un répertoire valide pour le scan"));
        return ScanOutcome::NotStarted;
    }
    if (request.EdCheminCataloCree.isEmpty() && request.EdCheminCataloExistant.isEmpty()) {
        ctx.dialogs->showMessage(
            QStringLiteral("Choisir l'un des deux scans possibles : Créer catalogue ou Complèter catalogue"));
        return ScanOutcome::NotStarted;
    }
    // One decision for the whole run: the writer, the save and the summary
    // all follow it.
    // Before any catalogue is locked (see `analysers`).
    makeAnalysers();
    // What killed runs left in the temporary folder.
    removeOrphanedNameFolders();
    completing = request.EdCheminCataloCree.isEmpty();
    CatalogueActif = completing ? request.EdCheminCataloExistant : request.EdCheminCataloCree;
    failedTools.clear();
    switch (catalogue.prepare(CatalogueActif, completing)) {
    case CatalogueSession::Preparation::Ready: break;
    case CatalogueSession::Preparation::Unusable:
        result.catalogueRefused = true;
        CatalogueActif.clear();
        return ScanOutcome::NotStarted;
    case CatalogueSession::Preparation::Refused: return ScanOutcome::NotStarted;
    case CatalogueSession::Preparation::NotWritable: {
        const QString line = QStringLiteral("Enregistrement du catalogue impossible : %1 (%2)")
                                 .arg(CatalogueActif, catalogue.notWritableReason());
        const bool xml = catalogue.kind() == CatalogueKind::Xml;
        reportSaveFailure(line, xml ? line : amcSaveFailedMessage(), xml);
        return ScanOutcome::CatalogueNotWritten;
    }
    }
    loadedCount = catalogue.loadedCount();
    if (completing)
        result.entriesAtStart = loadedCount;
    logPendingEntries();

    doublons = 0;
    nonTraites = 0;
    if (ctx.lookup)
        ctx.lookup->startRun();
    PosTopFenAllo = 0;
    PosLeftFenAllo = 0;
    if (ctx.onRunStarted)
        ctx.onRunStarted();

    const auto finisher = qScopeGuard([this] { finishRun(); });
    result.ran = true;

    ctx.progress->setPosition(0);
    int total = 0;
    std::vector<WalkItem> items = walkFolder(request.EdCheminRepScan, opts.CbExploreSousRep, total);
    if (opts.CbRegrouperParties)
        groupParts(items);
    ctx.progress->setMaximum(total);
    compteur = loadedCount + catalogue.pendingTaken();
    processFiles(items);

    logSummary(formatElapsed(chrono.elapsed()));
    result.newEntries = compteur - loadedCount;
    result.notProcessed = nonTraites;
    compteur = 0;
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

// Saves an XML catalogue and logs what the run did; after a failed save the
// log already says so, and nothing claims otherwise.
void ScanRun::logSummary(const QString& elapsed)
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
        EcritureLog(QStringLiteral("Création d'un nouveau catalogue de à l'emplacement ") + CatalogueActif);
        EcritureLog(QStringLiteral("Nouvelles entrées : %1         Nombre Total : %1        Temps écoulé :%2")
                        .arg(compteur)
                        .arg(elapsed));
    } else {
        EcritureLog(QStringLiteral("Catalogue complété à l'emplacement ") + CatalogueActif);
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

// After a failed save: what was analysed is kept for the next run, and the
// line says how many entries were not saved and where they are.
QString ScanRun::keepUnsavedEntries()
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
              .arg(CatalogueSession::pendingFileOf(CatalogueActif));
}

// The entries a failed save kept, taken first, or the file that holds them left alone.
void ScanRun::logPendingEntries()
{
    const QString pending = CatalogueSession::pendingFileOf(CatalogueActif);
    if (catalogue.pendingTaken() > 0)
        EcritureLog(QStringLiteral("Entrées analysées lors d'un scan précédent reprises de %1 : %2")
                        .arg(pending)
                        .arg(catalogue.pendingTaken()));
    if (!catalogue.pendingProblem().isEmpty())
        EcritureLog(QStringLiteral("Entrées en attente non reprises, le fichier %1 est laissé tel quel (%2)")
                        .arg(pending, catalogue.pendingProblem()));
}

// Everything after the walk that must happen however the run ended.
void ScanRun::finishRun()
{
    compteur = 0;
    catalogue.finish();
    if (ctx.journal && ctx.journal->memo)
        ctx.journal->memo(QString());
    infosFilmAllo.fill(QString());
    noServerSaid = false;
    ctx.progress->setPosition(0);
    if (ctx.onRunFinished)
        ctx.onRunFinished();
}

// The files of the folder in walk order, with the folder problems in their
// place; `files` counts the files.
std::vector<ScanRun::WalkItem> ScanRun::walkFolder(const QString& folder, bool subFolders, int& files)
{
    std::vector<WalkItem> items;
    FolderWalk walk;
    walk.subFolders = subFolders;
    walk.stop = [this] { return stop->stopped(); };
    walk.onFile = [&](const QString& path, const QByteArray& nativePath) {
        ++files;
        items.push_back({path, nativePath, false, {}});
    };
    walk.onProblem = [&](const QString& message) { items.push_back({message, {}, true, {}}); };
    walk.run(folder);
    return items;
}

// The parts of a film become one item, named after its first part, at the
// place of the part met first. A name that is not valid text stays alone:
// the other parts are opened by their names as text.
void ScanRun::groupParts(std::vector<WalkItem>& items)
{
    QStringList paths;
    for (const WalkItem& item : items) {
        const bool nameIsText = item.nativePath.isEmpty() || QFile::encodeName(item.path) == item.nativePath;
        paths << (item.problem || !nameIsText ? QString() : item.path);
    }
    const std::vector<std::vector<int>> groups = partGroups(paths);
    if (groups.empty())
        return;
    std::vector<int> groupAt(items.size(), -1); // the group whose film stands at this place
    std::vector<bool> taken(items.size(), false);
    for (size_t g = 0; g < groups.size(); ++g) {
        for (const int position : groups[g])
            taken[size_t(position)] = true;
        groupAt[size_t(*std::min_element(groups[g].begin(), groups[g].end()))] = int(g);
    }
    std::vector<WalkItem> grouped;
    grouped.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        if (groupAt[i] >= 0) {
            const std::vector<int>& parts = groups[size_t(groupAt[i])];
            WalkItem film = items[size_t(parts.front())];
            for (size_t k = 1; k < parts.size(); ++k)
                film.otherParts << items[size_t(parts[k])].path;
            grouped.push_back(std::move(film));
        } else if (!taken[i]) {
            grouped.push_back(std::move(items[i]));
        }
    }
    items = std::move(grouped);
}

// What is asked of a file's analysis, decided when its turn is given, with
// the options as they are then.
void ScanRun::prepareSlot(Slot& slot, const WalkItem& item)
{
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
    job.opts = options();
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
    // Asked on the worker threads; the token is made anew only when no run is under way.
    job.stopRequested = [this] { return stop->stopped(); };
    job.toolFolder = ctx.CheminMkvToolNix;
    job.extractFailures = ctx.toolFailuresOncePerRun;
    job.media = slot.media;
}

// The files are analysed ahead on worker threads and written here, one after
// the other in walk order: what is written does not depend on how many are
// analysed at once.
void ScanRun::processFiles(const std::vector<WalkItem>& items)
{
    const int count = int(items.size());
    const int ahead = int(analysers.size()) - 1;
    const int taches = std::max(1, std::min(tachesFor(ctx.taches), ahead));
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
        pipeline = &work;
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
                ctx.progress->advance();
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

void ScanRun::TraitementFichier(Slot& slot)
{
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
            writeEntry(opts, file, file.looked ? file.infos : infosFilmAllo);
    } catch (const std::exception&) {
        file.discard();
        ++nonTraites;
        EcritureLog(QStringLiteral("Fichier non traité par le scan, une erreur est survenu : ") + NomFichier);
        ctx.progress->advance();
    }
    ctx.progress->processEvents();
}

// The user searches the film database for the film and decides what is written.
void ScanRun::lookUpByHand(const ScanOptions& opts, LookupSource& source, AnalysedFile& file)
{
    const TTraitement& Fichier = *file.Fichier;
    QPoint place(PosLeftFenAllo, PosTopFenAllo);
    // The search starts with the title a person would type: the title read in
    // the name alone (with the other title joined, nothing would be found).
    const ReleaseName name = readReleaseName(Fichier.NomDuFichier);
    const QString proposed = name.title.isEmpty() ? Fichier.TitreTraduit : name.title;
    const QString year = name.year ? QString::number(name.year) : Fichier.Annee;
    const ManualLookupDecision decision = ctx.manualLookup->lookUp(
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
    ctx.progress->advance();
}

void ScanRun::sayNoServer(const ScanOptions& opts)
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
void ScanRun::logLookupNotices()
{
    if (ctx.lookup)
        for (const QString& line : ctx.lookup->takeNotices())
            EcritureLog(line);
}

void ScanRun::writeEntry(const ScanOptions& opts, AnalysedFile& file, const InfosFilmAllo& infos)
{
    for (const ScanReport& report : file.toolReports) {
        if (report.tool.isEmpty())
            EcritureLog(report.text);
        else
            reportToolFailure(report.tool, report.text);
    }
    const EntrySources sources {opts, ctx.http, [this](const QString& line) { EcritureLog(line); }};
    if (catalogue.kind() == CatalogueKind::Xml) {
        EcritureCatalogueXML(catalogue, sources, *file.Fichier, infos);
        ++compteur;
    } else if (catalogue.kind() == CatalogueKind::Amc) {
        if (const std::optional<QString> failure = EcritureCatalogueAmc(catalogue, sources, *file.Fichier, infos))
            reportSaveFailure(QStringLiteral("Enregistrement du catalogue impossible : %1 (%2) : 1 entrée analysée "
                                             "n'a pas été enregistrée, le scan s'arrête")
                                  .arg(CatalogueActif, *failure),
                amcSaveFailedMessage());
        else
            ++compteur;
    }
    // What the entry did not take of the analysis goes.
    file.discard();
    ctx.progress->advance();
}

} // namespace filmarch
