#pragma once
// The file name as a catalogue of the given extension (".xml" or ".amc") holds
// it in an entry's URL, so that a file can be recognised as already catalogued
// even when its name could not be stored as it is on disk.
#include <QString>

namespace filmarch {

QString storedFileName(const QString& path, const QString& catalogueExtension);

// File-name part of a path or URL: after the last "/" or "\" (catalogues made
// on Windows store backslashes).
QString fileNamePart(const QString& path);
// Lower-case extension with its dot compared exactly: ".xml", ".amc", ".mkv"...
QString exactExtension(const QString& path);

} // namespace filmarch
