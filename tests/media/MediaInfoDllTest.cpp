// The binding on the real library, and on files that are no MediaInfo library.
#include "media/MediaInfoDll.h"
#include "platform/Error.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>

using namespace filmarch;

namespace {

// A folder whose libmediainfo.so.0 is the given file.
void placeLibrary(const QTemporaryDir& dir, const QString& target)
{
    ASSERT_TRUE(QFile::link(target, dir.filePath(mediaInfoLibraryName())));
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(MesFonctionMediaInfo, LoadsOnceAndGivesEmptyAnswersForAFileItCannotOpen)
{
    QTemporaryDir dir;
    placeLibrary(dir, test::mediaInfoLibrary());
    MesFonctionMediaInfo media(dir.path());
    EXPECT_TRUE(MediaInfoDLL_HasEntryPoint("MediaInfo_Count_Get"));
    // Loaded already: a second load keeps it, whatever the path.
    EXPECT_TRUE(MediaInfoDLL_Load(QStringLiteral("/nulle/part/libmediainfo.so.0")));
    EXPECT_TRUE(MediaInfoDLL_HasEntryPoint("MediaInfoA_Delete"));

    // No analysis started yet: nothing to answer, nothing to crash on.
    EXPECT_EQ(media.Open(dir.filePath(QStringLiteral("absent.mkv"))), 0);
    EXPECT_EQ(media.Get(Stream_General, 0, QStringLiteral("FileName")), QString());

    media.New();
    EXPECT_EQ(media.Open(dir.filePath(QStringLiteral("absent.mkv"))), 0);
    for (const QString& parameter :
        {QStringLiteral("VideoCount"), QStringLiteral("CompleteName"), QStringLiteral("FileSize")})
        EXPECT_EQ(media.Get(Stream_General, 0, parameter), QString()) << parameter.toStdString();
    EXPECT_EQ(media.Get(Stream_Video, -1, QStringLiteral("Width")), QString());
    media.Delete();
    media.Delete(); // a second release is harmless
}

TEST(MesFonctionMediaInfo, StartsAFreshAnalysisAtEveryNew)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("notes.txt"));
    test::makeTextFile(file);
    MesFonctionMediaInfo media(test::binDir());
    media.New();
    ASSERT_NE(media.Open(file), 0);
    EXPECT_EQ(media.Get(Stream_General, 0, QStringLiteral("FileName")), QStringLiteral("notes"));
    media.New(); // the previous analysis is released, not leaked nor kept
    EXPECT_EQ(media.Get(Stream_General, 0, QStringLiteral("FileName")), QString());
}

TEST(MesFonctionMediaInfo, LibraryWithoutTheEntryPointsLoadsButCannotStartAnAnalysis)
{
    // Qt's own core library: a real shared library without any MediaInfo export.
    Dl_info info {};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&qVersion), &info), 0);
    QTemporaryDir dir;
    placeLibrary(dir, QFile::decodeName(info.dli_fname));
    MesFonctionMediaInfo media(dir.path());
    EXPECT_FALSE(MediaInfoDLL_HasEntryPoint("MediaInfo_New"));
    const QString message = errorOf([&] { media.New(); });
    EXPECT_TRUE(message.contains(QStringLiteral("MediaInfo_New"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("undefined symbol"))) << message.toStdString();
    EXPECT_EQ(media.Get(Stream_General, 0, QStringLiteral("FileName")), QString());
}

TEST(MesFonctionMediaInfo, MissingOrBrokenLibraryFileGivesTheSystemReason)
{
    QTemporaryDir missing;
    const QString noFile = errorOf([&] { MesFonctionMediaInfo media(missing.path()); });
    EXPECT_TRUE(noFile.contains(QStringLiteral("No such file"))) << noFile.toStdString();

    QTemporaryDir broken;
    test::makeTextFile(broken.filePath(mediaInfoLibraryName()), QByteArray(256, 'x'));
    const QString notALibrary = errorOf([&] { MesFonctionMediaInfo media(broken.path()); });
    EXPECT_TRUE(notALibrary.contains(broken.filePath(mediaInfoLibraryName()))) << notALibrary.toStdString();
    EXPECT_TRUE(notALibrary.contains(QStringLiteral("ELF"))) << notALibrary.toStdString();
    EXPECT_FALSE(MediaInfoDLL_HasEntryPoint("MediaInfo_New"));
}
