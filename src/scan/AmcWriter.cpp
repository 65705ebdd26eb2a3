#include "scan/AmcWriter.h"

#include "catalog/MovieList.h"
#include "core/Options.h"
#include "core/ScanProgress.h"
#include "media/Traitement.h"
#include "platform/AppendFile.h"
#include "scan/EntryMapping.h"
#include "scan/MatroskaSteps.h"
#include "scan/Poster.h"
#include "scan/ScanRun.h"

#include <QFile>
#include <QFileInfo>

namespace filmarch {

namespace {
// Reads a picture file into the entry; false when it cannot be read.
bool storePicture(TMovie& movie, const QString& path, const QString& extension)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    movie.Picture = file.readAll();
    movie.strPicture = extension;
    return true;
}

void fillEntry(
    ScanRun& run, TMovie& NewMovie, TTraitement& Fichier, const ScanOptions& opts, const InfosFilmAllo& infos)
{
    fillAmcEntry(NewMovie, Fichier, opts, infos);
    // An extracted cover moves into the catalogue.
    if (!Fichier.LienAffiche.isEmpty() && QFileInfo::exists(Fichier.LienAffiche)
        && storePicture(NewMovie, Fichier.LienAffiche, QLatin1Char('.') + QFileInfo(Fichier.LienAffiche).suffix()))
        QFile::remove(Fichier.LienAffiche);
    // A downloaded poster replaces it.
    if (!infos[InfoAffiche].isEmpty()) {
        const QString poster = downloadPoster(run, Fichier, infos[InfoAffiche]);
        if (!poster.isEmpty() && storePicture(NewMovie, poster, QStringLiteral(".jpg")))
            QFile::remove(poster);
    }
}

// Each save adds the new entry's record at the end of the file, which stays
// whole before and after: the work is that of the entry, not of the catalogue.
// The file is written whole first when it does not hold the list in the layout
// of the version (a new catalogue, an older version converted).
void saveEntry(ScanRun& run, TMovieList& list, const TMovie& NewMovie)
{
    AppendFile& file = run.amcFile;
    if (!file.isOpen()) {
        const QByteArray& loaded = list.LoadedBytes();
        if (run.completesCatalogue() && !loaded.isEmpty() && TMovieList::WrittenAsRead(run.iHeader)) {
            file.open(run.CatalogueActif);
            if (file.size() != loaded.size())
                file.close();
        }
        if (!file.isOpen()) {
            list.SaveToFile(run.CatalogueActif, run.CatalogueActif, run.iHeader);
            file.open(run.CatalogueActif);
            return;
        }
    }
    // Should the run be killed while adding, the next one cuts back to here.
    run.catalogueLock.recordCommitted({file.device(), file.inode(), file.size()});
    file.append(list.EntryBytes(NewMovie, run.iHeader));
}
} // namespace

QString amcSaveFailedMessage()
{
    return QStringLiteral("Enregistrement impossible : Si le fichier est corrompue, une sauvegarde en .bak se "
                          "trouve dans le dossier du catalogue sélectionné");
}

void EcritureCatalogueAmc(ScanRun& run, TTraitement& Fichier, const InfosFilmAllo& infos)
{
    const ScanOptions opts = run.options();
    // The tools run before the entry exists: their waits process events.
    runMatroskaSteps(run, Fichier, opts, true);
    TMovieList& list = *run.MovieList;
    list.Sort(0);
    TMovie& NewMovie = list.Add();
    NewMovie.iNumber = list.FirstFreeNumber(false);
    try {
        fillEntry(run, NewMovie, Fichier, opts, infos);
    } catch (...) {
        list.Delete(list.IndexOf(NewMovie));
        // The extracted poster belonged to the entry that is dropped.
        if (!Fichier.LienAffiche.isEmpty())
            QFile::remove(Fichier.LienAffiche);
        throw;
    }

    try {
        saveEntry(run, list, NewMovie);
        ++run.compteur;
    } catch (const std::exception& e) {
        run.amcFile.close();
        run.reportSaveFailure(QStringLiteral("Enregistrement du catalogue impossible : %1 (%2)")
                                  .arg(run.CatalogueActif, QString::fromStdString(e.what())),
            amcSaveFailedMessage());
        run.ArretRecherche = true;
    }
    run.context().progress->advance();
}

} // namespace filmarch
