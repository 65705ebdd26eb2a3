#pragma once
// The file name as a catalogue of the given extension (".xml" or ".amc") holds
// it in an entry's URL, so that a file can be recognised as already catalogued
// even when its name could not be stored as it is on disk.
#include <QString>

namespace filmarch {

QString storedFileName(const QString& path, const QString& catalogueExtension);

} // namespace filmarch
