// Whole-file replacement: the target is whole whatever fails, and no other
// file stays beside it.
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
    EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("films.amc")});
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
    replaceFile(link, "après");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(real), QByteArray("après"));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("vrai"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("films.amc")});
}
