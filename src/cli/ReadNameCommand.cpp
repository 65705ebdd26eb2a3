#include "cli/ReadNameCommand.h"
#include "cli/CommandLine.h"
#include "cli/StandardOutput.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalText.h"
#include "media/ReleaseName.h"

namespace filmarch {

QString readNameLine(const QString& name)
{
    const ReleaseName r = readReleaseName(name);
    QStringList fields;
    fields << QStringLiteral("titre « %1 »").arg(r.title);
    if (!r.alternativeTitle.isEmpty())
        fields << QStringLiteral("autre titre « %1 »").arg(r.alternativeTitle);
    fields << (r.year ? QStringLiteral("année %1").arg(r.year) : QStringLiteral("sans année"));
    if (r.part)
        fields << QStringLiteral("partie %1").arg(r.part);
    if (!r.imdbId.isEmpty())
        fields << QStringLiteral("IMDb %1").arg(r.imdbId);
    if (r.tmdbId)
        fields << QStringLiteral("TMDb %1").arg(r.tmdbId);
    if (!r.editions.isEmpty())
        fields << QStringLiteral("édition %1").arg(r.editions.join(QStringLiteral(", ")));
    if (r.titleFromFolder)
        fields << QStringLiteral("titre lu dans le dossier");
    else if (!r.folderTitle.isEmpty())
        fields << QStringLiteral("dossier « %1 »").arg(r.folderTitle);
    if (r.sample)
        fields << QStringLiteral("extrait, pas de recherche");
    if (r.episode)
        fields << QStringLiteral("épisode, pas de recherche");
    if (!r.releaseWords.isEmpty())
        fields << QStringLiteral("écarté : %1").arg(r.releaseWords.join(u' '));
    return name + QStringLiteral(" : ") + fields.join(QStringLiteral(" ; "));
}

int runReadNameCommand(const QStringList& names)
{
    if (names.isEmpty()) {
        printError(QStringLiteral("--lire-nom demande au moins un NOM. Voir filmarch-cli --help."));
        return CliBadCommandLine;
    }
    for (const QString& name : names)
        if (!writeOutput(terminalSafe(readNameLine(name)).toUtf8() + '\n'))
            break;
    return finishOutput(CliDone);
}

} // namespace filmarch
