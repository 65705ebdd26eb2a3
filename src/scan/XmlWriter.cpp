#include "scan/XmlWriter.h"

#include "media/Traitement.h"
#include "scan/CatalogueSession.h"
#include "scan/EntryMapping.h"
#include "scan/EntrySources.h"
#include "scan/Poster.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace filmarch {

void EcritureCatalogueXML(
    CatalogueSession& catalogue, const EntrySources& sources, TTraitement& Fichier, const InfosFilmAllo& infos)
{
    const ScanOptions& opts = sources.opts;
    const int number = catalogue.nextXmlNumber();
    // Every value is computed before the element is added, so that a failure
    // leaves no half-filled entry in the catalogue (and downloads nothing).
    const QString date = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    // An extracted poster is the picture: nothing is downloaded then. It
    // takes its place in the poster folder once the entry's values are known.
    const QString extracted = Fichier.LienAffiche;
    QString picture;
    if (!extracted.isEmpty() && QFileInfo::exists(extracted))
        picture = posterPath(opts.EdRepAffiche, Fichier.TitreTraduit);
    XmlAttributes attrs = xmlMovieAttributes(Fichier, opts, infos, number, date, picture);
    if (!picture.isEmpty()) {
        Fichier.LienAffiche.clear();
        if (std::rename(QFile::encodeName(extracted).constData(), QFile::encodeName(picture).constData()) != 0) {
            QFile::remove(extracted);
            picture.clear();
            attrs = xmlMovieAttributes(Fichier, opts, infos, number, date, picture);
        }
    }
    if (picture.isEmpty() && !infos[InfoAffiche].isEmpty()) {
        picture = downloadPoster(sources, Fichier, infos[InfoAffiche]);
        if (!picture.isEmpty())
            attrs = xmlMovieAttributes(Fichier, opts, infos, number, date, picture);
    }
    catalogue.appendXmlMovie(attrs);
}

} // namespace filmarch
