#include "cli/SyncCommands.h"

#include "cli/TerminalDialogs.h"
#include "cli/TerminalText.h"

#include "app/Startup.h"
#include "core/Journal.h"
#include "core/UserDialogs.h"
#include "sync/SyncTool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace filmarch {

namespace {

const char* const kSyncUsage = "\n"
                               "       filmarch-cli --comparer [-r | -R] [-0] REFERENCE SAUVEGARDE\n"
                               "       filmarch-cli --copier [-r | -R] [--vrac] REFERENCE SAUVEGARDE\n"
                               "\n"
                               "Synchronisation d'un répertoire de référence et d'un répertoire de "
                               "sauvegarde, fichiers comparés\n"
                               "par leur nom :\n"
                               "  --comparer   écrit une ligne \"+ \" suivie du chemin complet pour "
                               "chaque fichier de REFERENCE\n"
                               "               absent de SAUVEGARDE, puis une ligne \"- \" pour chaque "
                               "fichier de SAUVEGARDE absent\n"
                               "               de REFERENCE ; rien d'autre ne va sur la sortie standard.\n"
                               "               Les caractères de contrôle des noms sont écrits échappés "
                               "(\\n, \\e, \\x01...)\n"
                               "  -0, --nul    avec --comparer : chaque ligne se termine par un octet nul "
                               "au lieu d'un saut\n"
                               "               de ligne et porte les octets du nom tels quels (comme find "
                               "-print0)\n"
                               "  --copier     copie dans SAUVEGARDE chaque fichier de REFERENCE qui y "
                               "manque, en respectant\n"
                               "               l'arborescence de REFERENCE ; rien n'est jamais supprimé\n"
                               "  --vrac       avec --copier : copie les fichiers à la base de "
                               "SAUVEGARDE\n"
                               "  -r, --sous-repertoires        compare aussi les sous-répertoires\n"
                               "  -R, --sans-sous-repertoires   ne compare pas les sous-répertoires (par "
                               "défaut)\n"
                               "Les lignes du journal vont dans le journal du jour et sur la sortie "
                               "d'erreur.\n"
                               "Un répertoire illisible est nommé dans le journal ; l'analyse est alors "
                               "incomplète et aucune\n"
                               "ligne \"- \" n'est écrite.\n"
                               "Ctrl-C arrête la copie : le fichier en cours est abandonné et aucun "
                               "fichier partiel ne reste.\n"
                               "Code de sortie : 0 quand tout a réussi, 1 quand un répertoire manque, "
                               "n'en est pas un, se trouve\n"
                               "dans l'autre ou quand --comparer n'a pas pu tout lire, 2 pour une ligne de "
                               "commande incorrecte,\n"
                               "3 quand une copie a échoué ou quand --copier n'a pas pu tout lire, 130 "
                               "quand la copie a été\n"
                               "arrêtée.\n";

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int sig)
{
    interrupted = 1;
    // A second Ctrl-C ends the program at once.
    std::signal(sig, SIG_DFL);
}

// The copy window on a terminal: a bar with the file count, redrawn when the
// percentage changes; Ctrl-C is "Arrêter".
class TerminalSyncView : public SyncView {
public:
    explicit TerminalSyncView(bool onTerminal) : terminal(onTerminal) {}

    bool confirmDeletion() override { return false; }
    void copyCaption(const QString& caption) override
    {
        this->caption = caption;
        percent = -1;
    }
    void setPosition(int p) override
    {
        if (!terminal || p == percent)
            return;
        percent = p;
        constexpr int width = 30;
        const int filled = p * width / 100;
        const QString line =
            QStringLiteral("\r\033[K[%1%2] %3 %4 %")
                .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char(' ')), caption)
                .arg(p);
        std::fputs(line.toUtf8().constData(), stderr);
        std::fflush(stderr);
        drawn = true;
    }
    void processEvents() override
    {
        if (interrupted && tool && !tool->stop) {
            tool->stop = true;
            clearLine();
            std::fprintf(stderr, "Arrêt demandé : la copie en cours est abandonnée.\n");
        }
    }
    void clearLine()
    {
        if (drawn) {
            std::fputs("\r\033[K", stderr);
            drawn = false;
        }
    }

    SyncTool* tool = nullptr;

private:
    bool terminal;
    bool drawn = false;
    int percent = -1;
    QString caption;
};

QString absoluteFolder(const QString& argument)
{
    return argument.isEmpty() ? argument : QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
}

// One record per entry: the sign and the path, escaped and ended by a line
// break, or (for scripts) its own bytes ended by a NUL byte.
void printList(const char* sign, const SyncList& list, bool nul)
{
    for (const SyncEntry& e : list) {
        const QByteArray path = nul ? e.nativePath() : terminalSafe(e.fullPath()).toUtf8();
        std::fputs(sign, stdout);
        std::fwrite(path.constData(), 1, size_t(path.size()), stdout);
        std::fputc(nul ? '\0' : '\n', stdout);
    }
}

} // namespace

const char* syncUsage()
{
    return kSyncUsage;
}

std::optional<int> runSyncCommand(const QStringList& arguments, const AppPaths& paths)
{
    const bool comparer = arguments.contains(QStringLiteral("--comparer"));
    const bool copier = arguments.contains(QStringLiteral("--copier"));
    if (!comparer && !copier)
        return std::nullopt;

    bool sousRep = false;
    bool vrac = false;
    bool nul = false;
    QStringList positional;
    for (const QString& a : arguments) {
        if (a == QLatin1String("--comparer") || a == QLatin1String("--copier")) {
            continue;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(kSyncUsage + 1, stdout);
            return 0;
        } else if (a == QLatin1String("-r") || a == QLatin1String("--sous-repertoires")) {
            sousRep = true;
        } else if (a == QLatin1String("-R") || a == QLatin1String("--sans-sous-repertoires")) {
            sousRep = false;
        } else if (a == QLatin1String("--vrac") && copier) {
            vrac = true;
        } else if ((a == QLatin1String("-0") || a == QLatin1String("--nul")) && comparer) {
            nul = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            printError(QStringLiteral("option inconnue « %1 ». Voir filmarch-cli --help.").arg(a));
            return 2;
        } else {
            positional << a;
        }
    }
    if (comparer == copier || positional.size() != 2) {
        printError(QStringLiteral("il faut --comparer ou --copier, une REFERENCE et une SAUVEGARDE. Voir "
                                  "filmarch-cli --help."));
        return 2;
    }

    makeFolders(paths);
    TerminalSyncView view(copier && isatty(STDERR_FILENO));
    TerminalDialogs dialogs([&view] { view.clearLine(); });
    Journal journal;
    journal.memo = [&view](const QString& line) {
        if (line.isEmpty())
            return;
        view.clearLine();
        std::fprintf(stderr, "%s\n", terminalSafe(line).toUtf8().constData());
    };
    journal.reportError = [&dialogs](const QString& message) { dialogs.showError(message); };
    SyncTool tool(SyncContext {paths, &dialogs, &journal, &view});
    view.tool = &tool;

    if (tool.BtLanceAnalyseClick(absoluteFolder(positional[0]), absoluteFolder(positional[1]), sousRep)
        != AnalysisOutcome::Done)
        return 1;

    // What could not be read may hold files of either side.
    const int incomplete = tool.listingComplete() ? 0 : (comparer ? 1 : 3);
    if (comparer) {
        printList("+ ", tool.LVFichiersNonSauv, nul);
        printList("- ", tool.LVFichiersManquants, nul);
        std::fflush(stdout);
        return incomplete;
    }

    if (tool.LVFichiersNonSauv.empty())
        return incomplete;
    for (SyncEntry& e : tool.LVFichiersNonSauv)
        e.checked = true;
    // A closed terminal or a plain kill also abandons the file in hand cleanly.
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        std::signal(sig, onInterrupt);
    const CopyReport report = tool.copyTask(!vrac);
    view.clearLine();
    if (!report.failures.isEmpty() || incomplete)
        return 3;
    return report.stopped ? 130 : 0;
}

} // namespace filmarch
