#pragma once
// The file name as a catalogue of the given kind holds it in an entry's URL, so
// that a file can be recognised as already catalogued even when its name could
// not be stored as it is on disk.
#include "scan/CatalogueKind.h"

#include <QString>
#include <optional>

namespace filmarch {

QString storedFileName(const QString& path, std::optional<CatalogueKind> kind);

} // namespace filmarch
