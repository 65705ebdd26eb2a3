#include "scan/MatroskaSteps.h"

#include "core/Options.h"
#include "media/MkvTools.h"
#include "media/Traitement.h"
#include "scan/ScanRun.h"

namespace filmarch {

void runMatroskaSteps(ScanRun& run, TTraitement& Fichier, const ScanOptions& opts, bool passedOn)
{
    const QString folder = run.context().CheminMkvToolNix;
    if (folder.isEmpty() || !(opts.CbAffiche || opts.CbPieceJointe)
        || exactExtension(Fichier.NomDuFichier) != QLatin1String(".mkv"))
        return;
    MkvToolSettings tools;
    tools.CheminMkvToolNix = folder;
    tools.EdRepAffiche = posterFolder(opts.EdRepAffiche);
    tools.replacePoster = !passedOn;
    tools.EcritureLog = [&run](const QString& line) { run.EcritureLog(line); };
    tools.stopRequested = [&run] { return run.stopRequested(); };
    tools.errorBox = [&run](const QString& message) { run.reportToolFailure(QStringLiteral("mkvmerge"), message); };
    if (run.context().toolFailuresOncePerRun)
        tools.extractErrorBox = [&run](const QString& message) {
            run.reportToolFailure(QStringLiteral("mkvextract"), message);
        };

    LanceMkvmerge(Fichier, tools);
    if (opts.CbAffiche && !Fichier.ID.isEmpty())
        LanceMkvextract(Fichier, tools);
}

} // namespace filmarch
