#include "scan/Poster.h"

#include "core/Options.h"
#include "filmdb/AllocineClient.h"
#include "media/MkvTools.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "platform/HttpClient.h"
#include "scan/ScanRun.h"

#include <QDir>

namespace filmarch {

QString posterPath(const QString& folder, const QString& title)
{
    return mkvPosterPath(posterFolder(folder), title);
}

QString downloadPoster(ScanRun& run, const TTraitement& Fichier, const QString& url)
{
    const QString target = posterPath(run.options().EdRepAffiche, Fichier.TitreTraduit);
    try {
        if (!run.context().http)
            throw Error(QStringLiteral("aucun client HTTP"));
        // Through a temporary file: a failed download leaves the poster there was.
        limitRequests(*run.context().http);
        downloadPicture(*run.context().http, url, target);
        return target;
    } catch (const std::exception&) {
        run.EcritureLog(
            QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger") + Fichier.NomDuFichier);
        return QString();
    }
}

} // namespace filmarch
