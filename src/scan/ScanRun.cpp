#include "scan/ScanRun.h"

#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "core/Journal.h"
#include "core/Options.h"
#include "core/ScanProgress.h"
#include "core/UserDialogs.h"
#include "filmdb/AutoLookup.h"
#include "filmdb/FilmLookup.h"
#include "filmdb/ManualLookup.h"
#include "media/MediaInfoDll.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "platform/ReadableName.h"
#include "platform/RegularFile.h"
#include "platform/SafeFile.h"
#include "scan/AmcWriter.h"
#include "scan/FolderWalk.h"
#include "scan/StoredName.h"
#include "scan/XmlWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTime>

#include <filesystem>
#include <sys/stat.h>

namespace filmarch {

namespace {
const QString kXml = QStringLiteral(".xml");
const QString kAmc = QStringLiteral(".amc");

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

QString fileNamePart(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString exactExtension(const QString& path)
{
    const QString name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

ScanRun::FileStamp ScanRun::FileStamp::of(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
        qint64(st.st_mtim.tv_nsec)};
}

ScanRun::ScanRun(ScanContext context) : ctx(std::move(context))
{
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

void ScanRun::releaseCatalogue()
{
    MovieList.reset();
    FichierPresent.clear();
    XMLDoc.reset();
    loadedCatalogue.clear();
    cataloguedNames.clear();
}

int ScanRun::validitecatalogue(const QString& path)
{
    const QString ext = exactExtension(path);
    if (path.isEmpty() || (ext != kXml && ext != kAmc))
        return -1;
    // A named pipe or a device would block the load for ever.
    if (!isRegularFile(path)) {
        releaseCatalogue();
        ctx.dialogs->showMessage(ext == kXml ? QStringLiteral("Le fichier catalogue renseigné n'est pas compatible")
                                             : QStringLiteral("Chargement du catalogue à compléter impossible"));
        return -1;
    }
    // Outside a run the lock is held for the load only: a catalogue that a
    // run is writing is not read half-way.
    const bool ownLock = !catalogueLock.held();
    if (ownLock && !catalogueLock.tryLock(path)) {
        releaseCatalogue();
        ctx.dialogs->showMessage(catalogueLock.refusal());
        return -1;
    }
    struct Unlock {
        CatalogueLock& lock;
        bool own;
        ~Unlock()
        {
            if (own)
                lock.release();
        }
    } unlock {catalogueLock, ownLock};

    releaseCatalogue();
    if (ext == kXml) {
        try {
            XMLDoc = XmlCatalogue::loadFile(path);
        } catch (const std::exception&) {
            releaseCatalogue();
            ctx.dialogs->showMessage(QStringLiteral("Le fichier catalogue renseigné n'est pas compatible"));
            return -1;
        }
        loadedCatalogue = path;
        loadedStamp = FileStamp::of(path);
        const int n = XMLDoc->movieCount();
        for (int i = 0; i < n; ++i)
            cataloguedNames.insert(fileNamePart(XMLDoc->movieAttribute(i, QStringLiteral("URL"))));
        return n;
    }
    return loadAmc(path);
}

int ScanRun::loadAmc(const QString& path)
{
    int version = 0;
    try {
        MovieList = std::make_unique<TMovieList>();
        version = MovieList->LoadFromFile(path);
        // What a killed run was adding is cut off; any other damage stays.
        if (MovieList->damagedEntry() && catalogueLock.unfinishedAfter(path, MovieList->damagedOffset())) {
            truncateFile(path, MovieList->damagedOffset());
            version = MovieList->LoadFromFile(path);
        }
    } catch (const std::exception&) {
        releaseCatalogue();
        ctx.dialogs->showMessage(QStringLiteral("Chargement du catalogue à compléter impossible"));
        return -1;
    }
    if (const int damaged = MovieList->damagedEntry()) {
        releaseCatalogue();
        ctx.dialogs->showMessage(QStringLiteral("Le catalogue est endommagé à partir de l'entrée ")
            + QString::number(damaged) + QStringLiteral(" : il n'est pas complété."));
        return -1;
    }
    iHeader = version;
    MovieList->GetValues(FichierPresent, 18);
    loadedCatalogue = path;
    loadedStamp = FileStamp::of(path);
    for (const QString& url : std::as_const(FichierPresent))
        cataloguedNames.insert(fileNamePart(url));
    return MovieList->Count();
}

void ScanRun::reportSaveFailure(const QString& logLine, const QString& message, bool asError)
{
    saveFailed = true;
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

// The catalogue of the run, as it is on disk now: locked, cleared of what
// killed runs left, loaded again when completed, and backed up as it is.
// False when the run cannot go on (its message was given).
bool ScanRun::prepareCatalogue(ScanRequest& request)
{
    const QString ext = exactExtension(CatalogueActif);
    if (ext != kXml && ext != kAmc) {
        releaseCatalogue();
        MovieList = std::make_unique<TMovieList>();
        return true;
    }
    if (!catalogueLock.tryLock(CatalogueActif)) {
        ctx.dialogs->showMessage(catalogueLock.refusal());
        return false;
    }
    for (const QString& leftover : leftoverTemporaries(CatalogueActif))
        QFile::remove(leftover);

    if (completing) {
        // Loaded when it was chosen and not changed since: that is the
        // catalogue on the disk now.
        const bool current =
            loadedCatalogue == CatalogueActif && (MovieList || XMLDoc) && loadedStamp == FileStamp::of(CatalogueActif);
        const int n =
            current ? (XMLDoc ? XMLDoc->movieCount() : MovieList->Count()) : validitecatalogue(CatalogueActif);
        if (n < 0) {
            request.EdCheminCataloExistant.clear();
            request.EdNbrFilmsExist.clear();
            CatalogueActif.clear();
            catalogueLock.release();
            return false;
        }
        request.EdNbrFilmsExist = QString::number(n);
        loadedCount = n;
    } else {
        releaseCatalogue();
        MovieList = std::make_unique<TMovieList>();
        loadedCount = 0;
    }

    const QString reason = cannotReplaceReason(CatalogueActif);
    if (!reason.isEmpty()) {
        const QString line =
            QStringLiteral("Enregistrement du catalogue impossible : %1 (%2)").arg(CatalogueActif, reason);
        reportSaveFailure(line, ext == kAmc ? amcSaveFailedMessage() : line, ext == kXml);
        catalogueLock.release();
        releaseCatalogue();
        return false;
    }
    // The backup is the file as it was, byte for byte, on the disk before
    // the first change.
    if (completing && ext == kAmc) {
        try {
            // The file holds the bytes loaded (it is locked, and unchanged since).
            const qint64 size = MovieList->LoadedBytes().size();
            if (QFileInfo(CatalogueActif).size() == size)
                copyFile(CatalogueActif, backupFileName(CatalogueActif), size);
            else
                replaceFile(backupFileName(CatalogueActif), MovieList->LoadedBytes());
        } catch (const std::exception&) {
            ctx.dialogs->showMessage(QStringLiteral("Chargement du catalogue à compléter impossible"));
            catalogueLock.release();
            releaseCatalogue();
            return false;
        }
    }
    return true;
}

ScanOutcome ScanRun::BtLanceScanClick(ScanRequest& request)
{
    // Failures of one file are handled where the file is processed; anything
    // else ends the run (the window is restored by then) with a message.
    try {
        return runScan(request);
    } catch (const std::exception& e) {
        ctx.dialogs->showError(
            QStringLiteral("Le scan s'est arrêté sur une erreur : ") + QString::fromStdString(e.what()));
        return ScanOutcome::Failed;
    }
}

ScanOutcome ScanRun::runScan(ScanRequest& request)
{
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
    completing = request.EdCheminCataloCree.isEmpty();
    CatalogueActif = completing ? request.EdCheminCataloExistant : request.EdCheminCataloCree;
    saveFailed = false;
    failedTools.clear();
    if (!prepareCatalogue(request))
        return saveFailed ? ScanOutcome::CatalogueNotWritten : ScanOutcome::NotStarted;

    doublons = 0;
    if (ctx.lookup)
        ctx.lookup->startRun();
    PosTopFenAllo = 0;
    PosLeftFenAllo = 0;
    if (ctx.onRunStarted)
        ctx.onRunStarted();

    struct Finisher {
        ScanRun* run;
        ScanRequest& request;
        ~Finisher() { run->finishRun(request); }
    } finisher {this, request};

    ctx.progress->setPosition(0);
    const int total = CompteTraiteFichiers(request.EdCheminRepScan, true, opts.CbExploreSousRep);
    ctx.progress->setMaximum(total);
    compteur = loadedCount;
    CompteTraiteFichiers(request.EdCheminRepScan, false, opts.CbExploreSousRep);

    logSummary(formatElapsed(chrono.elapsed()));
    compteur = 0;
    if (Arret)
        EcritureLog(QStringLiteral(
            "Le scan a été coupé par l'utilisateur, le catalogue risque d'être incomplet ou corrompu.Une "
            "sauveagrde en .bak se trouve dans le dossier du catalogue actuel"));
    // Decided before the finisher resets the flags.
    if (saveFailed)
        return ScanOutcome::CatalogueNotWritten;
    return Arret || ArretRecherche ? ScanOutcome::Stopped : ScanOutcome::Finished;
}

// Saves an XML catalogue and logs what the run did; after a failed save the
// log already says so, and nothing claims otherwise.
void ScanRun::logSummary(const QString& elapsed)
{
    if (!saveFailed && compteur > 0 && exactExtension(CatalogueActif) == kXml)
        saveXml(CatalogueActif, completing);
    if (saveFailed)
        return;
    if (compteur == 0) {
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
}

// The XML catalogue is written once, at the end of the run. A failure is
// logged and shown in place of the summary: nothing of this run was kept.
bool ScanRun::saveXml(const QString& path, bool completingRun)
{
    if (!XMLDoc)
        return true;
    try {
        XMLDoc->saveFile(path);
        return true;
    } catch (const Error& e) {
        reportSaveFailure(e.message(),
            completingRun ? e.message() + QStringLiteral("\nLe catalogue précédent est conservé.") : e.message(), true);
        return false;
    }
}

// Everything after the walk that must happen however the run ended.
void ScanRun::finishRun(ScanRequest& request)
{
    compteur = 0;
    amcFile.sync();
    amcFile.close();
    catalogueLock.release();
    if (ctx.journal && ctx.journal->memo)
        ctx.journal->memo(QString());
    releaseCatalogue();
    Fichier.reset();
    infosFilmAllo.fill(QString());
    noServerSaid = false;
    Initialisation(request);
    if (ctx.onRunFinished)
        ctx.onRunFinished();
}

void ScanRun::Initialisation(ScanRequest& request)
{
    request.EdCheminCataloCree.clear();
    request.EdNbrFilmsCree.clear();
    Arret = false;
    ArretRecherche = false;
    ctx.progress->setPosition(0);
}

int ScanRun::CompteTraiteFichiers(const QString& Chemin, bool compte, bool sousrep)
{
    int total = 0;
    FolderWalk walk;
    walk.subFolders = sousrep;
    walk.stop = [this] { return Arret || ArretRecherche; };
    walk.onFile = [&](const QString& path, const QByteArray& nativePath) {
        if (compte)
            ++total;
        else
            TraitementFichier(path, nativePath);
    };
    // Logged once, by the processing pass.
    if (!compte)
        walk.onProblem = [this](const QString& message) { EcritureLog(message); };
    walk.run(Chemin);
    return total;
}

void ScanRun::TraitementFichier(const QString& NomFichier, const QByteArray& nativeName)
{
    const ScanOptions opts = options();
    const QString name = fileNamePart(NomFichier);
    ctx.progress->startFile(name);
    if (opts.CbEviterDoublons && completing
        && cataloguedNames.contains(storedFileName(NomFichier, exactExtension(CatalogueActif)))) {
        ++doublons;
        ctx.progress->advance();
        ctx.progress->setFileName(name);
        ctx.progress->processEvents();
        return;
    }

    try {
        // A name that is not valid text is opened through a link to the file's own bytes.
        const ReadableName readable(NomFichier, nativeName);
        const QString readPath = readable.link().isEmpty() ? NomFichier : readable.link();
        if (!QFileInfo::exists(readPath))
            throw Error(QStringLiteral("fichier introuvable"));
        ctx.media->New();
        try {
            // A file the library cannot open (no permission, a pipe...) is logged, not dropped as a non-video.
            if (!ctx.media->Open(readPath))
                throw Error(QStringLiteral("lecture impossible"));
            Fichier = std::make_unique<TTraitement>(
                NomFichier, ImageOnly, *ctx.media, [this] { return options().EFiltreTitre; });
            Fichier->readThrough(readable);
        } catch (...) {
            if (!Fichier)
                ctx.media->Delete();
            throw;
        }
        if (!Fichier->TestVideo) {
            Fichier.reset();
            ctx.progress->advance();
        } else {
            Fichier->Titre();
            ctx.progress->setFileName(fileNamePart(Fichier->NomDuFichier));
            ctx.progress->processEvents();
            LookupSource* source =
                (opts.CbAlloAuto || opts.CbAlloManu) && ctx.lookup ? ctx.lookup->source(opts) : nullptr;
            if ((opts.CbAlloAuto || opts.CbAlloManu) && !source)
                sayNoServer(opts);
            // A run that gave up asking catalogues the rest without lookup.
            if (source && ctx.lookup->stopped())
                source = nullptr;
            if (opts.CbAlloManu && source && ctx.manualLookup)
                lookUpByHand(*source);
            else if (opts.CbAlloAuto && !opts.CbAlloManu && source)
                lookUpAutomatically(*source);
            else
                writeEntry();
        }
    } catch (const std::exception&) {
        Fichier.reset();
        EcritureLog(QStringLiteral("Fichier non traité par le scan, une erreur est survenu : ") + NomFichier);
        ctx.progress->advance();
    }
    ctx.progress->processEvents();
}

// The user searches the film database for the film and decides what is written.
void ScanRun::lookUpByHand(LookupSource& source)
{
    QPoint place(PosLeftFenAllo, PosTopFenAllo);
    const ManualLookupDecision decision =
        ctx.manualLookup->lookUp({&source, Fichier->TitreTraduit + QLatin1Char(' ') + Fichier->TitreOriginal,
            Fichier->Annee, &place, [this](const QString& line) { EcritureLog(line); }});
    PosLeftFenAllo = place.x();
    PosTopFenAllo = place.y();
    logLookupNotices();
    if (decision.kind == ManualLookupDecision::Validate) {
        infosFilmAllo = decision.infos;
        writeEntry();
        infosFilmAllo.fill(QString());
        return;
    }
    if (decision.kind == ManualLookupDecision::Stop)
        ArretRecherche = true;
    Fichier.reset();
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

// The film is searched and the first fitting candidate taken; whatever the
// lookup found (or nothing), the file is catalogued.
void ScanRun::lookUpAutomatically(LookupSource& source)
{
    const LookupOutcome outcome = source.lookUp(Fichier->TitreTraduit, Fichier->Annee);
    for (const QString& line : outcome.logLines)
        EcritureLog(line);
    logLookupNotices();
    // A film whose running time is far from the file's may be the wrong one.
    const QString check = runningTimeCheck(Fichier->lengthSeconds(), outcome.runtimeSeconds, Fichier->TitreTraduit);
    if (!check.isEmpty())
        EcritureLog(check);
    infosFilmAllo = outcome.infos;
    // The slots are this file's only: a later file written without a lookup
    // must not inherit them, whatever the writer did.
    struct ClearSlots {
        InfosFilmAllo& infos;
        ~ClearSlots() { infos.fill(QString()); }
    } clear {infosFilmAllo};
    writeEntry();
}

void ScanRun::writeEntry()
{
    const QString ext = exactExtension(CatalogueActif);
    if (ext == kXml)
        EcritureCatalogueXML(*this, *Fichier, infosFilmAllo);
    else if (ext == kAmc)
        EcritureCatalogueAmc(*this, *Fichier, infosFilmAllo);
    else
        ctx.progress->advance();
    Fichier.reset();
}

} // namespace filmarch
