// The analysis in a helper process gives what the library gives in this
// process, and a helper that dies, stays silent, talks nonsense or cannot
// start fails no more than the file it had.
#include "core/Options.h"
#include "media/MediaInfoDll.h"
#include "media/RemoteMediaInfo.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "support/FileBytes.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <memory>

using namespace filmarch;
using namespace std::chrono_literals;

namespace {

QString helperProgram()
{
    return test::binDir() + QStringLiteral("/filmarch-analyse");
}

// Everything a scan reads of a file, as one text.
QString analysis(MesFonctionMediaInfo& media, const QString& path)
{
    media.New();
    if (!media.Open(path)) {
        media.Delete();
        return QStringLiteral("not opened");
    }
    TTraitement t(path, false, media, [] { return defaultFiltreTitre() + QStringLiteral(";("); });
    if (!t.TestVideo)
        return QStringLiteral("no video");
    const auto orError = [](auto value) {
        try {
            return value();
        } catch (const std::exception&) {
            return QStringLiteral("error");
        }
    };
    t.Titre();
    return QStringList {t.URL, t.Resolution, t.Framerate, t.TitreTraduit, t.TitreOriginal, t.Annee,
        t.VideoFormat(), t.ListeFormatAudio(), t.ListeLanguagesAudio(), t.ListeLangauagesSousTitre(),
        orError([&] { return t.Lengths(); }), QString::number(t.lengthSeconds()), orError([&] { return t.size(); }),
        t.VideoBitrate(), t.AudioBitrate(),
        // Values no film analysis reads, asked of the helper while the file is open.
        media.Get(Stream_General, 0, QStringLiteral("Format")), media.Get(Stream_Audio, 1, QStringLiteral("Format")),
        media.Get(Stream_General, 0, QStringLiteral("Format"), Info_Name)}
        .join(u'|');
}

// A stand-in helper: a shell script.
QString script(const QTemporaryDir& dir, const QByteArray& body)
{
    const QString path = dir.filePath(QStringLiteral("helper.sh"));
    test::writeFile(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// The helper's "ready", as a frame.
const QByteArray ready = "printf '\\001\\000\\000\\000R'; ";

} // namespace

TEST(RemoteMediaInfo, AnswersWhatTheLibraryAnswersInThisProcess)
{
    QTemporaryDir dir;
    test::GeneratedVideo languages;
    languages.audioLanguages = {QStringLiteral("fre"), QStringLiteral("eng")};
    languages.subtitleLanguages = {QStringLiteral("ger")};
    languages.titleTag = QStringLiteral("Le Titre (Original) 1999");
    const QString mkv = dir.filePath(QStringLiteral("Un Film (2004).mkv"));
    const QString mp4 = dir.filePath(QStringLiteral("Autre.Film.1987.mp4"));
    const QString sound = dir.filePath(QStringLiteral("son.mp3"));
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    test::makeVideo(mkv, languages);
    test::makeVideo(mp4);
    test::makeAudioOnly(sound);
    test::makeTextFile(text);

    MesFonctionMediaInfo here(test::mediaInfoLibrary());
    RemoteMediaInfo there(helperProgram(), test::mediaInfoLibrary());
    for (const QString& path : {mkv, mp4, sound, text, dir.filePath(QStringLiteral("absent.mkv")), mkv}) {
        SCOPED_TRACE(path.toStdString());
        const QString expected = analysis(here, path);
        EXPECT_EQ(analysis(there, path), expected);
        EXPECT_FALSE(there.local());
    }
    EXPECT_NE(analysis(here, mkv), QStringLiteral("not opened"));
}

TEST(RemoteMediaInfo, AHelperThatDiesFailsTheFileItHadAndTheNextFileGetsAnother)
{
    QTemporaryDir dir;
    const QString film = dir.filePath(QStringLiteral("film.mkv"));
    test::makeVideo(film);
    MesFonctionMediaInfo here(test::mediaInfoLibrary());
    RemoteMediaInfo there(helperProgram(), test::mediaInfoLibrary());
    const QString expected = analysis(here, film);

    there.New();
    ASSERT_EQ(there.Open(film), 1);
    const pid_t first = there.helperProcess();
    EXPECT_FALSE(there.Get(Stream_General, 0, QStringLiteral("VideoCount")).isEmpty()); // brought back at the opening
    const QString format = there.Get(Stream_General, 0, QStringLiteral("Format")); // asked of the helper
    ASSERT_FALSE(format.isEmpty());
    ::kill(first, SIGKILL);
    // What was answered stays known: the writer reads it after the worker asked.
    EXPECT_EQ(there.Get(Stream_General, 0, QStringLiteral("Format")), format);
    EXPECT_THROW(there.Get(Stream_General, 0, QStringLiteral("Format_Profile")), Error);
    EXPECT_THROW(there.Get(Stream_Audio, 0, QStringLiteral("SamplingRate")), Error);
    there.Delete();

    EXPECT_EQ(analysis(there, film), expected);
    const pid_t second = there.helperProcess();
    EXPECT_NE(second, first);
    EXPECT_FALSE(there.local());

    // Killed while it waits for the next file: that file is not failed for it.
    ::kill(second, SIGKILL);
    siginfo_t ended {};
    ::waitid(P_PID, id_t(second), &ended, WEXITED | WNOWAIT);
    EXPECT_EQ(analysis(there, film), expected);
    EXPECT_NE(there.helperProcess(), second);
}

TEST(RemoteMediaInfo, SilentHostileOrStoppedHelpersFailTheFileInTime)
{
    QTemporaryDir dir;
    const QString film = dir.filePath(QStringLiteral("film.mkv"));
    test::makeVideo(film);
    struct Case {
        const char* what;
        QByteArray body;
        bool stop;
        std::chrono::milliseconds silence = 300ms;
        std::chrono::milliseconds total = 5min;
    } cases[] = {
        {"silent", ready + "exec sleep 30", false},
        {"endless frame", ready + "printf '\\377\\377\\377\\377'; exec sleep 30", false},
        {"nonsense", ready + "printf '\\003\\000\\000\\000abc'; exec sleep 30", false},
        {"ends", ready + "exit 0", false},
        {"stopped", ready + "exec sleep 30", true, 60s},
        // One byte of a long frame now and then: never silent, never done.
        {"drips",
            ready + "printf '\\350\\003\\000\\000'; for i in $(seq 40); do printf a; sleep 0.2; done; exec sleep 30",
            false, 3s, 1s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoteMediaInfo::Limits limits;
        limits.silence = c.silence;
        limits.total = c.total;
        limits.tick = 10ms;
        RemoteMediaInfo there(script(dir, c.body), test::mediaInfoLibrary(), limits);
        bool stop = false;
        there.stopWhen([&] { return stop; });
        there.New();
        QElapsedTimer timer;
        timer.start();
        stop = c.stop;
        EXPECT_EQ(there.Open(film), 0);
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_EQ(there.helperProcess(), -1); // ended, not left behind
        EXPECT_THROW(there.Get(Stream_General, 0, QStringLiteral("Format")), Error);
        EXPECT_FALSE(there.local());
    }
}

TEST(RemoteMediaInfo, WithoutAWorkingHelperTheAnalysisIsDoneHere)
{
    QTemporaryDir dir;
    const QString film = dir.filePath(QStringLiteral("film.mkv"));
    test::makeVideo(film);
    MesFonctionMediaInfo here(test::mediaInfoLibrary());
    const QString expected = analysis(here, film);
    for (const QString& helper : {dir.filePath(QStringLiteral("absent")), script(dir, "exit 2")}) {
        SCOPED_TRACE(helper.toStdString());
        RemoteMediaInfo there(helper, test::mediaInfoLibrary());
        EXPECT_EQ(analysis(there, film), expected);
        EXPECT_TRUE(there.local());
    }
}
