#include "cli/SyncCommands.h"

#include "cli/CommandLine.h"
#include "cli/Interrupt.h"
#include "cli/StandardOutput.h"
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

namespace filmarch {

namespace {

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
        if (interruptRequested() && tool && !tool->stop) {
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
        if (!writeOutput(sign + path + (nul ? '\0' : '\n')))
            return;
    }
}

} // namespace

int runSyncCommand(const SyncRequest& request, const AppPaths& paths)
{
    makeFolders(paths);
    const bool copier = request.copier;
    TerminalSyncView view(copier && request.drawProgress);
    TerminalDialogs dialogs([&view] { view.clearLine(); });
    Journal journal;
    journal.memo = [&view, quiet = request.quiet](const QString& line) {
        if (line.isEmpty() || quiet)
            return;
        view.clearLine();
        std::fprintf(stderr, "%s\n", terminalSafe(line).toUtf8().constData());
    };
    journal.reportError = [&dialogs](const QString& message) { dialogs.showError(message); };
    SyncTool tool(SyncContext {paths, &dialogs, &journal, &view});
    view.tool = &tool;

    if (tool.BtLanceAnalyseClick(
            absoluteFolder(request.reference), absoluteFolder(request.sauvegarde), request.sousRepertoires)
        != AnalysisOutcome::Done)
        return CliNotStarted;

    // What could not be read may hold files of either side.
    const int incomplete = tool.listingComplete() ? CliDone : (copier ? CliFailed : CliNotStarted);
    if (!copier) {
        printList("+ ", tool.LVFichiersNonSauv, request.nul);
        printList("- ", tool.LVFichiersManquants, request.nul);
        return finishOutput(incomplete);
    }

    if (tool.LVFichiersNonSauv.empty())
        return incomplete;
    for (SyncEntry& e : tool.LVFichiersNonSauv)
        e.checked = true;
    // A closed terminal or a plain kill also abandons the file in hand cleanly.
    catchInterrupts({SIGINT, SIGTERM, SIGHUP});
    const CopyReport report = tool.copyTask(!request.vrac);
    view.clearLine();
    if (!report.failures.isEmpty() || incomplete != CliDone)
        return CliFailed;
    return report.stopped ? CliInterrupted : CliDone;
}

} // namespace filmarch
