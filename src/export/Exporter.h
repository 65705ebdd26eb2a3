#pragma once
// Writes a catalogue read for export in one of the three forms. An existing
// result is replaced only by a complete one, written beside it and renamed,
// and only when it is an earlier export or the user said so.
#include "platform/Error.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace filmarch {

class ExportCatalogue;
class ScanProgress;

enum class ExportFormat { Html, Tellico, Csv };

// "html", "tellico" or "csv"; nothing for any other name.
std::optional<ExportFormat> exportFormatNamed(const QString& name);

struct ExportOptions {
    // An existing file that is not, unchanged, an earlier export of the same
    // catalogue is replaced only when this is set.
    bool replaceExisting = false;
    // CSV values as they are, with the field tags in a second header line, for
    // programs that read CSV as data rather than as a spreadsheet.
    bool rawCsv = false;
};

// What the user should hear of once the export is written.
struct ExportReport {
    QStringList kept;        // files of the user's in the page folder, kept (relative paths)
    QStringList badPictures; // "« title » : picture (reason)" for each picture that could not be read
};

// The destination is a file of the user's and `replaceExisting` was not set.
class DestinationExists : public Error {
public:
    using Error::Error;
};

// Writes `catalogue` (read from `cataloguePath`) to `destination`: a folder
// for the web page, a file for the others. The progress bar counts entries;
// its processEvents() may throw to stop the export, leaving the destination as
// it was. Throws Error with the reason when the result cannot be written; the
// catalogue file itself, or what a link leads to, is never a destination.
ExportReport writeExport(const ExportCatalogue& catalogue, const QString& cataloguePath, ExportFormat format,
    const QString& destination, ScanProgress& progress, const ExportOptions& options = {});

// Whether writing to `destination` would replace something that exists: a
// file, or the folder of an earlier page. The window asks first.
bool destinationInUse(const QString& destination);

} // namespace filmarch
