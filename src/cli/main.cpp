// filmarch-cli: scans a folder into a catalogue without a window.
#include "app/AppContext.h"
#include "app/OptionRules.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "cli/SyncCommands.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"
#include "core/AppPaths.h"
#include "core/Options.h"
#include "core/UserDialogs.h"
#include "platform/ToolLocator.h"
#include "scan/ScanRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace filmarch;

namespace {

const char* const kUsage =
    "Utilisation : filmarch-cli [-r | --sous-repertoires] [-R | --sans-sous-repertoires] DOSSIER CATALOGUE\n"
    "\n"
    "Analyse les fichiers du dossier DOSSIER et ajoute une entrée par film au catalogue CATALOGUE\n"
    "(\".xml\" ou \".amc\"). Le catalogue est complété s'il existe et créé sinon.\n"
    "Les autres options sont celles du fichier options.ini de la fenêtre : à côté du programme,\n"
    "ou dans ~/.config/filmarch/ quand le programme est installé.\n"
    "\n"
    "Options :\n"
    "  -r, --sous-repertoires        explore aussi les sous-répertoires\n"
    "  -R, --sans-sous-repertoires   n'explore pas les sous-répertoires\n"
    "  -j, --taches N                analyse N fichiers à la fois (par défaut : deux par cœur) ;\n"
    "                                le catalogue écrit est le même quel que soit N\n"
    "  -h, --help                    affiche cette aide\n"
    "  --                            termine les options (pour un DOSSIER qui commence par \"-\")\n"
    "\n"
    "Ctrl-C arrête le scan après le fichier en cours ; le catalogue écrit jusque-là est conservé.\n"
    "Un second Ctrl-C arrête tout de suite ; le catalogue garde son dernier enregistrement.\n"
    "Code de sortie : 0 quand le scan a eu lieu (arrêté ou non), 1 quand il n'a pas pu commencer,\n"
    "2 pour une ligne de commande incorrecte, 3 quand le catalogue n'a pas pu être enregistré ou que le scan\n"
    "s'est arrêté sur une erreur.\n";

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

struct Arguments {
    int sousRepertoires = -1; // -1: as options.ini says
    int taches = 0;           // 0: the default
    QString dossier;
    QString catalogue;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A reader that goes away (| head, quitting less) must not end the run
    // half-way: lines that cannot be printed are dropped, the run goes on.
    std::signal(SIGPIPE, SIG_IGN);
    const AppPaths paths = AppPaths::forProgram(QCoreApplication::applicationDirPath());
    if (const std::optional<int> status = runSyncCommand(app.arguments().mid(1), paths))
        return *status;
    Arguments args;
    QStringList positional;
    const QStringList argList = app.arguments().mid(1);
    bool optionsEnded = false;
    for (qsizetype i = 0; i < argList.size(); ++i) {
        const QString& a = argList[i];
        if (optionsEnded) {
            positional << a;
        } else if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            std::fputs(syncUsage(), stdout);
            return 0;
        } else if (a == QLatin1String("-r") || a == QLatin1String("--sous-repertoires")) {
            args.sousRepertoires = 1;
        } else if (a == QLatin1String("-R") || a == QLatin1String("--sans-sous-repertoires")) {
            args.sousRepertoires = 0;
        } else if (a == QLatin1String("-j") || a == QLatin1String("--taches")) {
            bool ok = false;
            args.taches = i + 1 < argList.size() ? argList[++i].toInt(&ok) : 0;
            if (!ok || args.taches < 1 || args.taches > 256) {
                printError(QStringLiteral("%1 demande un nombre de 1 à 256. Voir filmarch-cli --help.").arg(a));
                return 2;
            }
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            printError(QStringLiteral("option inconnue « %1 ». Voir filmarch-cli --help.").arg(a));
            return 2;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) {
        printError(QStringLiteral("il faut un DOSSIER et un CATALOGUE. Voir filmarch-cli --help."));
        return 2;
    }
    args.dossier = QDir::cleanPath(QFileInfo(positional[0]).absoluteFilePath());
    args.catalogue = QFileInfo(positional[1]).absoluteFilePath();

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
    if (args.sousRepertoires >= 0)
        options.CbExploreSousRep = args.sousRepertoires == 1;
    // The film is chosen by hand in a window, which the command line has not.
    if (options.CbAlloManu) {
        printError(QStringLiteral("options.ini : le mode \"Manuel\" de la recherche Allocine demande la fenêtre du "
                                  "programme ; les films sont catalogués sans recherche."));
        options.CbAlloManu = false;
        options.CbAlloAuto = false;
    }
    FixedOptions optionSource(options);

    const bool onTerminal = isatty(STDERR_FILENO);
    TerminalProgress progress(onTerminal);
    TerminalDialogs dialogs([&progress] { progress.clearLine(); });
    std::unique_ptr<AppContext> context;
    try {
        context = std::make_unique<AppContext>(paths, dialogs);
    } catch (const std::exception& e) {
        printError(QString::fromStdString(e.what()));
        return 1;
    }
    context->journal.memo = [&progress](const QString& line) {
        progress.clearLine();
        std::fprintf(stdout, "%s\n", terminalSafe(line).toUtf8().constData());
        std::fflush(stdout);
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

    TerminalProgress::installInterruptHandler(onTerminal);
    const ScanOutcome outcome = run.BtLanceScanClick(request).outcome;
    progress.clearLine();
    switch (outcome) {
    case ScanOutcome::NotStarted: return 1;
    case ScanOutcome::Finished:
    case ScanOutcome::Stopped: return 0;
    case ScanOutcome::CatalogueNotWritten:
    case ScanOutcome::Failed: return 3;
    }
    return 3;
}
