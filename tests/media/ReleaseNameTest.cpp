// Names written for these tests, the way people's disks name their films.
#include "media/ReleaseName.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace filmarch;

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

TEST(ReleaseName, ReadsTitleAlternativeTitleYearAndPart)
{
    const struct {
        const char* path;
        const char* title;
        const char* alternative;
        int year;
        int part;
    } cases[] = {
        // release words after the title, whatever their number
        {"Les.Tontons.Flingueurs.1963.FRENCH.720p.BluRay.x264-GRPA.mkv", "Les Tontons Flingueurs", "", 1963, 0},
        {"Quai.des.Brumes.720p.HDDVD.DTS.x264-QQB.mkv", "Quai des Brumes", "", 0, 0},
        {"Amélie.2001.FRENCH.1080p.BluRay.x264-TEAM.mkv", "Amélie", "", 2001, 0},
        {"Le.Bossu.1959.VOSTFR.SUBFRENCH.avi", "Le Bossu", "", 1959, 0},
        {"le_salaire_de_la_peur_TRUEFRENCH_DVDRIP_xvid.avi", "le salaire de la peur", "", 0, 0},
        {"Playtime.1967.720p.H.264.DD5.1-KLM.mkv", "Playtime", "", 1967, 0},
        {"Mon Oncle - 1958 - DVDRip.avi", "Mon Oncle", "", 1958, 0},
        {"Delicatessen.1991.Dual.Spanish.English.by.Nadie.avi", "Delicatessen", "", 1991, 0},
        {"Les Enfants du paradis MULTi 2160p WEB-DL.mkv", "Les Enfants du paradis", "", 0, 0},
        {"Garde.a.vue.1981.2in1.avi", "Garde a vue", "", 1981, 0},
        {"Le Trou XviD-BQR.avi", "Le Trou", "", 0, 0},
        {"Un Air de famille ENGLISH FRENCH.avi", "Un Air de famille", "", 0, 0},
        {"Les Valseuses LiMiTED DvDrip by Pierrot.avi", "Les Valseuses", "", 0, 0},
        // bracketed tags, sites and numbering before the title
        {"[KLM].La.Haine.(Hate).DVDRip.[XviD.AC3.{Fr}].avi", "La Haine", "Hate", 0, 0},
        {"{Subs} Pickpocket (1959).mkv", "Pickpocket", "", 1959, 0},
        {"www.filmsite.com - Le Cercle Rouge 1970.avi", "Le Cercle Rouge", "", 1970, 0},
        {"[sharethemovies.org] Le Cercle Rouge (1970).avi", "Le Cercle Rouge", "", 1970, 0},
        {"(1) Le Mépris 1963.avi", "Le Mépris", "", 1963, 0},
        {"09.03.08.Le.Trou.1960.avi", "Le Trou", "", 1960, 0},
        {"03 - Les Diaboliques (1955).avi", "Les Diaboliques", "", 1955, 0},
        // numbers that are titles
        {"1917.2019.1080p.WEB-DL.mkv", "1917", "", 2019, 0},
        {"2001.A.Space.Odyssey.1968.mkv", "2001 A Space Odyssey", "", 1968, 0},
        {"21.(2008).mkv", "21", "", 2008, 0},
        {"9.2009.DVDRip.avi", "9", "", 2009, 0},
        {"Blade Runner 2049 (2017).mkv", "Blade Runner 2049", "", 2017, 0},
        {"Taxi 2 (2000).avi", "Taxi 2", "", 2000, 0},
        {"8 Femmes 2002.avi", "8 Femmes", "", 2002, 0},
        {"Lucy (2014) (2014).mkv", "Lucy", "", 2014, 0},
        {"1984.avi", "1984", "", 0, 0},
        {"2012.2009.BDRip.mkv", "2012", "", 2009, 0},
        {"(500) Jours ensemble (2009).mkv", "(500) Jours ensemble", "", 2009, 0},
        // titles that hold release-like words
        {"The.French.Connection.1971.mkv", "The French Connection", "", 1971, 0},
        {"The Italian Job 1969.avi", "The Italian Job", "", 1969, 0},
        {"Charlottes.Web.2006.mkv", "Charlottes Web", "", 2006, 0},
        {"Stand.by.Me.1986.mkv", "Stand by Me", "", 1986, 0},
        {"Spider-Man.2002.mkv", "Spider-Man", "", 2002, 0},
        {"E.T.the.Extra-Terrestrial.1982.mkv", "E.T the Extra-Terrestrial", "", 1982, 0},
        {"Touche pas à ma femme 2012.avi", "Touche pas à ma femme", "", 2012, 0},
        {"Kill.Count.Part.2.2011.mkv", "Kill Count Part 2", "", 2011, 0},
        // the other title
        {"Le Cinquième Élément (The Fifth Element) 1997 MULTi.mkv", "Le Cinquième Élément", "The Fifth Element", 1997,
            0},
        {"Le Grand Bleu - The Big Blue (1988).mkv", "Le Grand Bleu", "The Big Blue", 1988, 0},
        {"Les.Visiteurs.AKA.The.Visitors.1993.avi", "Les Visiteurs", "The Visitors", 1993, 0},
        // parts
        {"Jour_de_fete_Criterion_Edition_(1949).CD2.avi", "Jour de fete", "", 1949, 2},
        {"Nikita.pt.2.avi", "Nikita", "", 0, 2},
        {"Nikita.1of2.avi", "Nikita", "", 0, 1},
        {"Nikita.CDB.avi", "Nikita", "", 0, 2},
        {"Nikita Disc 1.avi", "Nikita", "", 0, 1},
        {"nikita-cd2.avi", "nikita", "", 0, 2},
        {"Ran.1985.Part.2.avi", "Ran", "", 1985, 2},
        {"Le Dernier Métro (CD1).avi", "Le Dernier Métro", "", 0, 1},
        {"Jeux.Interdits.1952.DVDRip.XviD.AC3.CD1of2.avi", "Jeux Interdits", "", 1952, 1},
        // odd separators and spacing
        {"  Les__Demoiselles...de Rochefort  1967 .avi", "Les Demoiselles de Rochefort", "", 1967, 0},
        {"Zazie dans le métro", "Zazie dans le métro", "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const ReleaseName r = readReleaseName(u8(c.path));
        EXPECT_EQ(r.title, u8(c.title));
        EXPECT_EQ(r.alternativeTitle, u8(c.alternative));
        EXPECT_EQ(r.year, c.year);
        EXPECT_EQ(r.part, c.part);
        EXPECT_FALSE(r.titleFromFolder);
    }
}

TEST(ReleaseName, ReadsIdentifiersEditionsAndWhatIsNotAFilm)
{
    const struct {
        const char* path;
        const char* imdb;
        int tmdb;
        QStringList editions;
        bool sample;
        bool episode;
    } cases[] = {
        {"Cleo.de.5.a.7.1962.tt7654321.mkv", "tt7654321", 0, {}, false, false},
        {"Un Prophète (2009) [tmdbid-12345].mkv", "", 12345, {}, false, false},
        {"Das Boot (1981) {imdb-tt76543210}.mkv", "tt76543210", 0, {}, false, false},
        {"Das Boot (1981) {tmdb-999}.mkv", "", 999, {}, false, false},
        {"Shoah.1985.tt12345.mkv", "", 0, {}, false, false}, // too short for an IMDb number
        {"Le Pacte des loups (Directors Cut) 2001.mkv", "", 0, {u8("Director's Cut")}, false, false},
        {"Jour_de_fete_Criterion_Edition_(1949).CD2.avi", "", 0, {u8("Criterion")}, false, false},
        {"Alien.1979.Directors.Cut.Remastered.1080p.mkv", "", 0, {u8("Director's Cut"), u8("Remastered")}, false,
            false},
        {"Brazil.1985.Extended.UNRATED.mkv", "", 0, {u8("Extended"), u8("Unrated")}, false, false},
        {"Films/Sample/la-haine-smp.mkv", "", 0, {}, true, false},
        {"La.Haine.1995.sample.mkv", "", 0, {}, true, false},
        {"Une.Serie.S01E02.720p.mkv", "", 0, {}, false, true},
        {"Une Serie 1x02.avi", "", 0, {}, false, true},
        {"Le Dernier Métro 1980.avi", "", 0, {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const ReleaseName r = readReleaseName(u8(c.path));
        EXPECT_EQ(r.imdbId, u8(c.imdb));
        EXPECT_EQ(r.tmdbId, c.tmdb);
        EXPECT_EQ(r.editions, c.editions);
        EXPECT_EQ(r.sample, c.sample);
        EXPECT_EQ(r.episode, c.episode);
    }
}

TEST(ReleaseName, ReadsTheFolderWhenTheFileNameGivesNoTitle)
{
    const struct {
        const char* path;
        const char* title;
        int year;
        int part;
        bool fromFolder;
        const char* folderTitle;
    } cases[] = {
        {"Films/Playtime (1967)/jt-pt.avi", "Playtime", 1967, 0, true, "Playtime"},
        {"/home/ann/Films/Le Samouraï (1967)/VIDEO_TS/VTS_01_1.VOB", "Le Samouraï", 1967, 0, true, "Le Samouraï"},
        {"Films/Le Samouraï (1967)/CD2/lsmr.avi", "Le Samouraï", 1967, 2, true, "Le Samouraï"},
        {"Films/Le Samouraï (1967)/BDMV/STREAM/00001.m2ts", "Le Samouraï", 1967, 0, true, "Le Samouraï"},
        {"Movies/The Conversation (1974)/the conversation.avi", "The Conversation", 1974, 0, true, "The Conversation"},
        {"Movies/Alice et le Maire (2019)/alice.mkv", "Alice et le Maire", 2019, 0, true, "Alice et le Maire"},
        // the file names a film of its own: the folder is only a last resort
        {"Mes films 2010/La Piscine 1969.avi", "La Piscine", 1969, 0, false, ""},
        {"Le Parrain (1972)/The Godfather.avi", "The Godfather", 0, 0, false, "Le Parrain"},
        // folders that hold many films name none
        {"/data/Films/dmd-aw.avi", "dmd-aw", 0, 0, false, ""},
        {"Téléchargements/Sample/sample.mkv", "", 0, 0, false, ""},
        {"Films/Le Samouraï (1967)/Disc 2/VIDEO_TS/VTS_01_1.VOB", "Le Samouraï", 1967, 2, true, "Le Samouraï"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const ReleaseName r = readReleaseName(u8(c.path));
        EXPECT_EQ(r.title, u8(c.title));
        EXPECT_EQ(r.year, c.year);
        EXPECT_EQ(r.part, c.part);
        EXPECT_EQ(r.titleFromFolder, c.fromFolder);
        EXPECT_EQ(r.folderTitle, u8(c.folderTitle));
    }
    const ReleaseName ids = readReleaseName(u8("Films/Un Prophète (2009) [imdbid-tt1234567]/movie.mkv"));
    EXPECT_EQ(ids.imdbId, u8("tt1234567"));
    EXPECT_EQ(ids.title, u8("Un Prophète"));
}

TEST(ReleaseName, KeepsTheGroupingKeyAndTheWordsSetAside)
{
    const struct {
        const char* path;
        const char* withoutPart;
    } keys[] = {
        {"Jour_de_fete_Criterion_Edition_(1949).CD2.avi", "Jour_de_fete_Criterion_Edition_(1949)"},
        {"Nikita.CD1.DivX.avi", "Nikita.DivX"},
        {"nikita-cd2.avi", "nikita"},
        {"Le Dernier Métro (CD1).avi", "Le Dernier Métro"},
        {"Nikita part 2 of 2.avi", "Nikita"},
        {"Nikita.avi", "Nikita"},
        {"CD1.avi", ""},
    };
    for (const auto& c : keys) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(readReleaseName(u8(c.path)).nameWithoutPart, u8(c.withoutPart));
    }
    const ReleaseName r = readReleaseName(u8("[XYZ].Playtime.1967.720p.H.264.DD5.1-KLM.mkv"));
    EXPECT_EQ(r.releaseWords, QStringList({u8("[XYZ]"), u8("720p"), u8("H.264"), u8("DD5.1"), u8("KLM")}));
}

TEST(ReleaseName, ComparesTitlesWithoutCaseAccentsAndPunctuation)
{
    EXPECT_EQ(comparableTitle(u8("L'Été meurtrier !")), u8("lete meurtrier"));
    EXPECT_EQ(comparableTitle(u8("Sin City : J'ai tué pour elle")), u8("sin city jai tue pour elle"));
    EXPECT_EQ(comparableTitle(u8("S.W.A.T.")), comparableTitle(u8("SWAT")));
    EXPECT_EQ(comparableTitle(u8("Œdipe roi")), u8("oedipe roi"));
    EXPECT_EQ(comparableTitle(u8("Spider-Man")), u8("spider man"));
    EXPECT_EQ(comparableTitle(u8("  ")), QString());
}

TEST(ReleaseName, AnyTextGivesAResult)
{
    for (const char* s : {"", "/", ".", "....", "(((", "[]", "()", "{[(", "-", " - - ", ".mkv", "tt", "CD", "Part",
             "a.b.c.d.e.f.g", "www", "www.", "1.2.3.4.5", "S01E", "(2010)", "[2010]", "2010"})
        (void)readReleaseName(u8(s));
    QRandomGenerator random(31);
    for (int i = 0; i < 2000; ++i) {
        QString s;
        const int n = random.bounded(40);
        for (int k = 0; k < n; ++k)
            s += QChar(char16_t(random.bounded(2) ? random.bounded(32, 127) : random.bounded(0, 0xFFFF)));
        (void)readReleaseName(s);
    }
    EXPECT_EQ(readReleaseName(u8("(2010)")).title, u8("2010"));
}
