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

struct StoredPicture {
    QByteArray bytes;
    QString extension; // with its dot
};

// A picture file as the entry stores it; nothing when it cannot be read.
std::optional<StoredPicture> readPicture(const QString& path, const QString& extension)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestStoredPicture)
        return std::nullopt;
    return StoredPicture {file.readAll(), extension};
}

// The entry's picture: the cover extracted from the film, replaced by a
// downloaded poster. A picture file read goes: its bytes move into the catalogue.
std::optional<StoredPicture> entryPicture(const EntrySources& sources, TTraitement& Fichier, const InfosFilmAllo& infos)
{
    std::optional<StoredPicture> picture;
    if (!Fichier.LienAffiche.isEmpty() && QFileInfo::exists(Fichier.LienAffiche)) {
        if (QFileInfo(Fichier.LienAffiche).size() > kLargestStoredPicture) {
            if (sources.log)
                sources.log(QStringLiteral("Affiche trop volumineuse, fichier catalogué sans affiche : ")
                    + Fichier.NomDuFichier);
            QFile::remove(Fichier.LienAffiche);
        } else {
            picture = readPicture(Fichier.LienAffiche, QLatin1Char('.') + QFileInfo(Fichier.LienAffiche).suffix());
            if (picture)
                QFile::remove(Fichier.LienAffiche);
        }
    }
    if (!infos[InfoAffiche].isEmpty()) {
        const QString poster = downloadPoster(sources, Fichier, infos[InfoAffiche]);
        if (!poster.isEmpty()) {
            if (std::optional<StoredPicture> downloaded = readPicture(poster, QStringLiteral(".jpg")))
                picture = std::move(downloaded);
            QFile::remove(poster);
        }
    }
    return picture;
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
    // The entry is whole, its picture downloaded, before it joins the
    // catalogue; values that cannot be read drop it before any download.
    TMovie entry;
    try {
        fillAmcEntry(entry, Fichier, sources.opts, infos);
        if (std::optional<StoredPicture> picture = entryPicture(sources, Fichier, infos)) {
            entry.Picture = std::move(picture->bytes);
            entry.strPicture = picture->extension;
        }
    } catch (...) {
        // The extracted poster belonged to the entry that is dropped.
        if (!Fichier.LienAffiche.isEmpty())
            QFile::remove(Fichier.LienAffiche);
        throw;
    }
    return catalogue.addAmcEntry(std::move(entry));
}

} // namespace filmarch
