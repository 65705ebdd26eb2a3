#pragma once
// Paths the tests need: the source tree, the system MediaInfo library, the built programs.
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
} // namespace filmarch::test
