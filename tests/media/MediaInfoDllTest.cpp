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
    // By its soname, as the program loads it.
    MesFonctionMediaInfo media(QStringLiteral("libmediainfo.so.0"));
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
    MesFonctionMediaInfo media(test::mediaInfoLibrary());
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
    MesFonctionMediaInfo media(QFile::decodeName(info.dli_fname));
    EXPECT_FALSE(MediaInfoDLL_HasEntryPoint("MediaInfo_New"));
    const QString message = errorOf([&] { media.New(); });
    EXPECT_TRUE(message.contains(QStringLiteral("MediaInfo_New"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("undefined symbol"))) << message.toStdString();
    EXPECT_EQ(media.Get(Stream_General, 0, QStringLiteral("FileName")), QString());
}

TEST(MesFonctionMediaInfo, MissingOrBrokenLibraryFileGivesTheSystemReason)
{
    const QString noFile = errorOf([&] { MesFonctionMediaInfo media(QStringLiteral("libmediainfo-absente.so.0")); });
    EXPECT_TRUE(noFile.contains(QStringLiteral("libmediainfo-absente.so.0: cannot open shared object file")))
        << noFile.toStdString();
    EXPECT_FALSE(mediaInfoLoadable(QStringLiteral("libmediainfo-absente.so.0")));
    EXPECT_TRUE(mediaInfoLoadable(QStringLiteral("libmediainfo.so.0")));

    QTemporaryDir broken;
    const QString brokenFile = broken.filePath(QStringLiteral("libmediainfo.so.0"));
    test::makeTextFile(brokenFile, QByteArray(256, 'x'));
    const QString notALibrary = errorOf([&] { MesFonctionMediaInfo media(brokenFile); });
    EXPECT_TRUE(notALibrary.contains(brokenFile)) << notALibrary.toStdString();
    EXPECT_TRUE(notALibrary.contains(QStringLiteral("ELF"))) << notALibrary.toStdString();
    EXPECT_FALSE(MediaInfoDLL_HasEntryPoint("MediaInfo_New"));
}
