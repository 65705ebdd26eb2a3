#include "scan/AmcWriter.h"

#include "core/Options.h"
#include "core/ScanProgress.h"
#include "scan/ScanRun.h"
#include "core/UserDialogs.h"
#include "catalog/MovieList.h"
#include "scan/Poster.h"
#include "scan/WriterText.h"
#include "platform/AppendFile.h"
#include "media/IntegerText.h"
#include "media/Traitement.h"

#include <QFile>
#include <QFileInfo>

namespace filmarch {

namespace {
int integerWithoutSpaces(const QString& text)
{
    return toInteger(withoutSpaces(text));
}

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

void fillEntry(ScanRun& run, TMovie& NewMovie, TTraitement& Fichier, const InfosFilmAllo& infos)
{
    const ScanOptions opts = run.options();
    NewMovie.bChecked = true;
    if (!infos[InfoNoteSpectateurs].isEmpty())
        NewMovie.iRating = 20 * toInteger(infos[InfoNoteSpectateurs]);
    else if (!infos[InfoNotePresse].isEmpty())
        NewMovie.iRating = 20 * toInteger(infos[InfoNotePresse]);
    if (!infos[InfoAnneeProduction].isEmpty() || !infos[InfoAnneeSortie].isEmpty())
        NewMovie.iYear = toInteger(firstNonEmpty(infos[InfoAnneeProduction], infos[InfoAnneeSortie]));

    if (opts.CbGenDuree) {
        const QString length = Fichier.Lengths();
        if (!length.isEmpty())
            NewMovie.iLength = integerWithoutSpaces(length);
    }
    if (opts.CbGenVideo) {
        const QString rate = Fichier.VideoBitrate();
        if (!rate.isEmpty())
            NewMovie.iVideoBitrate = integerWithoutSpaces(rate);
    }
    if (opts.CbGenAudio) {
        const QString rate = Fichier.AudioBitrate();
        if (!rate.isEmpty())
            NewMovie.iAudioBitrate = integerWithoutSpaces(rate);
    }
    if (opts.CbGenTitre) {
        NewMovie.strOriginalTitle = firstNonEmpty(infos[InfoTitreOriginal], Fichier.TitreOriginal);
        NewMovie.strTranslatedTitle = firstNonEmpty(infos[InfoTitre], Fichier.TitreTraduit);
    }
    NewMovie.strDirector = infos[InfoRealisateur];
    NewMovie.strCountry = infos[InfoPays];
    NewMovie.strCategory = infos[InfoGenre];
    NewMovie.strActors = infos[InfoActeurs];
    if (opts.CbGenUrl)
        NewMovie.strURL = Fichier.URL;
    NewMovie.strDescription = infos[InfoSynopsis];
    // The Matroska tools (attachment listing, cover extraction) are not run yet.
    if (opts.CbPieceJointe)
        NewMovie.strComments = QString(Fichier.Comment).replace(QLatin1Char('|'), QStringLiteral("\r\n"));
    if (opts.CbGenVideo) {
        NewMovie.strVideoFormat = Fichier.VideoFormat();
        NewMovie.strFramerate = Fichier.Framerate;
        NewMovie.strResolution = Fichier.Resolution;
    }
    if (opts.CbGenAudio) {
        NewMovie.strAudioFormat = Fichier.ListeFormatAudio();
        NewMovie.strLanguages = Fichier.ListeLanguagesAudio();
    }
    if (opts.CbGenSousTitre)
        NewMovie.strSubtitles = Fichier.ListeLangauagesSousTitre();
    if (opts.CbGenTaille)
        NewMovie.strSize = Fichier.size();

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
    TMovieList& list = *run.MovieList;
    list.Sort(0);
    TMovie& NewMovie = list.Add();
    NewMovie.iNumber = list.FirstFreeNumber(false);
    try {
        fillEntry(run, NewMovie, Fichier, infos);
    } catch (...) {
        list.Delete(list.IndexOf(NewMovie));
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

