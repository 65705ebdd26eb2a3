#pragma once
// A film kept in several files (CD1/CD2, part 1/part 2, Disc 1/Disc 2, 1of2,
// pt1, CDA/CDB...): the files of one folder and one extension whose names are
// the same once their part marker is taken away.
#include <QString>
#include <QStringList>

#include <vector>

namespace filmarch {

// The groups among `paths` (two files or more each), as positions into
// `paths` with the first part first and the others in part order, in the
// order their first member is met. An empty path, a folder, a sample and an
// episode belong to no group.
std::vector<std::vector<int>> partGroups(const QStringList& paths);

} // namespace filmarch
