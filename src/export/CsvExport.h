#pragma once
// The catalogue as CSV (RFC 4180): UTF-8, lines ended by CR LF, a header row
// with the fields' French names, every field of every entry. A value that a
// spreadsheet would take for a formula is written as text (a leading "'"),
// unless `raw` asks for the values as they are; raw CSV also has the field
// tags in a second header row.
#include <QByteArray>

namespace filmarch {

class ExportCatalogue;

QByteArray csvBytes(const ExportCatalogue& catalogue, bool raw = false);

} // namespace filmarch
