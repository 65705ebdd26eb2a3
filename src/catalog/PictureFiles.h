#pragma once
// File names for pictures kept beside a catalogue.
#include "platform/UniqueFile.h"

#include <QString>

namespace filmarch {

class TMovie;

// The extension of a path with its dot ("films.amc" -> ".amc"), empty when the
// file name has none.
QString ExtractFileExt(const QString& FileName);

// The file name (no folder) under which the picture of `Movie` is kept beside
// `CatalogFile`: "<catalogue name>_<number><ext>", at most 160 characters, unique.
QString GetPictureName(const QString& CatalogFile, const TMovie& Movie, const QString& PictureExt);

} // namespace filmarch
