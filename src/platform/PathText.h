#pragma once
// The parts of a path or URL read as text, without asking the disk.
#include <QString>

namespace filmarch {

// File-name part of a path or URL: after the last "/" or "\" (catalogues made
// on Windows store backslashes).
QString fileNamePart(const QString& path);
// Extension of the file-name part with its dot, as written (".xml", ".amc",
// ".mkv"...), so that callers compare it exactly; empty when there is none.
QString exactExtension(const QString& path);
// The path without the extension of its file-name part.
QString withoutExtension(const QString& path);

} // namespace filmarch
