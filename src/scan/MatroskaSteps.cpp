#include "scan/MatroskaSteps.h"

#include "core/Options.h"
#include "media/MkvTools.h"
#include "media/Traitement.h"
#include "platform/PathText.h"

namespace filmarch {

void runMatroskaSteps(const QString& toolFolder, TTraitement& Fichier, const ScanOptions& opts, bool passedOn,
    const MatroskaReports& reports)
{
    if (toolFolder.isEmpty() || !(opts.CbAffiche || opts.CbPieceJointe)
        || exactExtension(Fichier.NomDuFichier) != QLatin1String(".mkv"))
        return;
    MkvToolSettings tools;
    tools.CheminMkvToolNix = toolFolder;
    tools.EdRepAffiche = posterFolder(opts.EdRepAffiche);
    tools.replacePoster = !passedOn;
    tools.EcritureLog = reports.log;
    tools.stopRequested = reports.stopRequested;
    tools.errorBox = [&reports](const QString& message) { reports.toolFailure(QStringLiteral("mkvmerge"), message); };
    if (reports.extractFailures)
        tools.extractErrorBox = [&reports](const QString& message) {
            reports.toolFailure(QStringLiteral("mkvextract"), message);
        };

    LanceMkvmerge(Fichier, tools);
    if (opts.CbAffiche && !Fichier.ID.isEmpty())
        LanceMkvextract(Fichier, tools);
}

} // namespace filmarch
