// The catalogue texts built from the library's answers, fed exact library texts.
#include "core/Options.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "support/FakeMedia.h"

#include <gtest/gtest.h>

using namespace filmarch;
using filmarch::test::FakeMedia;

namespace {

const TTraitement::TitleFilter defaultFilter = [] { return defaultFiltreTitre(); };

} // namespace

TEST(TTraitementConstruction, FileWithoutVideoLeavesEveryFieldEmptyAndStillReleasesTheHandle)
{
    FakeMedia media;
    media.set(Stream_General, 0, QStringLiteral("CompleteName"), QStringLiteral("/films/son.mp3"))
        .set(Stream_Video, 0, QStringLiteral("Width"), QStringLiteral("64"));
    {
        TTraitement t(QStringLiteral("/films/son.mp3"), true, media, defaultFilter);
        EXPECT_FALSE(t.TestVideo);
        EXPECT_TRUE(t.URL.isEmpty());
        EXPECT_TRUE(t.Resolution.isEmpty());
        EXPECT_TRUE(t.NomDuFichier.isEmpty());
        EXPECT_FALSE(t.Image);
        EXPECT_EQ(media.deletes, 0);
    }
    EXPECT_EQ(media.deletes, 1);
}

TEST(TTraitementConstruction, VideoFileKeepsPathSizeAndFrameRateAsTheLibraryGivesThem)
{
    FakeMedia media;
    media.withVideo();
    media.set(Stream_General, 0, QStringLiteral("CompleteName"), QStringLiteral("/films/Été.mkv"))
        .set(Stream_Video, 0, QStringLiteral("Width"), QStringLiteral("1920"))
        .set(Stream_Video, 0, QStringLiteral("FrameRate"), QStringLiteral("23.976"));
    TTraitement t(QStringLiteral("/films/Été.mkv"), true, media, defaultFilter);
    EXPECT_TRUE(t.TestVideo);
    EXPECT_EQ(t.URL, QStringLiteral("/films/Été.mkv"));
    EXPECT_EQ(t.NomDuFichier, QStringLiteral("/films/Été.mkv"));
    EXPECT_EQ(t.Resolution, QStringLiteral("1920x")); // a missing height leaves the "x"
    EXPECT_EQ(t.Framerate, QStringLiteral("23.976"));
    EXPECT_TRUE(t.Image);
    EXPECT_TRUE(t.PremsAffiche);
    EXPECT_TRUE(t.Comment.isEmpty() && t.ID.isEmpty() && t.TitreTraduit.isEmpty());
}

TEST(TTraitementValeurs, VideoFormatNamesAvcAsMpeg4)
{
    const struct {
        QString codec, format, expected;
    } cases[] = {
        {QStringLiteral("V_MPEG4/ISO/AVC"), QStringLiteral("AVC"), QStringLiteral("AVC  MPEG_4")},
        {QStringLiteral("XVID"), QStringLiteral("MPEG-4 Visual"), QStringLiteral("MPEG-4 Visual  XVID")},
        {QStringLiteral("v_mpeg4/iso/avc"), QStringLiteral("AVC"), QStringLiteral("AVC  v_mpeg4/iso/avc")},
    };
    for (const auto& c : cases) {
        FakeMedia media;
        media.withVideo();
        media.set(Stream_Video, 0, QStringLiteral("CodecID"), c.codec)
            .set(Stream_Video, 0, QStringLiteral("Format"), c.format);
        TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
        EXPECT_EQ(t.VideoFormat(), c.expected);
    }
}

TEST(TTraitementValeurs, AudioFormatsTakeHintThenCodecThenFormat)
{
    FakeMedia media;
    media.withVideo();
    media.set(Stream_General, 0, QStringLiteral("AudioCount"), QStringLiteral("3"))
        .set(Stream_Audio, 0, QStringLiteral("CodecID"), QStringLiteral("A_AC3"))
        .set(Stream_Audio, 0, QStringLiteral("Format"), QStringLiteral("AC-3"))
        .set(Stream_Audio, 0, QStringLiteral("Channel(s)/String"), QStringLiteral("6 channels"))
        .set(Stream_Audio, 1, QStringLiteral("CodecID/Hint"), QStringLiteral("MP3"))
        .set(Stream_Audio, 1, QStringLiteral("CodecID"), QStringLiteral("55"))
        .set(Stream_Audio, 1, QStringLiteral("Channel(s)/String"), QStringLiteral("2 channels"))
        .set(Stream_Audio, 2, QStringLiteral("Format"), QStringLiteral("FLAC"));
    TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
    EXPECT_EQ(t.ListeFormatAudio(), QStringLiteral("A_AC3  6 channels, MP3  2 channels, FLAC  "));
}

TEST(TTraitementValeurs, LanguageListsKeepOrSkipEmptyLanguages)
{
    const struct {
        QStringList languages;
        QString audio, subtitles;
    } cases[] = {
        {{QStringLiteral("French"), QString(), QStringLiteral("English")}, QStringLiteral("French, , English"),
            QStringLiteral("French, English")},
        {{QString(), QString()}, QStringLiteral(", "), QString()},
        {{QStringLiteral("French"), QString()}, QStringLiteral("French, "), QStringLiteral("French, ")},
        {{QString(), QStringLiteral("Français")}, QStringLiteral(", Français"), QStringLiteral("Français")},
        {{}, QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.languages.join(u'|').toStdString());
        FakeMedia media;
        media.withVideo();
        if (!c.languages.isEmpty()) {
            media.set(Stream_General, 0, QStringLiteral("AudioCount"), QString::number(c.languages.size()))
                .set(Stream_General, 0, QStringLiteral("TextCount"), QString::number(c.languages.size()));
        }
        for (int k = 0; k < c.languages.size(); ++k)
            media.set(Stream_Audio, k, QStringLiteral("Language/String"), c.languages[k])
                .set(Stream_Text, k, QStringLiteral("Language/String"), c.languages[k]);
        TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
        EXPECT_EQ(t.ListeLanguagesAudio(), c.audio);
        EXPECT_EQ(t.ListeLangauagesSousTitre(), c.subtitles);
        if (c.languages.isEmpty()) {
            EXPECT_EQ(t.ListeFormatAudio(), QString());
        }
    }
}

TEST(TTraitementValeurs, UnreadableStreamCountIsAConversionError)
{
    FakeMedia media;
    media.withVideo();
    media.set(Stream_General, 0, QStringLiteral("AudioCount"), QStringLiteral("2 / 3"))
        .set(Stream_General, 0, QStringLiteral("TextCount"), QStringLiteral("x"));
    TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
    EXPECT_THROW(t.ListeFormatAudio(), ConversionError);
    EXPECT_THROW(t.ListeLanguagesAudio(), ConversionError);
    EXPECT_THROW(t.ListeLangauagesSousTitre(), ConversionError);
}

TEST(TTraitementValeurs, LengthsInWholeMinutesFromVideoElseGeneralDuration)
{
    const struct {
        QString video, general, expected;
    } cases[] = {
        {QStringLiteral("5400000"), QStringLiteral("1"), QStringLiteral("90")},
        {QStringLiteral("59999"), QString(), QStringLiteral("0")},
        {QString(), QStringLiteral("7199999"), QStringLiteral("119")},
        {QStringLiteral("4000.000000"), QString(), QStringLiteral("0")},
        {QStringLiteral("5400000.5"), QString(), QStringLiteral("90")},
        {QString(), QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.video.toStdString() + " / " + c.general.toStdString());
        FakeMedia media;
        media.withVideo();
        media.set(Stream_Video, 0, QStringLiteral("Duration"), c.video)
            .set(Stream_General, 0, QStringLiteral("Duration"), c.general);
        TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
        EXPECT_EQ(t.Lengths(), c.expected);
    }
    for (const QString& bad :
        {QStringLiteral("1 h 30"), QStringLiteral("12.x"), QStringLiteral(".5"), QStringLiteral("3000000000")}) {
        FakeMedia media;
        media.withVideo();
        media.set(Stream_Video, 0, QStringLiteral("Duration"), bad);
        TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
        EXPECT_THROW(t.Lengths(), ConversionError) << bad.toStdString();
    }
}

TEST(TTraitementValeurs, SizeInWholeMebibytesOver64Bits)
{
    const struct {
        QString bytes, expected;
    } cases[] = {
        {QStringLiteral("1073741824"), QStringLiteral("1024")},
        {QStringLiteral("1048575"), QStringLiteral("0")},
        {QStringLiteral("53687091200"), QStringLiteral("51200")}, // 50 GiB, beyond 32 bits
        {QString(), QString()},
    };
    for (const auto& c : cases) {
        FakeMedia media;
        media.withVideo();
        media.set(Stream_General, 0, QStringLiteral("FileSize"), c.bytes);
        TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
        EXPECT_EQ(t.size(), c.expected) << c.bytes.toStdString();
    }
    FakeMedia media;
    media.withVideo();
    media.set(Stream_General, 0, QStringLiteral("FileSize"), QStringLiteral("1,5 GiB"));
    TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
    EXPECT_THROW(t.size(), ConversionError);
}

TEST(TTraitementValeurs, BitRatesInWholeKilobitsOrEmptyNeverAnError)
{
    const struct {
        QString text, expected;
    } cases[] = {
        {QStringLiteral("850 kb/s"), QStringLiteral("850")},
        {QStringLiteral("12.5 Mb/s"), QStringLiteral("12500")},
        {QStringLiteral("12 Mb/s"), QStringLiteral("12000")},
        {QStringLiteral("1 500 kb/s"), QStringLiteral("1500")},
        {QStringLiteral("1 509 kb/s"), QStringLiteral("1509")},
        {QStringLiteral("1.2345 Mb/s"), QString()},
        {QStringLiteral("42.5 kb/s"), QStringLiteral("42")},
        {QStringLiteral("8 000 b/s"), QStringLiteral("8")},
        {QStringLiteral("1kb/s"), QString()}, // exactly five characters
        {QStringLiteral("abc kb/s"), QString()},
        {QStringLiteral("1.5.2 kb/s"), QString()},
        {QStringLiteral("850 furlongs"), QString()},
        {QStringLiteral("9999999 Mb/s"), QString()}, // beyond 32 bits once in kilobits
        {QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        FakeMedia media;
        media.withVideo();
        media.set(Stream_Video, 0, QStringLiteral("BitRate/String"), c.text)
            .set(Stream_Audio, 0, QStringLiteral("BitRate/String"), c.text);
        TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
        EXPECT_EQ(t.VideoBitrate(), c.expected);
        EXPECT_EQ(t.AudioBitrate(), c.expected);
    }
}

TEST(TTraitementValeurs, NominalBitRateWinsOverMeasuredOne)
{
    FakeMedia media;
    media.withVideo();
    media.set(Stream_Video, 0, QStringLiteral("BitRate_Nominal/String"), QStringLiteral("2 000 kb/s"))
        .set(Stream_Video, 0, QStringLiteral("BitRate/String"), QStringLiteral("1 873 kb/s"))
        .set(Stream_Audio, 0, QStringLiteral("BitRate_Nominal/String"), QStringLiteral("448 kb/s"))
        .set(Stream_Audio, 0, QStringLiteral("BitRate/String"), QStringLiteral("447 kb/s"));
    TTraitement t(QStringLiteral("f.mkv"), false, media, defaultFilter);
    EXPECT_EQ(t.VideoBitrate(), QStringLiteral("2000"));
    EXPECT_EQ(t.AudioBitrate(), QStringLiteral("448"));
}
