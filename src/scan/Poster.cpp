#include "scan/Poster.h"

#include "core/Options.h"
#include "filmdb/PictureDownload.h"
#include "media/MkvTools.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "platform/HttpClient.h"
#include "platform/UniqueFile.h"
#include "scan/EntrySources.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace filmarch {

namespace {
void logFailure(const EntrySources& sources, const TTraitement& Fichier, const QString& reason = {})
{
    if (sources.log)
        sources.log(QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger")
            + Fichier.NomDuFichier + (reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason)));
}
} // namespace

QString wantedPosterPath(const QString& folder, const TTraitement& Fichier)
{
    QString name = Fichier.TitreTraduit.trimmed();
    if (name.isEmpty())
        name = QFileInfo(Fichier.NomDuFichier).completeBaseName();
    return mkvPosterPath(posterFolder(folder), name);
}

QString downloadPoster(const EntrySources& sources, const TTraitement& Fichier, const QString& url)
{
    const QString folder = posterFolder(sources.opts.EdRepAffiche);
    QString temporary;
    try {
        if (!sources.http)
            throw Error(QStringLiteral("aucun client HTTP"));
        QDir().mkpath(folder);
        QTemporaryFile part(QDir(folder).filePath(QStringLiteral(".affiche-XXXXXX.jpg")));
        if (!part.open())
            throw Error(QStringLiteral("aucun fichier temporaire"));
        part.setAutoRemove(false);
        temporary = part.fileName();
        // A poster is read like any picture beside the catalogue.
        part.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        part.close();
        downloadPicture(*sources.http, url, temporary);
        return temporary;
    } catch (const std::exception& e) {
        if (!temporary.isEmpty())
            QFile::remove(temporary);
        logFailure(sources, Fichier, QString::fromStdString(e.what()));
        return QString();
    }
}

QString keepPoster(const EntrySources& sources, const TTraitement& Fichier, const QString& temporary,
    const QString& wanted, const std::function<bool(const QString&)>& taken)
{
    const QString kept = moveToFreeName(temporary, wanted, taken);
    if (kept.isEmpty()) {
        QFile::remove(temporary);
        logFailure(sources, Fichier);
    }
    return kept;
}

} // namespace filmarch
