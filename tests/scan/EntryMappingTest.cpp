// What an analysed film becomes in each format, from a fake analysis: the
// options, the looked-up data and values that cannot be read.
#include "scan/EntryMapping.h"
#include "catalog/Movie.h"
#include "core/Options.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "support/FakeMedia.h"

#include <gtest/gtest.h>

using namespace filmarch;
using filmarch::test::FakeMedia;

namespace {

ScanOptions allOptions(bool on)
{
    ScanOptions o;
    o.CbGenTitre = o.CbGenDuree = o.CbGenUrl = o.CbGenVideo = o.CbGenAudio = o.CbGenSousTitre = o.CbGenTaille = on;
    o.CbPieceJointe = on;
    return o;
}

InfosFilmAllo lookedUp()
{
    InfosFilmAllo infos;
    infos[InfoTitre] = QStringLiteral("Le Titre");
    infos[InfoTitreOriginal] = QStringLiteral("The Title");
    infos[InfoAnneeSortie] = QStringLiteral("2001");
    infos[InfoAnneeProduction] = QStringLiteral("2000");
    infos[InfoRealisateur] = QStringLiteral("R. Éalisateur");
    infos[InfoPays] = QStringLiteral("France");
    infos[InfoGenre] = QStringLiteral("Drame");
    infos[InfoActeurs] = QStringLiteral("A, B");
    infos[InfoSynopsis] = QStringLiteral("Il était une fois.");
    infos[InfoNotePresse] = QStringLiteral("3");
    infos[InfoNoteSpectateurs] = QStringLiteral("4");
    return infos;
}

// A two-hour film of 1.5 GiB with one French audio track and English subtitles.
void describeFilm(FakeMedia& media, const QString& duration = QStringLiteral("7260000"))
{
    media.withVideo()
        .set(Stream_General, 0, QStringLiteral("CompleteName"), QStringLiteral("/films/Titre.Fichier.2004.mkv"))
        .set(Stream_General, 0, QStringLiteral("FileName"), QStringLiteral("Titre.Fichier.2004"))
        .set(Stream_General, 0, QStringLiteral("FileSize"), QStringLiteral("1610612736"))
        .set(Stream_General, 0, QStringLiteral("AudioCount"), QStringLiteral("1"))
        .set(Stream_General, 0, QStringLiteral("TextCount"), QStringLiteral("1"))
        .set(Stream_Video, 0, QStringLiteral("Duration"), duration)
        .set(Stream_Video, 0, QStringLiteral("Width"), QStringLiteral("1920"))
        .set(Stream_Video, 0, QStringLiteral("Height"), QStringLiteral("800"))
        .set(Stream_Video, 0, QStringLiteral("FrameRate"), QStringLiteral("23.976"))
        .set(Stream_Video, 0, QStringLiteral("Format"), QStringLiteral("AVC"))
        .set(Stream_Video, 0, QStringLiteral("CodecID"), QStringLiteral("V_MPEG4/ISO/AVC"))
        .set(Stream_Video, 0, QStringLiteral("BitRate/String"), QStringLiteral("1 500 kb/s"))
        .set(Stream_Audio, 0, QStringLiteral("Format"), QStringLiteral("AC-3"))
        .set(Stream_Audio, 0, QStringLiteral("Channel(s)/String"), QStringLiteral("6 channels"))
        .set(Stream_Audio, 0, QStringLiteral("Language/String"), QStringLiteral("French"))
        .set(Stream_Audio, 0, QStringLiteral("BitRate/String"), QStringLiteral("448 kb/s"))
        .set(Stream_Text, 0, QStringLiteral("Language/String"), QStringLiteral("English"));
}

struct Film {
    FakeMedia media;
    std::unique_ptr<TTraitement> Fichier;
    explicit Film(const QString& duration = QStringLiteral("7260000"))
    {
        describeFilm(media, duration);
        Fichier = std::make_unique<TTraitement>(
            QStringLiteral("/films/Titre.Fichier.2004.mkv"), false, media, [] { return defaultFiltreTitre(); });
        Fichier->Titre();
        Fichier->Comment = QStringLiteral("cover.jpg|notes.jpg|");
    }
};

QStringList namesOf(const XmlAttributes& attrs)
{
    QStringList names;
    for (const auto& [name, value] : attrs)
        names << name;
    return names;
}

QString valueOf(const XmlAttributes& attrs, const char* name)
{
    for (const auto& [n, value] : attrs)
        if (n == QLatin1String(name))
            return value;
    return QStringLiteral("<absent>");
}

} // namespace

TEST(EntryMapping, XmlAttributesFollowTheOptionsAndTheLookedUpData)
{
    const struct {
        const char* name;
        bool options;
        bool lookup;
        QString picture;
        QStringList attributes;
    } cases[] = {
        {"every option, no lookup", true, false, {},
            {u"Number"_qs, u"Checked"_qs, u"Date"_qs, u"OriginalTitle"_qs, u"TranslatedTitle"_qs, u"Length"_qs,
                u"URL"_qs, u"Comments"_qs, u"VideoFormat"_qs, u"VideoBitrate"_qs, u"Resolution"_qs, u"Framerate"_qs,
                u"AudioFormat"_qs, u"AudioBitrate"_qs, u"Languages"_qs, u"Subtitles"_qs, u"Size"_qs, u"Year"_qs,
                u"Director"_qs, u"Country"_qs, u"Category"_qs, u"Actors"_qs, u"Description"_qs, u"Disks"_qs}},
        {"no option, no lookup", false, false, {},
            {u"Number"_qs, u"Checked"_qs, u"Date"_qs, u"Year"_qs, u"Director"_qs, u"Country"_qs, u"Category"_qs,
                u"Actors"_qs, u"Description"_qs, u"Disks"_qs}},
        {"no option, looked up, with a poster", false, true, u"/affiches/Le Titre.jpg"_qs,
            {u"Number"_qs, u"Checked"_qs, u"Date"_qs, u"Picture"_qs, u"Year"_qs, u"Director"_qs, u"Country"_qs,
                u"Category"_qs, u"Actors"_qs, u"Description"_qs, u"Rating"_qs, u"Disks"_qs}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Film film;
        const XmlAttributes attrs = xmlMovieAttributes(*film.Fichier, allOptions(c.options),
            c.lookup ? lookedUp() : InfosFilmAllo {}, 7, u"10/12/2026"_qs, c.picture);
        EXPECT_EQ(namesOf(attrs), c.attributes);
        EXPECT_EQ(valueOf(attrs, "Number"), u"7"_qs);
        if (c.options) {
            EXPECT_EQ(valueOf(attrs, "TranslatedTitle"), film.Fichier->TitreTraduit); // the analysed title
            EXPECT_FALSE(film.Fichier->TitreTraduit.isEmpty());
            EXPECT_EQ(valueOf(attrs, "Length"), u"121"_qs);
            EXPECT_EQ(valueOf(attrs, "VideoBitrate"), u"1500"_qs);
            EXPECT_EQ(valueOf(attrs, "Size"), u"1536"_qs);
            EXPECT_EQ(valueOf(attrs, "Comments"), u"cover.jpg|notes.jpg|"_qs);
        }
        if (c.lookup) {
            EXPECT_EQ(valueOf(attrs, "Year"), u"2001"_qs); // the release year first
            EXPECT_EQ(valueOf(attrs, "Rating"), u"8"_qs);  // spectators over press, out of 10
            EXPECT_EQ(valueOf(attrs, "Picture"), c.picture);
        } else {
            EXPECT_EQ(valueOf(attrs, "Year"), u"2004"_qs); // the file name's year
        }
    }
}

TEST(EntryMapping, AmcEntryFollowsTheOptionsAndTheLookedUpData)
{
    {
        SCOPED_TRACE("every option, looked up");
        Film film;
        TMovie entry;
        fillAmcEntry(entry, *film.Fichier, allOptions(true), lookedUp());
        EXPECT_TRUE(entry.bChecked);
        EXPECT_EQ(entry.strTranslatedTitle, u"Le Titre"_qs);
        EXPECT_EQ(entry.strOriginalTitle, u"The Title"_qs);
        EXPECT_EQ(entry.iYear, 2000); // the production year first
        EXPECT_EQ(entry.iRating, 80);
        EXPECT_EQ(entry.iLength, 121);
        EXPECT_EQ(entry.iVideoBitrate, 1500);
        EXPECT_EQ(entry.iAudioBitrate, 448);
        EXPECT_EQ(entry.strComments, u"cover.jpg\r\nnotes.jpg\r\n"_qs);
        EXPECT_EQ(entry.strResolution, u"1920x800"_qs);
        EXPECT_EQ(entry.strLanguages, u"French"_qs);
        EXPECT_EQ(entry.strSubtitles, u"English"_qs);
        EXPECT_EQ(entry.strSize, u"1536"_qs);
        EXPECT_EQ(entry.strDirector, u"R. Éalisateur"_qs);
        EXPECT_EQ(entry.strURL, u"/films/Titre.Fichier.2004.mkv"_qs);
    }
    {
        SCOPED_TRACE("no option, no lookup");
        Film film;
        TMovie entry;
        fillAmcEntry(entry, *film.Fichier, allOptions(false), InfosFilmAllo {});
        EXPECT_TRUE(entry.bChecked);
        EXPECT_EQ(entry.iYear, 2004); // the file name's year
        EXPECT_EQ(entry.iRating, 0);
        EXPECT_EQ(entry.iLength, 0);
        EXPECT_TRUE(entry.strTranslatedTitle.isEmpty() && entry.strURL.isEmpty() && entry.strSize.isEmpty()
            && entry.strComments.isEmpty() && entry.strVideoFormat.isEmpty());
    }
}

TEST(EntryMapping, TheLookedUpYearElseTheFileNamesElseNone)
{
    struct Case {
        const char* name;
        QString release, production, fromFileName;
        QString xmlYear;
        int amcYear;
    };
    const std::vector<Case> cases = {
        {"looked up wins", u"1999"_qs, u"1998"_qs, u"2004"_qs, u"1999"_qs, 1998},
        {"a lookup without a year", {}, {}, u"2004"_qs, u"2004"_qs, 2004},
        {"no year anywhere", {}, {}, {}, {}, 0},
        {"a file name's year that is no year", {}, {}, u"20x4"_qs, {}, 0},
    };
    for (const Case& c : cases) {
        Film film;
        film.Fichier->Annee = c.fromFileName;
        InfosFilmAllo infos;
        infos[InfoAnneeSortie] = c.release;
        infos[InfoAnneeProduction] = c.production;
        const XmlAttributes attrs = xmlMovieAttributes(*film.Fichier, allOptions(false), infos, 1, {}, {});
        EXPECT_EQ(valueOf(attrs, "Year"), c.xmlYear) << c.name;
        TMovie entry;
        fillAmcEntry(entry, *film.Fichier, allOptions(false), infos);
        EXPECT_EQ(entry.iYear, c.amcYear) << c.name;
    }
}

TEST(EntryMapping, AValueThatCannotBeReadFailsTheWholeEntry)
{
    Film film(QStringLiteral("deux heures"));
    TMovie entry;
    EXPECT_THROW(fillAmcEntry(entry, *film.Fichier, allOptions(true), {}), Error);
    EXPECT_THROW(xmlMovieAttributes(*film.Fichier, allOptions(true), {}, 1, u"10/12/2026"_qs, {}), Error);
    // Without the length option the same film maps.
    ScanOptions noLength = allOptions(true);
    noLength.CbGenDuree = false;
    EXPECT_NO_THROW(xmlMovieAttributes(*film.Fichier, noLength, {}, 1, u"10/12/2026"_qs, {}));
}

TEST(EntryMapping, TheFilmsIdentifiersAreALineOfTheComments)
{
    Film film;
    InfosFilmAllo infos = lookedUp();
    infos[InfoTmdbId] = u"348"_qs;
    infos[InfoImdbId] = u"tt7000001"_qs;
    TMovie entry;
    fillAmcEntry(entry, *film.Fichier, allOptions(true), infos);
    EXPECT_EQ(entry.strComments, u"cover.jpg\r\nnotes.jpg\r\nTMDb : 348 · IMDb : tt7000001"_qs);
    EXPECT_EQ(valueOf(xmlMovieAttributes(*film.Fichier, allOptions(true), infos, 1, {}, {}), "Comments"),
        u"cover.jpg|notes.jpg|\r\nTMDb : 348 · IMDb : tt7000001"_qs);

    infos[InfoImdbId].clear();
    TMovie bare;
    fillAmcEntry(bare, *film.Fichier, allOptions(false), infos);
    EXPECT_EQ(bare.strComments, u"TMDb : 348"_qs);
    EXPECT_EQ(
        valueOf(xmlMovieAttributes(*film.Fichier, allOptions(false), infos, 1, {}, {}), "Comments"), u"TMDb : 348"_qs);
}

TEST(EntryMapping, CleanedTitlesOnlyWhenAskedAndNothingWasFound)
{
    FakeMedia media;
    describeFilm(media);
    media.set(Stream_General, 0, QStringLiteral("FileName"), QStringLiteral("Le.Film.(The.Film).2004.HDDVD.ESiR"));
    TTraitement Fichier(QStringLiteral("/films/Le.Film.(The.Film).2004.HDDVD.ESiR.mkv"), false, media,
        [] { return defaultFiltreTitre(); });
    Fichier.Titre();
    ScanOptions options = allOptions(true);
    const XmlAttributes asToday = xmlMovieAttributes(Fichier, options, {}, 1, {}, {});
    EXPECT_EQ(valueOf(asToday, "TranslatedTitle"), Fichier.TitreTraduit);
    options.CbTitresNettoyes = true;
    const XmlAttributes cleaned = xmlMovieAttributes(Fichier, options, {}, 1, {}, {});
    EXPECT_EQ(valueOf(cleaned, "TranslatedTitle"), u"Le Film"_qs);
    EXPECT_EQ(valueOf(cleaned, "OriginalTitle"), u"The Film"_qs);
    TMovie entry;
    fillAmcEntry(entry, Fichier, options, lookedUp());
    EXPECT_EQ(entry.strTranslatedTitle, u"Le Titre"_qs) << "a film found keeps its title";
}
