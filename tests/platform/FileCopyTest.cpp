// The copies of whole files: a copy replaces its target only once it is
// whole, never writes through a link, and copies no more than it is asked.
#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/UniqueFile.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;

using filmarch::test::filesIn;
using filmarch::test::readFile;
using filmarch::test::writeFile;

TEST(FileCopy, APictureCopyTakesThePlaceOfAFileOrOfALinkWithoutWritingThroughIt)
{
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link ? "link" : "file");
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("source.jpg"));
        const QString target = dir.filePath(QStringLiteral("copie.jpg"));
        const QString elsewhere = dir.filePath(QStringLiteral("ailleurs.jpg"));
        writeFile(source, QByteArray(3 << 20, 'p'));
        writeFile(elsewhere, "ailleurs");
        if (link)
            ASSERT_TRUE(QFile::link(elsewhere, target));
        else
            writeFile(target, "avant");

        EXPECT_TRUE(replaceWithCopy(source, target));
        EXPECT_FALSE(QFileInfo(target).isSymLink());
        EXPECT_EQ(readFile(target), QByteArray(3 << 20, 'p'));
        EXPECT_EQ(readFile(elsewhere), QByteArray("ailleurs"));
        EXPECT_EQ(filesIn(dir.path()),
            (QStringList {QStringLiteral("ailleurs.jpg"), QStringLiteral("copie.jpg"), QStringLiteral("source.jpg")}));
    }
}

TEST(FileCopy, ACopyThatFailsLeavesThePreviousFileAndNothingElse)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.jpg"));
    const QString target = dir.filePath(QStringLiteral("copie.jpg"));
    writeFile(source, QByteArray(1000, 'p'));
    writeFile(target, "avant");
    {
        const test::FileSizeLimit limit(100);
        EXPECT_FALSE(replaceWithCopy(source, target));
        EXPECT_THROW(copyFile(source, target, 1000), Error);
    }
    EXPECT_EQ(readFile(target), QByteArray("avant"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList {QStringLiteral("copie.jpg"), QStringLiteral("source.jpg")}));
}

TEST(FileCopy, ABackupCopiesTheSizeAskedAndRefusesASourceThatShrank)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("films.amc"));
    const QString backup = dir.filePath(QStringLiteral("films.amc.bak"));
    writeFile(source, "entrees lues + ajout a moitie");
    copyFile(source, backup, 7);
    EXPECT_EQ(readFile(backup), QByteArray("entrees"));

    writeFile(source, "court");
    EXPECT_THROW(copyFile(source, backup, 100), Error);
    EXPECT_EQ(readFile(backup), QByteArray("entrees"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList {QStringLiteral("films.amc"), QStringLiteral("films.amc.bak")}));
}
