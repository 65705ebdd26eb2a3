#include "scan/XmlWriter.h"

#include "media/Traitement.h"
#include "scan/CatalogueSession.h"
#include "scan/EntryMapping.h"
#include "scan/EntrySources.h"
#include "scan/Poster.h"

#include <QDate>
#include <QFileInfo>

namespace filmarch {

void EcritureCatalogueXML(
    CatalogueSession& catalogue, const EntrySources& sources, TTraitement& Fichier, const InfosFilmAllo& infos)
{
    const ScanOptions& opts = sources.opts;
    const int number = catalogue.nextXmlNumber();
    // Every value is computed before the element is added, so that a failure
    // leaves no half-filled entry in the catalogue (and downloads nothing).
    const QString date = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    XmlAttributes attrs = xmlMovieAttributes(Fichier, opts, infos, number, date, QString());
    // An extracted poster is the picture: nothing is downloaded then.
    QString picture = Fichier.LienAffiche;
    Fichier.LienAffiche.clear();
    if (!picture.isEmpty() && !QFileInfo::exists(picture))
        picture.clear();
    if (picture.isEmpty() && !infos[InfoAffiche].isEmpty())
        picture = downloadPoster(sources, Fichier, infos[InfoAffiche]);
    if (!picture.isEmpty()) {
        picture = keepPoster(sources, Fichier, picture, wantedPosterPath(opts.EdRepAffiche, Fichier),
            [&catalogue](const QString& name) { return catalogue.isPictureOfEntry(name); });
        if (!picture.isEmpty())
            attrs = xmlMovieAttributes(Fichier, opts, infos, number, date, picture);
    }
    catalogue.appendXmlMovie(attrs);
}

} // namespace filmarch
