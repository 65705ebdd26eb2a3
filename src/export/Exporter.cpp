#include "export/Exporter.h"

#include "core/ScanProgress.h"
#include "export/CsvExport.h"
#include "export/ExportCatalogue.h"
#include "export/TellicoExport.h"
#include "export/WebPageExport.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <QFileInfo>

namespace filmarch {
namespace {

void checkDestination(const QString& cataloguePath, ExportFormat format, const QString& destination)
{
    const QFileInfo target(destination);
    if (QFileInfo::exists(cataloguePath) && target.exists()
        && target.canonicalFilePath() == QFileInfo(cataloguePath).canonicalFilePath())
        throw Error(QStringLiteral("la destination est le catalogue lui-même"));
    if (!QFileInfo(target.absolutePath()).isDir())
        throw Error(QStringLiteral("le dossier %1 n'existe pas").arg(target.absolutePath()));
    if (format != ExportFormat::Html && target.isDir())
        throw Error(QStringLiteral("%1 est un dossier").arg(destination));
    // A page folder is replaced whole: it must not hold the catalogue.
    const QString catalogueReal = QFileInfo(cataloguePath).canonicalFilePath();
    const QString folderReal = target.canonicalFilePath();
    if (format == ExportFormat::Html && target.isDir() && !catalogueReal.isEmpty()
        && catalogueReal.startsWith(folderReal + QLatin1Char('/')))
        throw Error(QStringLiteral("le dossier %1 contient le catalogue").arg(destination));
    // Nor is a catalogue ever replaced by an export.
    const QString extension = target.suffix().toLower();
    if (format != ExportFormat::Html && (extension == QLatin1String("amc") || extension == QLatin1String("xml")))
        throw Error(QStringLiteral("%1 porte l'extension d'un catalogue").arg(destination));
}

} // namespace

std::optional<ExportFormat> exportFormatNamed(const QString& name)
{
    if (name == QLatin1String("html"))
        return ExportFormat::Html;
    if (name == QLatin1String("tellico"))
        return ExportFormat::Tellico;
    if (name == QLatin1String("csv"))
        return ExportFormat::Csv;
    return std::nullopt;
}

void writeExport(const ExportCatalogue& catalogue, const QString& cataloguePath, ExportFormat format,
    const QString& destination, ScanProgress& progress)
{
    checkDestination(cataloguePath, format, destination);
    const int count = int(catalogue.entries.size());
    progress.setMaximum(count);
    progress.setPosition(0);
    switch (format) {
    case ExportFormat::Csv: replaceFile(destination, csvBytes(catalogue)); break;
    case ExportFormat::Tellico: writeTellico(catalogue, destination, progress); break;
    case ExportFormat::Html: writeWebPage(catalogue, destination, progress); break;
    }
    progress.setPosition(count);
}

} // namespace filmarch
