// filmarch-cli: scans a folder into a catalogue without a window.
#include "app/AppContext.h"
#include "app/OptionRules.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "cli/ReadNameCommand.h"
#include "cli/StandardOutput.h"
#include "cli/SyncCommands.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"
#include "cli/VerifyCommand.h"
#include "core/AppPaths.h"
#include "core/Options.h"
#include "core/UserDialogs.h"
#include "media/MediaInfoDll.h"
#include "platform/PathText.h"
#include "platform/ToolLocator.h"
#include "scan/ScanRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <optional>

using namespace filmarch;

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

int badCommandLine(const QString& why)
{
    printError(why);
    return CliBadCommandLine;
}

// The mode chosen is checked against the options given.
std::optional<int> checkMode(const CommandLine& line)
{
    const bool comparer = line.isSet(QStringLiteral("comparer"));
    const bool copier = line.isSet(QStringLiteral("copier"));
    const bool exporter = line.isSet(QStringLiteral("exporter"));
    const bool verifier = line.isSet(QStringLiteral("verifier"));
    if (int(comparer) + int(copier) + int(exporter) + int(verifier) > 1)
        return badCommandLine(QStringLiteral(
            "--comparer, --copier, --exporter et --verifier ne vont pas ensemble. Voir filmarch-cli --help."));
    if (line.isSet(QStringLiteral("vrac")) && !copier)
        return badCommandLine(QStringLiteral("l'option --vrac va avec --copier. Voir filmarch-cli --help."));
    if (line.isSet(QStringLiteral("nul")) && !comparer && !verifier)
        return badCommandLine(
            QStringLiteral("l'option -0 va avec --comparer ou --verifier. Voir filmarch-cli --help."));
    for (const char* name : {"remplacer", "csv-brut"})
        if (line.isSet(QString::fromLatin1(name)) && !exporter)
            return badCommandLine(QStringLiteral("l'option --%1 va avec --exporter. Voir filmarch-cli --help.")
                                      .arg(QString::fromLatin1(name)));
    if ((line.isSet(QStringLiteral("appliquer")) || line.isSet(QStringLiteral("retirer-absents"))) && !verifier)
        return badCommandLine(QStringLiteral(
            "les options --appliquer et --retirer-absents vont avec --verifier. Voir filmarch-cli --help."));
    if (verifier) {
        if (line.positional().isEmpty() || line.positional().size() > 2)
            return badCommandLine(
                QStringLiteral("il faut un CATALOGUE, et au plus un DOSSIER. Voir filmarch-cli --help."));
        return std::nullopt;
    }
    if (line.positional().size() != 2)
        return badCommandLine((comparer || copier)
                ? QStringLiteral("il faut une REFERENCE et une SAUVEGARDE. Voir filmarch-cli --help.")
                : exporter ? QStringLiteral("il faut un CATALOGUE et une SORTIE. Voir filmarch-cli --help.")
                           : QStringLiteral("il faut un DOSSIER et un CATALOGUE. Voir filmarch-cli --help."));
    return std::nullopt;
}

// -r or -R, the last one given; -1 when neither (options.ini decides).
int sousRepertoiresOf(const CommandLine& line)
{
    int chosen = -1;
    for (const QString& name : line.optionNames()) {
        if (name == QLatin1String("r") || name == QLatin1String("sous-repertoires"))
            chosen = 1;
        else if (name == QLatin1String("R") || name == QLatin1String("sans-sous-repertoires"))
            chosen = 0;
    }
    return chosen;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // After QCoreApplication, which sets the locale from the environment: the
    // MediaInfo library turns file names into bytes with the C library's
    // character set, so it must be UTF-8 like the names on disk.
    useUtf8FileNames();
    // Messages in French, Qt's own (a value missing after an option) and the
    // system's reasons included.
    speakFrench(app);
    // A reader that goes away (| head, quitting less) is seen as a failed
    // write, so that a scan can stop cleanly before the program ends.
    std::signal(SIGPIPE, SIG_IGN);
    CommandLine line;
    if (!line.parse(app.arguments()))
        return badCommandLine(line.error());
    if (line.isSet(QStringLiteral("help"))) {
        writeOutput(cliHelp().toUtf8());
        return finishOutput(CliDone);
    }
    if (line.isSet(QStringLiteral("version"))) {
        writeOutput(versionText(QStringLiteral("filmarch-cli")).toUtf8());
        return finishOutput(CliDone);
    }
    if (line.isSet(QStringLiteral("lire-nom")))
        return runReadNameCommand(line.positional());
    if (const std::optional<int> status = checkMode(line))
        return *status;
    const bool quiet = line.isSet(QStringLiteral("quiet"));
    const bool drawProgress = cursorCodesOnStderr() && !quiet;
    const int sousRepertoires = sousRepertoiresOf(line);

    const AppPaths paths = AppPaths::forProgram(QCoreApplication::applicationDirPath());
    useDefaultFolders(paths);
    if (line.isSet(QStringLiteral("comparer")) || line.isSet(QStringLiteral("copier"))) {
        SyncRequest request;
        request.copier = line.isSet(QStringLiteral("copier"));
        request.sousRepertoires = sousRepertoires == 1;
        request.vrac = line.isSet(QStringLiteral("vrac"));
        request.nul = line.isSet(QStringLiteral("nul"));
        request.quiet = quiet;
        request.drawProgress = drawProgress;
        request.reference = line.positional()[0];
        request.sauvegarde = line.positional()[1];
        return runSyncCommand(request, paths);
    }
    if (line.isSet(QStringLiteral("verifier"))) {
        VerifyRequest request;
        request.catalogue = line.positional()[0];
        request.dossier = line.positional().value(1);
        request.appliquer = line.isSet(QStringLiteral("appliquer"));
        request.retirerAbsents = line.isSet(QStringLiteral("retirer-absents"));
        request.nul = line.isSet(QStringLiteral("nul"));
        request.quiet = quiet;
        return runVerifyCommand(request, paths);
    }
    if (line.isSet(QStringLiteral("exporter"))) {
        ExportRequest request;
        request.forme = line.value(QStringLiteral("exporter"));
        request.catalogue = line.positional()[0];
        request.sortie = line.positional()[1];
        request.drawProgress = drawProgress;
        request.remplacer = line.isSet(QStringLiteral("remplacer"));
        request.csvBrut = line.isSet(QStringLiteral("csv-brut"));
        return runExportCommand(request);
    }

    struct {
        int taches = 0; // 0: the default
        QString dossier;
        QString catalogue;
    } args;
    if (line.isSet(QStringLiteral("taches"))) {
        bool ok = false;
        args.taches = line.value(QStringLiteral("taches")).toInt(&ok);
        if (!ok || args.taches < 1 || args.taches > 256)
            return badCommandLine(QStringLiteral("-j demande un nombre de 1 à 256. Voir filmarch-cli --help."));
        const int most = mostTaches();
        if (args.taches > most) {
            printError(QStringLiteral("-j %1 : cette machine prend au plus %2 fichiers à la fois (4 par cœur de "
                                      "processeur, moins quand la mémoire libre manque) ; le scan en prend %2.")
                           .arg(args.taches)
                           .arg(most));
            args.taches = most;
        }
    }
    args.dossier = QDir::cleanPath(QFileInfo(line.positional()[0]).absoluteFilePath());
    args.catalogue = QFileInfo(line.positional()[1]).absoluteFilePath();

    if (!QFileInfo::exists(args.dossier)) {
        printError(QStringLiteral("le dossier à scanner n'existe pas : %1").arg(args.dossier));
        return 1;
    }
    if (!QFileInfo(args.dossier).isDir()) {
        printError(QStringLiteral("le chemin à scanner n'est pas un dossier : %1").arg(args.dossier));
        return 1;
    }
    const QString ext = exactExtension(args.catalogue);
    if (ext != QLatin1String(".xml") && ext != QLatin1String(".amc")) {
        printError(
            QStringLiteral("le catalogue doit porter l'extension \".xml\" ou \".amc\" : %1").arg(args.catalogue));
        return 1;
    }
    if (!QFileInfo(QFileInfo(args.catalogue).absolutePath()).isDir()) {
        printError(
            QStringLiteral("le dossier du catalogue n'existe pas : %1").arg(QFileInfo(args.catalogue).absolutePath()));
        return 1;
    }
    if (!mediaInfoPresent(paths)) {
        printError(missingMediaInfoMessage());
        return 1;
    }
    // A log folder that cannot be made is told by the log at its first line.
    makeFolders(paths);

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
    FixedOptions optionSource(options);

    TerminalProgress progress(drawProgress);
    TerminalDialogs dialogs([&progress] { progress.clearLine(); });
    std::unique_ptr<AppContext> context;
    try {
        context = std::make_unique<AppContext>(paths, dialogs);
    } catch (const std::exception& e) {
        printError(QString::fromStdString(e.what()));
        return 1;
    }
    ScanRun* running = nullptr;
    context->journal.memo = [&progress, &running, quiet](const QString& line) {
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
    frontEnd.taches = args.taches;
    // The window greys these options out; here they were asked for in options.ini.
    if (frontEnd.CheminMkvToolNix.isEmpty() && (options.CbAffiche || options.CbPieceJointe))
        printError(QStringLiteral("MKVToolNix est introuvable (mkvmerge n'est ni dans le PATH, ni dans /usr/bin, ni "
                                  "dans /usr/local/bin) : les options \"Affiches\" et \"PiecesJointe\" de "
                                  "options.ini sont sans effet."));
    const std::unique_ptr<ScanRun> scanRun = context->newScanRun(frontEnd);
    ScanRun& run = *scanRun;
    running = &run;
    progress.attach(&run);

    ScanRequest request;
    request.EdCheminRepScan = args.dossier;
    if (QFileInfo::exists(args.catalogue)) {
        const int n = run.validitecatalogue(args.catalogue);
        if (n < 0) {
            printError(QStringLiteral("le catalogue ne peut pas être complété : %1").arg(args.catalogue));
            return 1;
        }
        request.EdCheminCataloExistant = args.catalogue;
    } else {
        request.EdCheminCataloCree = args.catalogue;
    }

    TerminalProgress::installInterruptHandler(drawProgress);
    const ScanResult result = run.BtLanceScanClick(request);
    progress.clearLine();
    switch (result.outcome) {
    case ScanOutcome::NotStarted: return finishOutput(CliNotStarted);
    // Files failed and none was catalogued: nothing of what was asked was done.
    case ScanOutcome::Finished:
        return finishOutput(result.notProcessed > 0 && result.newEntries == 0 ? CliFailed : CliDone);
    // Ctrl-C, or an output that failed.
    case ScanOutcome::Stopped: return finishOutput(CliInterrupted);
    case ScanOutcome::CatalogueNotWritten:
    case ScanOutcome::Failed: return finishOutput(CliFailed);
    }
    return finishOutput(CliFailed);
}
