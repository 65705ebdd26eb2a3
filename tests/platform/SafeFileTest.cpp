// Whole-file replacement: the target is whole whatever fails, and no other
// file stays beside it.
#include "platform/SafeFile.h"
#include "platform/AppendFile.h"
#include "platform/CatalogueLock.h"
#include "platform/Error.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace filmarch;

using filmarch::test::filesIn;
using filmarch::test::readFile;
using filmarch::test::writeFile;

TEST(SafeFile, AFailedSaveLeavesThePreviousFileAndNothingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.amc"));
    replaceFile(path, "premier");
    replaceFile(path, "deux");
    {
        const test::FileSizeLimit limit(100);
        EXPECT_THROW(replaceFile(path, QByteArray(1000, 'x')), Error);
    }
    EXPECT_EQ(readFile(path), QByteArray("deux"));
    EXPECT_EQ(filesIn(dir.path()), QStringList {QStringLiteral("films.amc")});
}

TEST(SafeFile, ReadOnlyTargetIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.amc"));
    replaceFile(path, "avant");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    EXPECT_THROW(replaceFile(path, "après"), Error);
    EXPECT_FALSE(cannotReplaceReason(path).isEmpty());
    EXPECT_EQ(readFile(path), QByteArray("avant"));
    EXPECT_EQ(filesIn(dir.path()), QStringList {QStringLiteral("films.amc")});
}

TEST(SafeFile, AFileReachedThroughALinkIsReplacedWhereTheLinkPoints)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("vrai"));
    const QString real = dir.filePath(QStringLiteral("vrai/films.amc"));
    const QString link = dir.filePath(QStringLiteral("films.amc"));
    replaceFile(real, "avant");
    ASSERT_TRUE(QFile::link(real, link));
    replaceFile(link, "après");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(real), QByteArray("après"));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("vrai"))).entryList(QDir::Files | QDir::Hidden),
        QStringList {QStringLiteral("films.amc")});
}

// As the user nobody (the tests run as root, whom permissions do not stop), in
// a folder of root's: the catalogue and its backup, writable by all, are saved
// in place and locked through the catalogue itself.
TEST(SafeFile, AFolderThatCannotBeWrittenIsSavedInPlace)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs to switch to the user nobody";
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString path = dir.filePath(QStringLiteral("films.amc"));
    replaceFile(path, "avant");
    ::chmod(QFile::encodeName(path).constData(), 0666);

    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(10);
        try {
            if (!cannotReplaceReason(path).isEmpty()
                || cannotReplaceReason(dir.filePath(QStringLiteral("neuf.amc"))).isEmpty())
                ::_exit(11);
            CatalogueLock lock;
            if (!lock.tryLock(path))
                ::_exit(12);
            replaceFile(path, "remplacé en place");
            AppendFile file;
            file.open(path);
            file.append(" et complété");
        } catch (...) {
            ::_exit(13);
        }
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(path), QByteArray("remplacé en place et complété"));
    EXPECT_EQ(filesIn(dir.path()), QStringList {QStringLiteral("films.amc")});
}

TEST(SafeFile, AReplacedFileKeepsItsOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs to give a file away";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.amc"));
    replaceFile(path, "avant");
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    replaceFile(path, "après");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
}
