#pragma once
// Which existing files an export may replace without asking: only the file an
// earlier export of the same catalogue wrote, as it wrote it. A file the user
// changed since (in Tellico, a spreadsheet) or made is theirs. A small hidden
// note beside the result says which export wrote it.
#include <QString>

namespace filmarch {

// Whether `destination` is, unchanged, what an export of `cataloguePath` wrote.
bool isUnchangedExport(const QString& destination, const QString& cataloguePath);

// Notes that an export of `cataloguePath` has just written `destination`.
void noteExport(const QString& destination, const QString& cataloguePath);

} // namespace filmarch
