#include "cli/ExportCommand.h"

#include "cli/CommandLine.h"
#include "cli/Interrupt.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalProgress.h"
#include "core/ScanProgress.h"
#include "export/ExportCatalogue.h"
#include "export/Exporter.h"
#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>

namespace filmarch {

namespace {

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
        if (interruptRequested())
            throw Interrupted {};
    }

private:
    TerminalProgress& bar;
};

} // namespace

int runExportCommand(const ExportRequest& request)
{
    const std::optional<ExportFormat> format = exportFormatNamed(request.forme);
    if (!format) {
        printError(QStringLiteral("forme d'export inconnue « %1 » : html, tellico ou csv.").arg(request.forme));
        return CliBadCommandLine;
    }
    const QString cataloguePath = QFileInfo(request.catalogue).absoluteFilePath();
    const QString destination = QDir::cleanPath(QFileInfo(request.sortie).absoluteFilePath());

    ExportCatalogue catalogue;
    try {
        catalogue = ExportCatalogue::read(cataloguePath);
    } catch (const Error& e) {
        printError(e.message());
        return CliNotStarted;
    }
    TerminalProgress bar(request.drawProgress);
    InterruptibleProgress progress(bar);
    catchInterrupts({SIGINT});
    ExportOptions options;
    options.replaceExisting = request.remplacer;
    options.rawCsv = request.csvBrut;
    ExportReport report;
    try {
        report = writeExport(catalogue, cataloguePath, *format, destination, progress, options);
    } catch (const Interrupted&) {
        bar.clearLine();
        printError(QStringLiteral("Export arrêté : %1 est resté tel qu'il était.").arg(destination));
        return CliInterrupted;
    } catch (const DestinationExists& e) {
        bar.clearLine();
        printError(QStringLiteral("Export impossible : %1 ; ajoutez --remplacer pour le remplacer.").arg(e.message()));
        return CliFailed;
    } catch (const Error& e) {
        bar.clearLine();
        printError(QStringLiteral("Export impossible : %1 (%2)").arg(destination, e.message()));
        return CliFailed;
    }
    bar.clearLine();
    if (!report.kept.isEmpty())
        printError(QStringLiteral("Gardé dans %1 (vos fichiers, l'export ne les touche pas) : %2")
                       .arg(destination, report.kept.join(QStringLiteral(", "))));
    for (const QString& line : report.badPictures)
        printError(QStringLiteral("Image non exportée : %1").arg(line));
    return CliDone;
}

} // namespace filmarch
