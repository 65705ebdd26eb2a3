#include "scan/AmcWriter.h"

#include "catalog/Movie.h"
#include "media/Traitement.h"
#include "scan/CatalogueSession.h"
#include "scan/EntryMapping.h"
#include "scan/EntrySources.h"
#include "scan/Poster.h"

#include <QFile>
#include <QFileInfo>

namespace filmarch {

namespace {
// A picture stored in an entry is held in memory whole and written into the
// catalogue; a cover taken from a film file may be anything.
constexpr qint64 kLargestStoredPicture = 32 << 20;

// Reads a picture file into the entry; false when it cannot be read.
bool storePicture(TMovie& movie, const QString& path, const QString& extension)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestStoredPicture)
        return false;
    movie.Picture = file.readAll();
    movie.strPicture = extension;
    return true;
}

void fillEntry(TMovie& NewMovie, const EntrySources& sources, TTraitement& Fichier, const InfosFilmAllo& infos)
{
    fillAmcEntry(NewMovie, Fichier, sources.opts, infos);
    // An extracted cover moves into the catalogue.
    if (!Fichier.LienAffiche.isEmpty() && QFileInfo::exists(Fichier.LienAffiche)) {
        if (QFileInfo(Fichier.LienAffiche).size() > kLargestStoredPicture) {
            if (sources.log)
                sources.log(QStringLiteral("Affiche trop volumineuse, fichier catalogué sans affiche : ")
                    + Fichier.NomDuFichier);
            QFile::remove(Fichier.LienAffiche);
        } else if (storePicture(
                       NewMovie, Fichier.LienAffiche, QLatin1Char('.') + QFileInfo(Fichier.LienAffiche).suffix())) {
            QFile::remove(Fichier.LienAffiche);
        }
    }
    // A downloaded poster replaces it.
    if (!infos[InfoAffiche].isEmpty()) {
        const QString poster = downloadPoster(sources, Fichier, infos[InfoAffiche]);
        if (!poster.isEmpty()) {
            storePicture(NewMovie, poster, QStringLiteral(".jpg"));
            QFile::remove(poster);
        }
    }
}
} // namespace

QString amcSaveFailedMessage()
{
    return QStringLiteral("Enregistrement impossible : Si le fichier est corrompue, une sauvegarde en .bak se "
                          "trouve dans le dossier du catalogue sélectionné");
}

std::optional<QString> EcritureCatalogueAmc(
    CatalogueSession& catalogue, const EntrySources& sources, TTraitement& Fichier, const InfosFilmAllo& infos)
{
    try {
        return catalogue.addAmcEntry([&](TMovie& NewMovie) { fillEntry(NewMovie, sources, Fichier, infos); });
    } catch (...) {
        // The extracted poster belonged to the entry that is dropped.
        if (!Fichier.LienAffiche.isEmpty())
            QFile::remove(Fichier.LienAffiche);
        throw;
    }
}

} // namespace filmarch
