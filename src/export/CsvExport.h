#pragma once
// The catalogue as CSV (RFC 4180): UTF-8, lines ended by CR LF, a header row
// of field tags, every field of every entry.
#include <QByteArray>

namespace filmarch {

class ExportCatalogue;

QByteArray csvBytes(const ExportCatalogue& catalogue);

} // namespace filmarch
