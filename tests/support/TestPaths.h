#pragma once
// Paths the tests need: the source tree, the system MediaInfo library, the built programs.
#include <QFile>
#include <QString>

namespace filmarch::test {
inline QString sourceDir()
{
    return QStringLiteral(FILMARCH_TEST_SOURCE_DIR);
}
inline QString mediaInfoLibrary()
{
    return QStringLiteral(FILMARCH_MEDIAINFO_LIBRARY);
}
inline QString binDir()
{
    return QStringLiteral(FILMARCH_BIN_DIR);
}
// The analysis helper, beside a program placed in `programFolder`.
inline bool placeAnalysisHelper(const QString& programFolder)
{
    return QFile::link(binDir() + QStringLiteral("/filmarch-analyse"), programFolder + QStringLiteral("/filmarch-analyse"));
}
} // namespace filmarch::test
