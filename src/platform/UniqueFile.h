#pragma once
// Files made beside others on disk: a free name, a copy that replaces.
#include <QString>

namespace filmarch {

// True when a file or folder of that name exists (hidden ones and dangling
// links included).
bool FileOrDirExists(const QString& FileName);

// A path naming nothing that exists: `strFileName`, else its name followed by
// `Separator` and a millisecond tick count, before the extension.
QString MakeUniqueFileName(const QString& strFileName, const QString& Separator);

// Puts a copy of `source` at `target`, replacing what was there. Returns false
// when the copy failed.
bool replaceWithCopy(const QString& source, const QString& target);

} // namespace filmarch
