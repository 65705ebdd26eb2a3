#include "export/Exporter.h"

#include "core/ScanProgress.h"
#include "export/CsvExport.h"
#include "export/EarlierExport.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFiles.h"
#include "export/FileReplacement.h"
#include "export/FolderReplacement.h"
#include "export/TellicoExport.h"
#include "export/WebPageExport.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace filmarch {
namespace {

bool hasCatalogueExtension(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    return extension == QLatin1String("amc") || extension == QLatin1String("xml");
}

void checkDestination(const QString& cataloguePath, ExportFormat format, const QString& destination)
{
    const QFileInfo target(destination);
    // Writing through a link would replace what it leads to, a catalogue perhaps.
    if (target.isSymLink())
        throw Error(QStringLiteral("%1 est un lien symbolique ; choisissez le fichier ou le dossier lui-même")
                        .arg(destination));
    if (!QFileInfo(target.absolutePath()).isDir())
        throw Error(QStringLiteral("le dossier %1 n'existe pas").arg(target.absolutePath()));
    // The destination as the system reaches it, through the links in its folders.
    const QString resolved = QDir(QFileInfo(target.absolutePath()).canonicalFilePath()).filePath(target.fileName());
    const QString catalogueReal = QFileInfo(cataloguePath).canonicalFilePath();
    if (!catalogueReal.isEmpty() && resolved == catalogueReal)
        throw Error(QStringLiteral("la destination est le catalogue lui-même"));
    if (format != ExportFormat::Html && target.isDir())
        throw Error(QStringLiteral("%1 est un dossier").arg(destination));
    // A page folder is replaced: it must not hold the catalogue.
    if (format == ExportFormat::Html && !catalogueReal.isEmpty()
        && catalogueReal.startsWith(resolved + QLatin1Char('/')))
        throw Error(QStringLiteral("le dossier %1 contient le catalogue").arg(destination));
    // Nor is a catalogue ever replaced by an export.
    if (format != ExportFormat::Html && (hasCatalogueExtension(destination) || hasCatalogueExtension(resolved)))
        throw Error(QStringLiteral("%1 porte l'extension d'un catalogue").arg(destination));
}

void writeCsv(const ExportCatalogue& catalogue, const QString& destination, bool raw)
{
    FileReplacement file(destination);
    writeSyncedFile(file.path(), csvBytes(catalogue, raw));
    file.commit();
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

bool destinationInUse(const QString& destinationPath)
{
    const QString destination = cleanDestination(destinationPath);
    const QFileInfo target(destination);
    // A folder of the user's own is refused anyway; only an earlier export is replaced.
    if (target.isDir() && !target.isSymLink())
        return QFileInfo::exists(QDir(destination).filePath(FolderReplacement::markerName()));
    return target.exists() || target.isSymLink();
}

ExportReport writeExport(const ExportCatalogue& catalogue, const QString& cataloguePath, ExportFormat format,
    const QString& destinationPath, ScanProgress& progress, const ExportOptions& options)
{
    const QString destination = cleanDestination(destinationPath);
    checkDestination(cataloguePath, format, destination);
    // A file the user made read-only is kept as it is, even when asked to replace it.
    if (format != ExportFormat::Html && QFileInfo::exists(destination))
        if (const QString reason = cannotReplaceReason(destination); !reason.isEmpty())
            throw Error(reason);
    if (format != ExportFormat::Html && QFileInfo::exists(destination) && !options.replaceExisting
        && !isUnchangedExport(destination, cataloguePath))
        throw DestinationExists(
            QStringLiteral("%1 existe déjà et n'est pas un export précédent de ce catalogue").arg(destination));
    const int count = int(catalogue.entries.size());
    progress.setMaximum(count);
    progress.setPosition(0);
    ExportReport report;
    switch (format) {
    case ExportFormat::Csv:
        progress.processEvents();
        writeCsv(catalogue, destination, options.rawCsv);
        break;
    case ExportFormat::Tellico: report = writeTellico(catalogue, destination, progress); break;
    case ExportFormat::Html: report = writeWebPage(catalogue, destination, progress); break;
    }
    if (format != ExportFormat::Html)
        noteExport(destination, cataloguePath);
    progress.setPosition(count);
    return report;
}

} // namespace filmarch
