#include "cli/ExportCommand.h"

#include "cli/TerminalDialogs.h"
#include "cli/TerminalProgress.h"
#include "core/ScanProgress.h"
#include "export/ExportCatalogue.h"
#include "export/Exporter.h"
#include "platform/Error.h"

#include <QFileInfo>
#include <csignal>
#include <unistd.h>

namespace filmarch {

namespace {

const char* const kExportUsage =
    "\n"
    "       filmarch-cli --exporter html|tellico|csv CATALOGUE SORTIE\n"
    "\n"
    "Exporte le catalogue CATALOGUE (\".amc\" 3.1 à 4.1 ou \".xml\") sans jamais le modifier :\n"
    "  html      une page web dans le dossier SORTIE (index.html, les affiches), lisible hors ligne\n"
    "  tellico   une collection Tellico (fichier .tc) avec les affiches\n"
    "  csv       un fichier CSV (UTF-8, une ligne d'en-tête avec les noms des champs)\n"
    "Une SORTIE existante n'est remplacée que par un résultat complet. Un dossier existant n'est\n"
    "remplacé que s'il est vide ou s'il contient un export web précédent.\n"
    "Code de sortie : 0 quand l'export est écrit, 1 quand le catalogue ne peut pas être lu,\n"
    "2 pour une ligne de commande incorrecte, 3 quand le résultat ne peut pas être écrit, 130 quand\n"
    "l'export a été arrêté par Ctrl-C (la SORTIE reste alors telle qu'elle était).\n";

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int sig)
{
    interrupted = 1;
    // A second Ctrl-C ends the program at once.
    std::signal(sig, SIG_DFL);
}

struct Interrupted {};

// The terminal's bar; Ctrl-C ends the export between two entries, so that the
// half-written result beside the destination is removed on the way out.
class InterruptibleProgress : public ScanProgress {
public:
    explicit InterruptibleProgress(TerminalProgress& bar) : bar(bar) {}
    void setMaximum(int max) override { bar.setMaximum(max); }
    void setPosition(int position) override { bar.setPosition(position); }
    int position() const override { return bar.position(); }
    void setFileName(const QString& name) override { bar.setFileName(name); }
    void processEvents() override
    {
        if (interrupted)
            throw Interrupted {};
    }

private:
    TerminalProgress& bar;
};

} // namespace

const char* exportUsage()
{
    return kExportUsage;
}

std::optional<int> runExportCommand(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    QStringList rest = arguments;
    QString formatName;
    const QString first = rest.takeFirst();
    if (first == QLatin1String("--exporter")) {
        if (rest.isEmpty()) {
            printError(
                QStringLiteral("--exporter demande une forme : html, tellico ou csv. Voir filmarch-cli --help."));
            return 2;
        }
        formatName = rest.takeFirst();
    } else if (first.startsWith(QLatin1String("--exporter="))) {
        formatName = first.mid(int(qstrlen("--exporter=")));
    } else {
        return std::nullopt;
    }
    const std::optional<ExportFormat> format = exportFormatNamed(formatName);
    if (!format) {
        printError(QStringLiteral("forme d'export inconnue « %1 » : html, tellico ou csv.").arg(formatName));
        return 2;
    }
    if (!rest.isEmpty() && rest.first() == QLatin1String("--"))
        rest.removeFirst();
    if (rest.size() != 2) {
        printError(QStringLiteral("il faut un CATALOGUE et une SORTIE. Voir filmarch-cli --help."));
        return 2;
    }
    const QString cataloguePath = QFileInfo(rest[0]).absoluteFilePath();
    const QString destination = QFileInfo(rest[1]).absoluteFilePath();

    ExportCatalogue catalogue;
    try {
        catalogue = ExportCatalogue::read(cataloguePath);
    } catch (const Error& e) {
        printError(e.message());
        return 1;
    }
    TerminalProgress bar(isatty(STDERR_FILENO));
    InterruptibleProgress progress(bar);
    std::signal(SIGINT, onInterrupt);
    try {
        writeExport(catalogue, cataloguePath, *format, destination, progress);
    } catch (const Interrupted&) {
        bar.clearLine();
        printError(QStringLiteral("Export arrêté : %1 est resté tel qu'il était.").arg(destination));
        return 130;
    } catch (const Error& e) {
        bar.clearLine();
        printError(QStringLiteral("Export impossible : %1 (%2)").arg(destination, e.message()));
        return 3;
    }
    bar.clearLine();
    return 0;
}

} // namespace filmarch
