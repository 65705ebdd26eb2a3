#include "scan/XmlWriter.h"

#include "core/Options.h"
#include "core/ScanProgress.h"
#include "scan/ScanRun.h"
#include "scan/Poster.h"
#include "scan/WriterText.h"
#include "catalog/XmlCatalogue.h"
#include "media/IntegerText.h"
#include "media/Traitement.h"

#include <QDate>
#include <QFileInfo>
#include <utility>
#include <vector>

namespace filmarch {

void EcritureCatalogueXML(ScanRun& run, TTraitement& Fichier, const InfosFilmAllo& infos)
{
    const ScanOptions opts = run.options();
    // A loaded catalogue is kept even when it has no entry yet; a new one gets
    // its document at its first entry.
    if (!run.XMLDoc || (run.compteur == 0 && !run.holdsLoadedXml()))
        run.XMLDoc = XmlCatalogue::createNew();
    // Numbers no entry has, as in an AMC catalogue: the entries of a completed
    // catalogue need not be numbered 1 to n.
    const int number = run.XMLDoc->firstFreeNumber();

    // Every value is computed before the element is added, so that a failure
    // leaves no half-filled entry in the catalogue.
    std::vector<std::pair<QString, QString>> attrs;
    auto set = [&attrs](const char* name, const QString& value) { attrs.emplace_back(QLatin1String(name), value); };
    set("Number", QString::number(number));
    set("Checked", QStringLiteral("True"));
    set("Date", QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    if (opts.CbGenTitre) {
        Fichier.Titre();
        set("OriginalTitle", firstNonEmpty(infos[InfoTitreOriginal], Fichier.TitreOriginal));
        set("TranslatedTitle", firstNonEmpty(infos[InfoTitre], Fichier.TitreTraduit));
    }
    if (opts.CbGenDuree)
        set("Length", Fichier.Lengths());
    if (opts.CbGenUrl)
        set("URL", Fichier.URL);
    // The Matroska tools (attachment listing, cover extraction) are not run yet.
    if (opts.CbPieceJointe)
        set("Comments", Fichier.Comment);
    if (opts.CbGenVideo) {
        set("VideoFormat", Fichier.VideoFormat());
        set("VideoBitrate", withoutSpaces(Fichier.VideoBitrate()));
        set("Resolution", Fichier.Resolution);
        set("Framerate", Fichier.Framerate);
    }
    if (opts.CbGenAudio) {
        set("AudioFormat", Fichier.ListeFormatAudio());
        set("AudioBitrate", withoutSpaces(Fichier.AudioBitrate()));
        set("Languages", Fichier.ListeLanguagesAudio());
    }
    if (opts.CbGenSousTitre)
        set("Subtitles", Fichier.ListeLangauagesSousTitre());
    if (opts.CbGenTaille)
        set("Size", Fichier.size());

    QString rating;
    if (!infos[InfoNoteSpectateurs].isEmpty())
        rating = QString::number(2 * toInteger(infos[InfoNoteSpectateurs]));
    else if (!infos[InfoNotePresse].isEmpty())
        rating = QString::number(2 * toInteger(infos[InfoNotePresse]));

    if (!Fichier.LienAffiche.isEmpty() && QFileInfo::exists(Fichier.LienAffiche)) {
        set("Picture", Fichier.LienAffiche);
    } else if (!infos[InfoAffiche].isEmpty()) {
        const QString poster = downloadPoster(run, Fichier, infos[InfoAffiche]);
        if (!poster.isEmpty())
            set("Picture", poster);
    }
    set("Year", firstNonEmpty(infos[InfoAnneeSortie], infos[InfoAnneeProduction]));
    set("Director", infos[InfoRealisateur]);
    set("Country", infos[InfoPays]);
    set("Category", infos[InfoGenre]);
    set("Actors", infos[InfoActeurs]);
    set("Description", infos[InfoSynopsis]);
    if (!rating.isEmpty())
        set("Rating", rating);
    set("Disks", QStringLiteral("1"));

    XmlCatalogue::Movie movie = run.XMLDoc->appendMovie();
    for (const auto& [name, value] : attrs)
        movie.setAttribute(name, value);
    ++run.compteur;
    run.context().progress->advance();
}

} // namespace filmarch
