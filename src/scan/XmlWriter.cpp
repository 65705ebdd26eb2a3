#include "scan/XmlWriter.h"

#include "catalog/XmlCatalogue.h"
#include "core/Options.h"
#include "core/ScanProgress.h"
#include "media/Traitement.h"
#include "scan/EntryMapping.h"
#include "scan/MatroskaSteps.h"
#include "scan/Poster.h"
#include "scan/ScanRun.h"

#include <QDate>
#include <QFileInfo>

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

    if (opts.CbGenTitre)
        Fichier.Titre();
    runMatroskaSteps(run, Fichier, opts, false);
    // Every value is computed before the element is added, so that a failure
    // leaves no half-filled entry in the catalogue (and downloads nothing).
    const QString date = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    // An extracted poster is the picture: nothing is downloaded then.
    QString picture;
    if (!Fichier.LienAffiche.isEmpty() && QFileInfo::exists(Fichier.LienAffiche))
        picture = Fichier.LienAffiche;
    XmlAttributes attrs = xmlMovieAttributes(Fichier, opts, infos, number, date, picture);
    if (picture.isEmpty() && !infos[InfoAffiche].isEmpty()) {
        picture = downloadPoster(run, Fichier, infos[InfoAffiche]);
        if (!picture.isEmpty())
            attrs = xmlMovieAttributes(Fichier, opts, infos, number, date, picture);
    }
    XmlCatalogue::Movie movie = run.XMLDoc->appendMovie();
    for (const auto& [name, value] : attrs)
        movie.setAttribute(name, value);
    ++run.compteur;
    run.context().progress->advance();
}

} // namespace filmarch
