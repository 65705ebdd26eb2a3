#include "cli/VerifyCommand.h"

#include "cli/CommandLine.h"
#include "cli/StandardOutput.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalText.h"

#include "app/AppContext.h"
#include "app/Startup.h"
#include "platform/Error.h"
#include "scan/CatalogueCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace filmarch {

namespace {

// A word, a space and the path; a moved entry's new path follows a tab.
// With -0 each path is its own bytes ended by a NUL byte.
void printFinding(const char* word, const QString& path, const QString& newPath, bool nul)
{
    const auto bytesOf = [nul](const QString& p) { return nul ? QFile::encodeName(p) : terminalSafe(p).toUtf8(); };
    QByteArray line = QByteArray(word) + ' ' + bytesOf(path);
    if (!newPath.isEmpty())
        line += (nul ? '\0' : '\t') + bytesOf(newPath);
    writeOutput(line + (nul ? '\0' : '\n'));
}

} // namespace

int runVerifyCommand(const VerifyRequest& request, const AppPaths& paths)
{
    const QString catalogue = QFileInfo(request.catalogue).absoluteFilePath();
    QStringList folders;
    if (!request.dossier.isEmpty()) {
        const QString folder = QDir::cleanPath(QFileInfo(request.dossier).absoluteFilePath());
        if (!QFileInfo(folder).isDir()) {
            printError(QStringLiteral("le dossier à comparer n'existe pas ou n'en est pas un : ") + folder);
            return CliNotStarted;
        }
        folders << folder;
    }
    if (!mediaInfoPresent(paths)) {
        printError(missingMediaInfoMessage());
        return CliNotStarted;
    }
    makeFolders(paths);
    TerminalDialogs dialogs([] {});
    std::unique_ptr<AppContext> context;
    try {
        context = std::make_unique<AppContext>(paths, dialogs);
    } catch (const std::exception& e) {
        printError(QString::fromStdString(e.what()));
        return CliNotStarted;
    }

    CatalogueCheck check;
    try {
        check = checkCatalogue(catalogue, folders, mediaProbe(context->AccesFonctionsMedia));
    } catch (const Error& e) {
        printError(e.message());
        return CliNotStarted;
    }

    std::vector<CheckDecision> decisions;
    for (const CatalogueCheck::Gone& g : check.gone) {
        const QString& url = check.entries[size_t(g.entry)].url;
        printFinding(g.newPath.isEmpty() ? "absent" : "deplace", url, g.newPath, request.nul);
        if (g.newPath.isEmpty() ? request.retirerAbsents : request.appliquer)
            decisions.push_back({check.entries[size_t(g.entry)].index, url, g.newPath});
    }
    for (const QString& file : std::as_const(check.newFiles))
        printFinding("nouveau", file, {}, request.nul);
    // Changes the user could not read about are not made.
    if (!writeOutput({}, true))
        return finishOutput(CliFailed);
    for (const QString& folder : std::as_const(check.unreadableFolders))
        printError(QStringLiteral("dossier illisible, ses fichiers ne sont pas comparés : ") + terminalSafe(folder));
    for (const QString& url : std::as_const(check.notChecked))
        printError(QStringLiteral("non vérifié, son dossier ne peut pas être lu : ") + terminalSafe(url));

    if (!decisions.empty()) {
        const QString logFile = Journal::logFilePath(paths);
        const auto log = [&](const QString& line) {
            context->journal.EcritureLog(logFile, line);
            if (!request.quiet)
                std::fprintf(stderr, "%s\n", terminalSafe(line).toUtf8().constData());
        };
        if (const std::optional<QString> failure = applyCheck(catalogue, decisions, log)) {
            printError(QStringLiteral("le catalogue n'a pas été modifié : ") + *failure);
            return CliFailed;
        }
    }
    return finishOutput(check.unreadableFolders.isEmpty() && check.notChecked.isEmpty() ? CliDone : CliNotStarted);
}

} // namespace filmarch
