#pragma once
// Files made beside others on disk: a free name, a copy that replaces.
#include <QString>

#include <functional>

namespace filmarch {

// True when a file or folder of that name exists (hidden ones and dangling
// links included).
bool FileOrDirExists(const QString& FileName);

// A path naming nothing that exists: `strFileName`, else its name followed by
// `Separator` and a millisecond tick count, before the extension.
QString MakeUniqueFileName(const QString& strFileName, const QString& Separator);

// The first of `path`, "name (2).ext", "name (3).ext"... that names nothing
// on disk and that `taken` does not claim: the same folder gives the same
// name whatever order other work ran in.
QString freeFileName(const QString& path, const std::function<bool(const QString&)>& taken = {});

// Gives `source` the first free name from `wanted` on (see freeFileName),
// never replacing a file, even one made meanwhile by someone else. Returns the
// name taken, or an empty text (the source left where it was) on failure.
QString moveToFreeName(
    const QString& source, const QString& wanted, const std::function<bool(const QString&)>& taken = {});

// Puts a copy of `source` at `target`, replacing what was there only once the
// copy is whole. Returns false when the copy failed.
bool replaceWithCopy(const QString& source, const QString& target);

} // namespace filmarch
