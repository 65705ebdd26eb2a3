#include "cli/ScanCommand.h"

#include "cli/CommandLine.h"
#include "cli/StandardOutput.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"

#include "app/AppContext.h"
#include "app/OptionRules.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "core/AppPaths.h"
#include "core/Options.h"
#include "platform/ToolLocator.h"
#include "scan/CatalogueKind.h"
#include "scan/ScanRun.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <cstdio>
#include <memory>
#include <optional>

namespace filmarch {

namespace {

// The rule between the duplicate check and the URL, said for the keys of
// options.ini: the window's message names its check boxes.
void printOptionMessage(const QString& text)
{
    if (text == urlOptionNeededMessage())
        printError(QStringLiteral("options.ini : \"Doublons=1\" (éviter les doublons) demande \"ChoisirUrl=1\" "
                                  "(l'emplacement du fichier sert à reconnaître les doublons) ; "
                                  "ChoisirUrl est pris à 1 pour ce scan."));
    else
        printError(text);
}

// -j as given, bounded by what the machine takes; nothing when it is no number
// from 1 to 256.
std::optional<int> tachesOf(const QString& given)
{
    if (given.isEmpty())
        return 0; // the default
    bool ok = false;
    const int taches = given.toInt(&ok);
    if (!ok || taches < 1 || taches > 256)
        return std::nullopt;
    const int most = mostTaches();
    if (taches <= most)
        return taches;
    printError(QStringLiteral("-j %1 : cette machine prend au plus %2 fichiers à la fois (4 par cœur de "
                              "processeur, moins quand la mémoire libre manque) ; le scan en prend %2.")
                   .arg(taches)
                   .arg(most));
    return most;
}

// Why the folder or the catalogue cannot be used, or an empty text.
QString refusalOf(const QString& dossier, const QString& catalogue)
{
    if (!QFileInfo::exists(dossier))
        return QStringLiteral("le dossier à scanner n'existe pas : %1").arg(dossier);
    if (!QFileInfo(dossier).isDir())
        return QStringLiteral("le chemin à scanner n'est pas un dossier : %1").arg(dossier);
    if (!catalogueKindOf(catalogue))
        return QStringLiteral("le catalogue doit porter l'extension \".xml\" ou \".amc\" : %1").arg(catalogue);
    if (!QFileInfo(QFileInfo(catalogue).absolutePath()).isDir())
        return QStringLiteral("le dossier du catalogue n'existe pas : %1").arg(QFileInfo(catalogue).absolutePath());
    return {};
}

// options.ini, with the command line's -r or -R, and without what needs a window.
ScanOptions scanOptionsOf(const AppPaths& paths, int sousRepertoires)
{
    ScanOptions options = readScanOptions(paths.optionsIni(), printOptionMessage);
    if (sousRepertoires >= 0)
        options.CbExploreSousRep = sousRepertoires == 1;
    // The film is chosen by hand in a window, which the command line has not.
    if (options.CbAlloManu) {
        printError(QStringLiteral("options.ini : le mode \"Manuel\" de la recherche Allocine demande la fenêtre du "
                                  "programme ; les films sont catalogués sans recherche."));
        options.CbAlloManu = false;
        options.CbAlloAuto = false;
    }
    return options;
}

int statusOf(const ScanResult& result)
{
    switch (result.outcome) {
    case ScanOutcome::NotStarted: return CliNotStarted;
    // Files failed and none was catalogued: nothing of what was asked was done.
    case ScanOutcome::Finished: return result.notProcessed > 0 && result.newEntries == 0 ? CliFailed : CliDone;
    case ScanOutcome::Stopped: return CliInterrupted; // Ctrl-C, or an output that failed
    case ScanOutcome::CatalogueNotWritten:
    case ScanOutcome::Failed: return CliFailed;
    }
    return CliFailed;
}

} // namespace

int runScanCommand(const ScanCommandRequest& request, const AppPaths& paths)
{
    const std::optional<int> taches = tachesOf(request.taches);
    if (!taches) {
        printError(QStringLiteral("-j demande un nombre de 1 à 256. Voir filmarch-cli --help."));
        return CliBadCommandLine;
    }
    const QString dossier = QDir::cleanPath(QFileInfo(request.dossier).absoluteFilePath());
    const QString catalogue = QFileInfo(request.catalogue).absoluteFilePath();
    if (const QString refusal = refusalOf(dossier, catalogue); !refusal.isEmpty()) {
        printError(refusal);
        return 1;
    }
    if (!mediaInfoPresent(paths)) {
        printError(missingMediaInfoMessage());
        return 1;
    }
    // A log folder that cannot be made is told by the log at its first line.
    makeFolders(paths);

    const ScanOptions options = scanOptionsOf(paths, request.sousRepertoires);
    FixedOptions optionSource(options);

    TerminalProgress progress(request.drawProgress);
    TerminalDialogs dialogs([&progress] { progress.clearLine(); });
    std::unique_ptr<AppContext> context;
    try {
        context = std::make_unique<AppContext>(paths, dialogs);
    } catch (const std::exception& e) {
        printError(QString::fromStdString(e.what()));
        return 1;
    }
    ScanRun* running = nullptr;
    context->journal.memo = [&progress, &running, quiet = request.quiet](const QString& line) {
        if (quiet || outputFailed())
            return;
        progress.clearLine();
        // The log lines are the scan's output: once they cannot be written,
        // the run stops after the file in hand and keeps what it wrote.
        if (!writeOutput(terminalSafe(line).toUtf8() + '\n', true) && running)
            running->requestStop();
    };
    ScanFrontEnd frontEnd;
    frontEnd.options = &optionSource;
    frontEnd.progress = &progress;
    frontEnd.CheminMkvToolNix = ToolLocator::system().findMkvToolNix();
    frontEnd.toolFailuresOncePerRun = true;
    frontEnd.taches = *taches;
    // The window greys these options out; here they were asked for in options.ini.
    if (frontEnd.CheminMkvToolNix.isEmpty() && (options.CbAffiche || options.CbPieceJointe))
        printError(QStringLiteral("MKVToolNix est introuvable (mkvmerge n'est ni dans le PATH, ni dans /usr/bin, ni "
                                  "dans /usr/local/bin) : les options \"Affiches\" et \"PiecesJointe\" de "
                                  "options.ini sont sans effet."));
    const std::unique_ptr<ScanRun> scanRun = context->newScanRun(frontEnd);
    ScanRun& run = *scanRun;
    running = &run;
    progress.attach(&run);
    const auto detached = qScopeGuard([&progress] { progress.detach(); });

    ScanRequest scan;
    scan.EdCheminRepScan = dossier;
    if (QFileInfo::exists(catalogue)) {
        if (run.validitecatalogue(catalogue) < 0) {
            printError(QStringLiteral("le catalogue ne peut pas être complété : %1").arg(catalogue));
            return 1;
        }
        scan.EdCheminCataloExistant = catalogue;
    } else {
        scan.EdCheminCataloCree = catalogue;
    }

    TerminalProgress::installInterruptHandler(request.drawProgress);
    const ScanResult result = run.BtLanceScanClick(scan);
    progress.clearLine();
    return finishOutput(statusOf(result));
}

} // namespace filmarch
