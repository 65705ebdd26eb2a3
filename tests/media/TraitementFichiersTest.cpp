// The analysis of real files, made by ffmpeg, read by the real MediaInfo library.
#include "core/Options.h"
#include "media/Traitement.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace filmarch;

namespace {

bool wholeKilobits(const QString& text, int below)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value > 0 && value < below;
}

} // namespace

class TraitementFichiers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = std::make_unique<QTemporaryDir>();
        test::GeneratedVideo matroska;
        matroska.audioLanguages = {QStringLiteral("fre"), QStringLiteral("eng")};
        matroska.subtitleLanguages = {QStringLiteral("fre")};
        test::makeVideo(path(mkvName), matroska);

        test::GeneratedVideo mp4;
        mp4.seconds = 61;
        mp4.audioLanguages = {QString()};
        mp4.titleTag = QStringLiteral("Le Film (The Film) 2003");
        test::makeVideo(path(mp4Name), mp4);

        test::GeneratedVideo avi;
        avi.audioLanguages = {QString()};
        test::makeVideo(path(aviName), avi);

        test::makeAudioOnly(path(QStringLiteral("son.mp3")));
        test::makePicture(path(QStringLiteral("affiche.jpg")));
        test::makeTextFile(path(QStringLiteral("notes.txt")));
        media = std::make_unique<MesFonctionMediaInfo>(test::mediaInfoLibrary());
    }
    static void TearDownTestSuite()
    {
        media.reset();
        dir.reset();
    }
    static QString path(const QString& name) { return dir->filePath(name); }

    // The scan run's order: a fresh handle, the file opened, then the analysis.
    static std::unique_ptr<TTraitement> analyse(const QString& file)
    {
        media->New();
        media->Open(file);
        return std::make_unique<TTraitement>(file, false, *media, [] { return defaultFiltreTitre(); });
    }

    static inline std::unique_ptr<QTemporaryDir> dir;
    static inline std::unique_ptr<MesFonctionMediaInfo> media;
    static inline const QString mkvName = QStringLiteral("Le Grand Bleu (The Big Blue) 1988 DVDRip.mkv");
    static inline const QString mp4Name = QStringLiteral("Été.mp4");
    static inline const QString aviName = QStringLiteral("Film.XviD.avi");
};

TEST_F(TraitementFichiers, MatroskaWithTwoAudioLanguagesAndASubtitle)
{
    auto t = analyse(path(mkvName));
    ASSERT_TRUE(t->TestVideo);
    EXPECT_EQ(t->URL, path(mkvName));
    EXPECT_EQ(t->Resolution, QStringLiteral("64x48"));
    EXPECT_EQ(t->Framerate, QStringLiteral("5.000"));
    EXPECT_EQ(t->VideoFormat(), QStringLiteral("AVC  MPEG_4"));
    EXPECT_EQ(t->ListeLanguagesAudio(), QStringLiteral("French, English"));
    EXPECT_EQ(t->ListeLangauagesSousTitre(), QStringLiteral("French"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^A_AAC\\S*  1 channel, A_AAC\\S*  1 channel$"))
                    .match(t->ListeFormatAudio())
                    .hasMatch())
        << t->ListeFormatAudio().toStdString();
    EXPECT_EQ(t->Lengths(), QStringLiteral("0")); // the library gives "1000.000000" here
    EXPECT_EQ(t->size(), QStringLiteral("0"));
    EXPECT_EQ(t->Titre(), QStringLiteral("Le Grand Bleu"));
    EXPECT_EQ(t->TitreOriginal, QStringLiteral("The Big Blue"));
    EXPECT_EQ(t->Annee, QStringLiteral("1988"));
}

TEST_F(TraitementFichiers, Mp4WithAccentedNameAndTitleTag)
{
    auto t = analyse(path(mp4Name));
    ASSERT_TRUE(t->TestVideo);
    EXPECT_EQ(t->URL, path(mp4Name));
    EXPECT_EQ(t->Lengths(), QStringLiteral("1"));
    EXPECT_EQ(t->ListeLanguagesAudio(), QString());
    EXPECT_EQ(t->ListeLangauagesSousTitre(), QString());
    // Fractions of kilobits ("37.2 kb/s") stay in kilobits.
    EXPECT_TRUE(wholeKilobits(t->VideoBitrate(), 1000)) << t->VideoBitrate().toStdString();
    EXPECT_TRUE(wholeKilobits(t->AudioBitrate(), 1000)) << t->AudioBitrate().toStdString();
    t->Titre();
    EXPECT_EQ(t->TitreTraduit, QStringLiteral("Été"));
    EXPECT_EQ(t->TitreOriginal, QStringLiteral("The Film"));
    EXPECT_EQ(t->Annee, QStringLiteral("2003"));
}

TEST_F(TraitementFichiers, AviWithMp3Sound)
{
    auto t = analyse(path(aviName));
    ASSERT_TRUE(t->TestVideo);
    EXPECT_EQ(t->VideoFormat(), QStringLiteral("MPEG-4 Visual  FMP4"));
    EXPECT_EQ(t->ListeFormatAudio(), QStringLiteral("MP3  1 channel"));
    EXPECT_EQ(t->ListeLanguagesAudio(), QString());
    EXPECT_TRUE(wholeKilobits(t->VideoBitrate(), 1000)) << t->VideoBitrate().toStdString();
    EXPECT_TRUE(wholeKilobits(t->AudioBitrate(), 1000)) << t->AudioBitrate().toStdString(); // "8 000 b/s"
    EXPECT_EQ(t->Titre(), QStringLiteral("Film"));
}

TEST_F(TraitementFichiers, FilesWithoutVideoAreNoVideo)
{
    for (const QString& name : {QStringLiteral("son.mp3"), QStringLiteral("affiche.jpg"), QStringLiteral("notes.txt"),
             QStringLiteral("absent.mkv"), QString() /* the folder */}) {
        SCOPED_TRACE(name.toStdString());
        auto t = analyse(path(name));
        EXPECT_FALSE(t->TestVideo);
        EXPECT_TRUE(t->URL.isEmpty() && t->Resolution.isEmpty() && t->Framerate.isEmpty() && t->NomDuFichier.isEmpty());
    }
}

TEST_F(TraitementFichiers, DestructionReleasesTheFilesHandle)
{
    analyse(path(mkvName)).reset();
    EXPECT_EQ(media->Get(Stream_General, 0, QStringLiteral("VideoCount")), QString());
    // The next file starts afresh on the same object.
    auto t = analyse(path(aviName));
    EXPECT_TRUE(t->TestVideo);
}
