#include "scan/Poster.h"

#include "core/Options.h"
#include "filmdb/AllocineClient.h"
#include "media/MkvTools.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "platform/HttpClient.h"
#include "scan/EntrySources.h"

#include <QDir>

namespace filmarch {

QString posterPath(const QString& folder, const QString& title)
{
    return mkvPosterPath(posterFolder(folder), title);
}

QString downloadPoster(const EntrySources& sources, const TTraitement& Fichier, const QString& url)
{
    const QString target = posterPath(sources.opts.EdRepAffiche, Fichier.TitreTraduit);
    try {
        if (!sources.http)
            throw Error(QStringLiteral("aucun client HTTP"));
        // Through a temporary file: a failed download leaves the poster there was.
        downloadPicture(*sources.http, url, target);
        return target;
    } catch (const std::exception&) {
        if (sources.log)
            sources.log(QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger")
                + Fichier.NomDuFichier);
        return QString();
    }
}

} // namespace filmarch
