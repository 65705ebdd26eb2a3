// Repeated saves of one file: each leaves the target whole, the previous
// version waits in a spare that the end of the series removes.
#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

QStringList filesIn(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST(SafeFile, RepeatedSavesSwapWithASpareThatTheEndRemoves)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.amc"));
    replaceFile(path, "premier", SaveMode::Repeated);   // no file yet: a plain save
    replaceFile(path, "deuxieme, plus long", SaveMode::Repeated);
    replaceFile(path, "trois", SaveMode::Repeated);   // shorter than the spare it overwrites
    EXPECT_EQ(readFile(path), QByteArray("trois"));
    EXPECT_EQ(filesIn(dir), (QStringList{QStringLiteral(".films.amc.filmarch-prec"), QStringLiteral("films.amc")}));

    // A write that fails half-way leaves the file as the last save made it.
    {
        const test::FileSizeLimit limit(100);
        EXPECT_THROW(replaceFile(path, QByteArray(1000, 'x'), SaveMode::Repeated), Error);
    }
    EXPECT_EQ(readFile(path), QByteArray("trois"));

    finishRepeatedSaves(path);
    EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("films.amc")});
    EXPECT_EQ(readFile(path), QByteArray("trois"));
}

TEST(SafeFile, ASpareThatIsALinkIsNeverWrittenThrough)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.amc"));
    const QString other = dir.filePath(QStringLiteral("autre.txt"));
    replaceFile(path, "catalogue");
    replaceFile(other, "intact");
    ASSERT_TRUE(QFile::link(other, dir.filePath(QStringLiteral(".films.amc.filmarch-prec"))));

    replaceFile(path, "nouveau", SaveMode::Repeated);
    EXPECT_EQ(readFile(path), QByteArray("nouveau"));
    EXPECT_EQ(readFile(other), QByteArray("intact"));
}

TEST(SafeFile, ReadOnlyTargetIsRefusedInBothModes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.amc"));
    replaceFile(path, "avant");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    for (SaveMode mode : {SaveMode::Durable, SaveMode::Repeated})
        EXPECT_THROW(replaceFile(path, "après", mode), Error);
    EXPECT_EQ(readFile(path), QByteArray("avant"));
    EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("films.amc")});
}

TEST(SafeFile, AFileReachedThroughALinkIsReplacedWhereTheLinkPoints)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("vrai"));
    const QString real = dir.filePath(QStringLiteral("vrai/films.amc"));
    const QString link = dir.filePath(QStringLiteral("films.amc"));
    replaceFile(real, "avant");
    ASSERT_TRUE(QFile::link(real, link));
    for (SaveMode mode : {SaveMode::Durable, SaveMode::Repeated, SaveMode::Repeated}) {
        replaceFile(link, "après", mode);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(readFile(real), QByteArray("après"));
    }
    finishRepeatedSaves(link);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("vrai"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("films.amc")});
}
