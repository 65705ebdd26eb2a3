#pragma once
// Paths the tests need: the source tree, the system MediaInfo library, the built programs.
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    const QString helper = binDir() + QStringLiteral("/filmarch-analyse");
    return QFileInfo(helper).isExecutable() && QFile::link(helper, programFolder + QStringLiteral("/filmarch-analyse"));
}
// How many analysis helpers placed in `programFolder` are running now.
inline int analysisHelpersRunningFrom(const QString& programFolder)
{
    const QByteArray helper = QFile::encodeName(programFolder) + "/filmarch-analyse";
    int count = 0;
    for (const QString& process : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(process));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().startsWith(helper + '\0'))
            ++count;
    }
    return count;
}
} // namespace filmarch::test
