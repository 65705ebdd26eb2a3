// The link folders that let a file of a name that is not text be opened: a
// killed process leaves them, the next run removes them and nothing else.
#include "platform/ReadableName.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace filmarch;

TEST(ReadableName, TheFoldersOfEndedProcessesAreRemovedByTheNextRun)
{
    QTemporaryDir tmp, outside;
    const QByteArray tmpdirBefore = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const QString dead = QStringLiteral("filmarch-noms-%1-").arg(ended);
    const QString alive = QStringLiteral("filmarch-noms-%1-").arg(::getpid());
    test::writeFile(outside.filePath(QStringLiteral("film.mkv")), "film");

    // A killed run's folder with its link, this process's own, and a link
    // named like a folder of a dead process: only the first goes.
    ASSERT_TRUE(QDir(tmp.path()).mkdir(dead + QStringLiteral("abcdef")));
    ASSERT_TRUE(QFile::link(
        outside.filePath(QStringLiteral("film.mkv")), tmp.filePath(dead + QStringLiteral("abcdef/film.mkv"))));
    ASSERT_TRUE(QDir(tmp.path()).mkdir(alive + QStringLiteral("ghijkl")));
    ASSERT_TRUE(QFile::link(outside.path(), tmp.filePath(dead + QStringLiteral("lien"))));
    {
        // A name that is not text is reached through a folder of this process.
        const ReadableName readable(QStringLiteral("/films/\uFFFD.mkv"), QByteArray("/films/\xE9.mkv"));
        EXPECT_TRUE(readable.link().startsWith(tmp.filePath(alive))) << readable.link().toStdString();
        EXPECT_EQ(removeOrphanedNameFolders(), 1);
        EXPECT_TRUE(QFileInfo(readable.link()).isSymLink());
    }
    QStringList left = QDir(tmp.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, (QStringList {alive + QStringLiteral("ghijkl"), dead + QStringLiteral("lien")}));
    EXPECT_EQ(test::readFile(outside.filePath(QStringLiteral("film.mkv"))), QByteArray("film"));
    if (tmpdirBefore.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", tmpdirBefore);
}
