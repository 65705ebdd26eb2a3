#include "scan/ScanRun.h"

#include "scan/FolderWalk.h"
#include "core/Journal.h"
#include "core/Options.h"
#include "core/ScanProgress.h"
#include "scan/StoredName.h"
#include "core/UserDialogs.h"
#include "scan/AmcWriter.h"
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "scan/XmlWriter.h"
#include "media/IntegerText.h"
#include "media/MediaInfoDll.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTime>

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

ScanRun::ScanRun(ScanContext context) : ctx(std::move(context)) {}
ScanRun::~ScanRun() = default;

ScanOptions ScanRun::options() const
{
    return ctx.options ? ctx.options->options() : ScanOptions{};
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
    // A named pipe or a device would block the load for ever.
    if ((ext == kXml || ext == kAmc) && !isRegularFile(path)) {
        releaseCatalogue();
        ctx.dialogs->showMessage(ext == kXml ? QStringLiteral("Le fichier catalogue renseigné n'est pas compatible")
                                             : QStringLiteral("Chargement du catalogue à compléter impossible"));
        return -1;
    }
    if (!path.isEmpty() && ext == kXml) {
        try {
            XMLDoc = XmlCatalogue::loadFile(path);
        } catch (const std::exception&) {
            releaseCatalogue();
            ctx.dialogs->showMessage(QStringLiteral("Le fichier catalogue renseigné n'est pas compatible"));
            return -1;
        }
        loadedCatalogue = path;
        cataloguedNames.clear();
        const int n = XMLDoc->movieCount();
        for (int i = 0; i < n; ++i)
            cataloguedNames.insert(fileNamePart(XMLDoc->movieAttribute(i, QStringLiteral("URL"))));
        return n;
    }
    if (!path.isEmpty() && ext == kAmc) {
        try {
            if (!MovieList)
                MovieList = std::make_unique<TMovieList>();
            iHeader = MovieList->LoadFromFile(path);
            MovieList->SaveToFile(path, path + QStringLiteral(".bak"), iHeader);
            FichierPresent.clear();
            MovieList->GetValues(FichierPresent, 18);
        } catch (const std::exception&) {
            releaseCatalogue();
            ctx.dialogs->showMessage(QStringLiteral("Chargement du catalogue à compléter impossible"));
            return -1;
        }
        loadedCatalogue = path;
        cataloguedNames.clear();
        for (const QString& url : std::as_const(FichierPresent))
            cataloguedNames.insert(fileNamePart(url));
        return MovieList->Count();
    }
    return -1;
}

bool ScanRun::BtLanceScanClick(ScanRequest& request)
{
    if (!MovieList)
        MovieList = std::make_unique<TMovieList>();
    FichierLog = Journal::logFilePath(ctx.appDir);
    EcritureLog(QStringLiteral("Début du scan du répertoire ") + request.EdCheminRepScan);
    const ScanOptions opts = options();
    ImageOnly = opts.CbPieceJointe && opts.CbfichiersImages;
    QElapsedTimer chrono;
    chrono.start();

    if (request.EdCheminRepScan.isEmpty() || !QFileInfo(request.EdCheminRepScan).isDir()) {
        ctx.dialogs->showMessage(QStringLiteral("Veuillez sélectionner en premier un répertoire valide pour le scan"));
        return false;
    }
    if (request.EdCheminCataloCree.isEmpty() && request.EdCheminCataloExistant.isEmpty()) {
        ctx.dialogs->showMessage(
            QStringLiteral("Choisir l'un des deux scans possibles : Créer catalogue ou Complèter catalogue"));
        return false;
    }
    // A catalogue to complete is released at the end of every run: load it
    // again before writing through it.
    completing = request.EdCheminCataloCree.isEmpty();
    if (completing && loadedCatalogue != request.EdCheminCataloExistant) {
        const int n = validitecatalogue(request.EdCheminCataloExistant);
        if (n < 0) {
            request.EdCheminCataloExistant.clear();
            request.EdNbrFilmsExist.clear();
            CatalogueActif.clear();
            return false;
        }
        request.EdNbrFilmsExist = QString::number(n);
        CatalogueActif = request.EdCheminCataloExistant;
    }

    doublons = 0;
    PosTopFenAllo = 0;
    PosLeftFenAllo = 0;
    saveFailed = false;
    if (ctx.onRunStarted)
        ctx.onRunStarted();

    struct Finisher {
        ScanRun* run;
        ScanRequest& request;
        ~Finisher() { run->finishRun(request); }
    } finisher{this, request};

    ctx.progress->setPosition(0);
    const int total = CompteTraiteFichiers(request.EdCheminRepScan, true, opts.CbExploreSousRep);
    ctx.progress->setMaximum(total);
    compteur = toInteger(completing ? request.EdNbrFilmsExist : request.EdNbrFilmsCree);
    CompteTraiteFichiers(request.EdCheminRepScan, false, opts.CbExploreSousRep);

    logSummary(request, formatElapsed(chrono.elapsed()));
    compteur = 0;
    if (Arret)
        EcritureLog(QStringLiteral(
            "Le scan a été coupé par l'utilisateur, le catalogue risque d'être incomplet ou corrompu.Une "
            "sauveagrde en .bak se trouve dans le dossier du catalogue actuel"));
    return true;
}

// Saves an XML catalogue and logs what the run did.
void ScanRun::logSummary(const ScanRequest& request, const QString& elapsed)
{
    if (compteur == 0) {
        EcritureLog(QStringLiteral("Le scan n'a détecté aucune video. Aucun catalogue crée"));
    } else if (!request.EdNbrFilmsCree.isEmpty()) {
        const QString path = request.EdCheminCataloCree;
        if (exactExtension(CatalogueActif) == kXml && !saveXml(path, false))
            return;
        EcritureLog(QStringLiteral("Création d'un nouveau catalogue de à l'emplacement ") + path);
        EcritureLog(QStringLiteral("Nouvelles entrées : %1         Nombre Total : %1        Temps écoulé :%2")
                        .arg(compteur)
                        .arg(elapsed));
    } else {
        const QString path = request.EdCheminCataloExistant;
        if (exactExtension(CatalogueActif) == kXml && !saveXml(path, true))
            return;
        EcritureLog(QStringLiteral("Catalogue complété à l'emplacement ") + path);
        EcritureLog(QStringLiteral("Nouvelles entrées : %1         Nombre Total : %2         Doublons détecté : "
                                   "%3        Temps écoulé :%4")
                        .arg(compteur - toInteger(request.EdNbrFilmsExist))
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
        saveFailed = true;
        EcritureLog(e.message());
        ctx.dialogs->showError(completingRun ? e.message() + QStringLiteral("\nLe catalogue précédent est conservé.")
                                             : e.message());
        return false;
    }
}

// Everything after the walk that must happen however the run ended.
void ScanRun::finishRun(ScanRequest& request)
{
    compteur = 0;
    if (exactExtension(CatalogueActif) == kAmc)
        endCatalogueAmcRun(CatalogueActif);
    if (ctx.journal && ctx.journal->memo)
        ctx.journal->memo(QString());
    releaseCatalogue();
    Fichier.reset();
    infosFilmAllo.fill(QString());
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
    walk.onFile = [&](const QString& path) {
        if (compte)
            ++total;
        else
            TraitementFichier(path);
    };
    // Logged once, by the processing pass.
    if (!compte)
        walk.onProblem = [this](const QString& message) { EcritureLog(message); };
    walk.run(Chemin);
    return total;
}

void ScanRun::TraitementFichier(const QString& NomFichier)
{
    const ScanOptions opts = options();
    const QString name = fileNamePart(NomFichier);
    ctx.progress->startFile(name);
    if (opts.CbEviterDoublons && completing &&
        cataloguedNames.contains(storedFileName(NomFichier, exactExtension(CatalogueActif)))) {
        ++doublons;
        ctx.progress->advance();
        ctx.progress->setFileName(name);
        ctx.progress->processEvents();
        return;
    }

    try {
        // A name the system cannot give back as text (not UTF-8) cannot be opened.
        if (!QFileInfo::exists(NomFichier))
            throw Error(QStringLiteral("fichier introuvable"));
        ctx.media->New();
        try {
            // A file the library cannot open (no permission, a pipe...) is logged, not dropped as a non-video.
            if (!ctx.media->Open(NomFichier))
                throw Error(QStringLiteral("lecture impossible"));
            Fichier = std::make_unique<TTraitement>(NomFichier, ImageOnly, *ctx.media,
                                                   [this] { return options().EFiltreTitre; });
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
            // The film-database lookups are not available yet: with a lookup
            // option in force the entry is written directly, like without one.
            writeEntry();
        }
    } catch (const std::exception&) {
        Fichier.reset();
        EcritureLog(QStringLiteral("Fichier non traité par le scan, une erreur est survenu : ") + NomFichier);
        ctx.progress->advance();
    }
    ctx.progress->processEvents();
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
