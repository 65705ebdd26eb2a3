// filmarch-cli: reads the command line and hands it to the command asked for.
#include "app/Startup.h"
#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "cli/ReadNameCommand.h"
#include "cli/ScanCommand.h"
#include "cli/StandardOutput.h"
#include "cli/SyncCommands.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalText.h"
#include "cli/VerifyCommand.h"
#include "core/AppPaths.h"
#include "media/MediaInfoDll.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <optional>

using namespace filmarch;

namespace {

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

SyncRequest syncRequestOf(const CommandLine& line, bool quiet, bool drawProgress)
{
    SyncRequest request;
    request.copier = line.isSet(QStringLiteral("copier"));
    request.sousRepertoires = sousRepertoiresOf(line) == 1;
    request.vrac = line.isSet(QStringLiteral("vrac"));
    request.nul = line.isSet(QStringLiteral("nul"));
    request.quiet = quiet;
    request.drawProgress = drawProgress;
    request.reference = line.positional()[0];
    request.sauvegarde = line.positional()[1];
    return request;
}

VerifyRequest verifyRequestOf(const CommandLine& line, bool quiet)
{
    VerifyRequest request;
    request.catalogue = line.positional()[0];
    request.dossier = line.positional().value(1);
    request.appliquer = line.isSet(QStringLiteral("appliquer"));
    request.retirerAbsents = line.isSet(QStringLiteral("retirer-absents"));
    request.nul = line.isSet(QStringLiteral("nul"));
    request.quiet = quiet;
    return request;
}

ExportRequest exportRequestOf(const CommandLine& line, bool drawProgress)
{
    ExportRequest request;
    request.forme = line.value(QStringLiteral("exporter"));
    request.catalogue = line.positional()[0];
    request.sortie = line.positional()[1];
    request.drawProgress = drawProgress;
    request.remplacer = line.isSet(QStringLiteral("remplacer"));
    request.csvBrut = line.isSet(QStringLiteral("csv-brut"));
    return request;
}

ScanCommandRequest scanRequestOf(const CommandLine& line, bool quiet, bool drawProgress)
{
    ScanCommandRequest request;
    if (line.isSet(QStringLiteral("taches")))
        request.taches = line.value(QStringLiteral("taches"));
    request.sousRepertoires = sousRepertoiresOf(line);
    request.quiet = quiet;
    request.drawProgress = drawProgress;
    request.dossier = line.positional()[0];
    request.catalogue = line.positional()[1];
    return request;
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

    const AppPaths paths = AppPaths::forProgram(QCoreApplication::applicationDirPath());
    useDefaultFolders(paths);
    if (line.isSet(QStringLiteral("comparer")) || line.isSet(QStringLiteral("copier")))
        return runSyncCommand(syncRequestOf(line, quiet, drawProgress), paths);
    if (line.isSet(QStringLiteral("verifier")))
        return runVerifyCommand(verifyRequestOf(line, quiet), paths);
    if (line.isSet(QStringLiteral("exporter")))
        return runExportCommand(exportRequestOf(line, drawProgress));
    return runScanCommand(scanRequestOf(line, quiet, drawProgress), paths);
}
