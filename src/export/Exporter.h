#pragma once
// Writes a catalogue read for export in one of the three forms. An existing
// result is replaced only by a complete one, written beside it and renamed.
#include <QString>
#include <optional>

namespace filmarch {

class ExportCatalogue;
class ScanProgress;

enum class ExportFormat { Html, Tellico, Csv };

// "html", "tellico" or "csv"; nothing for any other name.
std::optional<ExportFormat> exportFormatNamed(const QString& name);

// Writes `catalogue` (read from `cataloguePath`) to `destination`: a folder
// for the web page, a file for the others. The progress bar counts entries.
// Throws Error with the reason when the result cannot be written; the
// catalogue file itself is never a destination.
void writeExport(const ExportCatalogue& catalogue, const QString& cataloguePath, ExportFormat format,
    const QString& destination, ScanProgress& progress);

} // namespace filmarch
