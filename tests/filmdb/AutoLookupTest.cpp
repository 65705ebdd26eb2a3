// The automatic lookup: the filling of the looked-up slots from a movie answer,
// the whole lookup against the fake service, and the running-time check.
#include "filmdb/AutoLookup.h"
#include "filmdb/AllocineClient.h"
#include "filmdb/MovieAnswer.h"
#include "support/FakeFilmDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace filmarch;
using filmarch::test::FakeCastMember;
using filmarch::test::FakeFilm;
using filmarch::test::FakeFilmDatabase;
using filmarch::test::FakeSearch;

namespace {

const QString connectionLine =
    QStringLiteral("Fichier non traité par le scan allocine, une erreur de connection est survenu : ");
const QString noMatchLine = QStringLiteral("Fichier non traité par le scan allocine, aucune correspondance trouvée : ");

struct Filled {
    InfosFilmAllo infos;
    QStringList log;
    bool complete;
};

Filled fill(const QByteArray& inside, const QString& title = QStringLiteral("Titre/"))
{
    Filled filled;
    const MovieAnswer movie(QByteArray("<movie code=\"1\">") + inside + "</movie>");
    filled.complete = RemplitInfosFilm(movie, title, filled.infos, filled.log);
    return filled;
}

QByteArray castMember(const QString& name, int activity, const QString& role = QString())
{
    return QStringLiteral(
        "<castMember><person><name>%1</name></person><activity code=\"%2\"/><role>%3</role></castMember>")
        .arg(name)
        .arg(activity)
        .arg(role)
        .toUtf8();
}

class AutoLookupTest : public ::testing::Test {
protected:
    QTemporaryDir app;
    FakeFilmDatabase service;
    HttpClient http;
    AllocineClient client {service.host(), AppPaths::beside(app.path()), http};

    std::vector<std::string> movieRequests() const
    {
        std::vector<std::string> found;
        for (const std::string& target : service.requests())
            if (target.rfind("/rest/v3/movie", 0) == 0)
                found.push_back(target.substr(0, target.find('&')));
        return found;
    }
};

} // namespace

TEST(RemplitInfosFilm, RunningTimes)
{
    const std::vector<std::pair<const char*, QString>> cases = {
        {"5400", QStringLiteral("1h30min")},
        {"3900", QStringLiteral("1h05min")},
        {"600", QStringLiteral("0h10min")},
        {"0", QStringLiteral("0h00min")},
        {"7199", QStringLiteral("1h59min")},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(fill(QByteArray("<runtime>") + seconds + "</runtime>").infos[InfoDuree], text) << seconds;
}

TEST(RemplitInfosFilm, RatingsReadWithADotWhateverTheLocale)
{
    const std::vector<std::pair<const char*, QString>> cases = {
        {"3.5", QStringLiteral("4")},
        {"2.44", QStringLiteral("2")},
        {"4", QStringLiteral("4")},
        {"2.5", QStringLiteral("3")},
        {"0.4", QStringLiteral("0")},
        {"4.75", QStringLiteral("5")},
        {"n/a", QString()},
        {"", QString()},
    };
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    for (const auto& [rating, note] : cases) {
        const Filled filled = fill(QByteArray("<statistics><pressRating>") + rating + "</pressRating><userRating>"
            + rating + "</userRating></statistics>");
        EXPECT_EQ(filled.infos[InfoNotePresse], note) << rating;
        EXPECT_EQ(filled.infos[InfoNoteSpectateurs], note) << rating;
    }
    QLocale::setDefault(previous);
    const Filled pressOnly = fill("<statistics><pressRating>3.5</pressRating></statistics>");
    EXPECT_EQ(pressOnly.infos[InfoNotePresse], QStringLiteral("4"));
    EXPECT_EQ(pressOnly.infos[InfoNoteSpectateurs], QString());
}

TEST(RemplitInfosFilm, JoinedListsAndTheElevenMemberActorWindow)
{
    QByteArray cast = castMember(QStringLiteral("Réalisatrice"), 8002);
    for (int i = 1; i <= 12; ++i)
        cast += castMember(QStringLiteral("Acteur %1").arg(i), 8001, QStringLiteral("Rôle %1").arg(i));
    const Filled filled = fill("<casting>" + cast
        + "</casting><nationalityList><nationality>France</nationality>"
          "<nationality>Belgique</nationality></nationalityList><genreList/>");
    EXPECT_EQ(filled.infos[InfoRealisateur], QStringLiteral("Réalisatrice"));
    QStringList actors;
    for (int i = 1; i <= 10; ++i)
        actors << QStringLiteral("Acteur %1(Rôle %1)").arg(i);
    EXPECT_EQ(filled.infos[InfoActeurs], actors.join(QStringLiteral(", ")));
    EXPECT_EQ(filled.infos[InfoPays], QStringLiteral("France, Belgique"));
    EXPECT_EQ(filled.infos[InfoGenre], QString());
    EXPECT_TRUE(filled.complete);

    const Filled two = fill("<casting>" + castMember(QStringLiteral("A"), 8001, QStringLiteral("Jean"))
        + castMember(QStringLiteral("X"), 8003) + castMember(QStringLiteral("B"), 8001)
        + castMember(QStringLiteral("D1"), 8002) + castMember(QStringLiteral("D2"), 8002) + "</casting>");
    EXPECT_EQ(two.infos[InfoActeurs], QStringLiteral("A(Jean), B()"));
    EXPECT_EQ(two.infos[InfoRealisateur], QStringLiteral("D1, D2"));
}

TEST(RemplitInfosFilm, WhatCannotBeReadCostsItsOwnSlotOnly)
{
    const Filled filled =
        fill("<title>T</title><originalTitle>O</originalTitle><release><releaseDate>1998-05-12</releaseDate></release>"
             "<synopsis>Un <b>grand</b> film</synopsis><poster href=\"http://p/a.jpg\"/>"
             "<casting><castMember><person><name>X</name></person><activity/></castMember></casting>");
    EXPECT_EQ(filled.infos[InfoTitre], QStringLiteral("T"));
    EXPECT_EQ(filled.infos[InfoTitreOriginal], QStringLiteral("O"));
    EXPECT_EQ(filled.infos[InfoAnneeSortie], QStringLiteral("1998"));
    EXPECT_EQ(filled.infos[InfoAnneeProduction], QString()) << "no production year: empty, not a failure";
    EXPECT_EQ(filled.infos[InfoDuree], QString()) << "no runtime: empty, not a failure";
    EXPECT_EQ(filled.infos[InfoSynopsis], QString());
    EXPECT_EQ(filled.infos[InfoRealisateur], QString());
    EXPECT_EQ(filled.infos[InfoAffiche], QStringLiteral("http://p/a.jpg"));
    EXPECT_EQ(filled.log, QStringList(QStringLiteral("Erreur de récupération du synopsis : Titre")));
    EXPECT_FALSE(filled.complete) << "a cast member without activity code";
}

// A year is four digits or nothing.
TEST(RemplitInfosFilm, YearsAreFourDigitsOrNothing)
{
    const struct {
        const char* releaseDate;
        const char* productionYear;
        QString release, production;
    } cases[] = {
        {"1998-05-12", "1997", QStringLiteral("1998"), QStringLiteral("1997")},
        {"inconnue", "", QString(), QString()},
        {"98", "0", QString(), QString()},
        {"2003", "12345", QStringLiteral("2003"), QString()},
        {"", "-1999", QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.releaseDate);
        QByteArray movie = QByteArray("<title>T</title><release><releaseDate>") + c.releaseDate
            + "</releaseDate></release><runtime>5400</runtime>";
        if (*c.productionYear)
            movie += QByteArray("<productionYear>") + c.productionYear + "</productionYear>";
        const Filled filled = fill(movie);
        EXPECT_EQ(filled.infos[InfoAnneeSortie], c.release);
        EXPECT_EQ(filled.infos[InfoAnneeProduction], c.production);
        EXPECT_EQ(filled.infos[InfoTitre], QStringLiteral("T"));
        EXPECT_EQ(filled.infos[InfoDuree], QStringLiteral("1h30min"));
        EXPECT_TRUE(filled.complete);
    }
}

TEST_F(AutoLookupTest, TakesTheLastFilmOfTheYearElseTheFirst)
{
    std::vector<FakeFilm> films = FakeFilmDatabase::numberedFilms(4, 500);
    const int years[] = {1998, 1999, 2003, 1999};
    for (size_t i = 0; i < films.size(); ++i)
        films[i].productionYear = years[i];
    service.addSearch("MATRIX", {films, {}, -1});

    const std::vector<std::pair<QString, int>> cases = {
        {QString(), 0}, {QStringLiteral("1999"), 3}, {QStringLiteral("2003"), 2}, {QStringLiteral("1950"), 0}};
    for (const auto& [year, chosen] : cases) {
        const LookupOutcome outcome = RechercheAuto(client, QStringLiteral("Matrix"), year);
        EXPECT_EQ(outcome.code, 0) << year.toStdString();
        EXPECT_EQ(outcome.bestitem, chosen) << year.toStdString();
        EXPECT_EQ(outcome.infos[InfoTitre], QStringLiteral("Film %1").arg(chosen));
        EXPECT_EQ(movieRequests().back(), "/rest/v3/movie?code=" + std::to_string(500 + chosen));
    }
    EXPECT_TRUE(service.refusals().empty());
    EXPECT_TRUE(QFileInfo(app.filePath(QStringLiteral("images"))).isDir());
    EXPECT_TRUE(QFileInfo::exists(app.filePath(QStringLiteral("InfosFilm.xml"))));
}

TEST_F(AutoLookupTest, ProbeCountAndItsSecondEntry)
{
    FakeSearch many {FakeFilmDatabase::numberedFilms(45), {}, -1};
    service.addSearch("BEAUCOUP", many);
    FakeSearch personSecond {FakeFilmDatabase::numberedFilms(3), {{"movie", "3"}, {"person", "2"}}, -1};
    service.addSearch("PERSONNE", personSecond);
    FakeSearch oneEntry {FakeFilmDatabase::numberedFilms(3), {{"movie", "3"}}, -1};
    service.addSearch("SEUL", oneEntry);
    FakeSearch notANumber {FakeFilmDatabase::numberedFilms(3), {{"person", "1"}, {"movie", "trois"}}, -1};
    service.addSearch("TROIS", notANumber);
    FakeSearch shortList {FakeFilmDatabase::numberedFilms(12), {}, 5};
    service.addSearch("COURT", shortList);

    struct Case {
        QString title;
        int code;
        int NbrFilms;
        std::string lastTarget;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("Beaucoup"), 0, 30, "/rest/v3/movie?code=1000"},
        {QStringLiteral("Personne"), 2, 0, "/rest/v3/search?q='PERSONNE'&partner=Tq7bWx2LpR4nVe8"},
        {QStringLiteral("Seul"), 2, 0, "/rest/v3/search?q='SEUL'&partner=Tq7bWx2LpR4nVe8"},
        {QStringLiteral("Trois"), 2, 0, "/rest/v3/search?q='TROIS'&partner=Tq7bWx2LpR4nVe8"},
        {QStringLiteral("Inconnu"), 2, 0, "/rest/v3/search?q='INCONNU'&partner=Tq7bWx2LpR4nVe8&count=0"},
        // Fewer films than announced: the choice runs over those the list holds.
        {QStringLiteral("Court"), 0, 12, "/rest/v3/movie?code=1004"},
    };
    for (const Case& c : cases) {
        const LookupOutcome outcome =
            RechercheAuto(client, c.title, c.title == QStringLiteral("Court") ? QStringLiteral("1994") : QString());
        EXPECT_EQ(outcome.code, c.code) << c.title.toStdString();
        EXPECT_EQ(outcome.NbrFilms, c.NbrFilms) << c.title.toStdString();
        // The movie request shown by its code only.
        const std::string last = service.requests().back();
        EXPECT_EQ(last.rfind("/rest/v3/movie", 0) == 0 ? last.substr(0, last.find('&')) : last, c.lastTarget);
        if (c.code == 2) {
            EXPECT_EQ(outcome.logLines, QStringList(noMatchLine + c.title)) << c.title.toStdString();
            EXPECT_EQ(outcome.infos, InfosFilmAllo()) << c.title.toStdString();
        }
    }
    bool asked30 = false;
    for (const std::string& target : service.requests())
        asked30 |= target == "/rest/v3/search?q='BEAUCOUP'&partner=Tq7bWx2LpR4nVe8&count=30";
    EXPECT_TRUE(asked30);
}

TEST_F(AutoLookupTest, FailuresNeverLoseTheFile)
{
    std::vector<FakeFilm> films = FakeFilmDatabase::numberedFilms(2, 700);
    films[0].movieAnswer = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><movie code=\"700\"><title>Coupé";
    service.addSearch("CASSE", {films, {}, -1});

    AllocineClient unreachable(QStringLiteral("127.0.0.1:1"), AppPaths::beside(app.path()), http);
    LookupOutcome outcome = RechercheAuto(unreachable, QStringLiteral("Casse/"), QString());
    EXPECT_EQ(outcome.code, 1);
    EXPECT_EQ(outcome.logLines, QStringList(connectionLine + QStringLiteral("Casse")));

    outcome = RechercheAuto(client, QStringLiteral("Casse"), QString());
    EXPECT_EQ(outcome.code, 2) << "unreadable movie answer";
    EXPECT_EQ(outcome.logLines, QStringList(noMatchLine + QStringLiteral("Casse")));

    service.failMovieRequests = true;
    outcome = RechercheAuto(client, QStringLiteral("Casse"), QStringLiteral("1991"));
    EXPECT_EQ(outcome.code, 2) << "movie request refused";
    EXPECT_EQ(outcome.bestitem, 1);
}

TEST_F(AutoLookupTest, ServiceShapedAnswerFillsEverySlot)
{
    FakeFilm film;
    film.code = 27405;
    film.title = "Le Dîner de cons";
    film.originalTitle = "Le Dîner de cons";
    film.productionYear = 1998;
    film.releaseDate = "1998-04-15";
    film.posterHref = service.posterUrl("diner.jpg").toStdString();
    film.cast = {{"Francis Veber", 8002, ""}, {"Jacques Villeret", 8001, "François Pignon"},
        {"Thierry Lhermitte", 8001, "Pierre Brochant"}};
    film.nationalities = {"France"};
    film.genres = {"Comédie"};
    film.runtime = 4800;
    film.synopsis = "Chaque mercredi, un dîner.<br/>Ce soir-là, rien ne va.";
    film.pressRating = "3.75";
    film.userRating = "4.24";
    service.addSearch("LE+DîNER+DE+CONS", {{film}, {}, -1});

    const LookupOutcome outcome = RechercheAuto(client, QStringLiteral("Le Dîner de cons"), QStringLiteral("1998"));
    ASSERT_EQ(outcome.code, 0);
    const InfosFilmAllo expected = {QStringLiteral("Le Dîner de cons"), QStringLiteral("Le Dîner de cons"),
        QStringLiteral("1998"), QStringLiteral("Francis Veber"), QStringLiteral("1998"), QStringLiteral("France"),
        QStringLiteral("Comédie"),
        QStringLiteral("Jacques Villeret(François Pignon), Thierry Lhermitte(Pierre Brochant)"),
        QStringLiteral("1h20min"), QStringLiteral("Chaque mercredi, un dîner.\r\nCe soir-là, rien ne va."),
        QStringLiteral("4"), QStringLiteral("4"), service.posterUrl("diner.jpg")};
    EXPECT_EQ(outcome.infos, expected);
    EXPECT_EQ(outcome.runtimeSeconds, 4800);
    EXPECT_TRUE(outcome.logLines.isEmpty());
    EXPECT_TRUE(service.refusals().empty());
}

TEST(runningTimeCheck, FlagsAFileFarFromTheFilmsRunningTime)
{
    const QString line = QStringLiteral("Fiche à vérifier, durée du fichier %1 min, durée de la fiche %2 min : Matrix");
    struct Case {
        double file;
        double film;
        QString expected;
    };
    const std::vector<Case> cases = {
        {5400, 8160, line.arg(90).arg(136)},
        {8160, 5400, line.arg(136).arg(90)},
        {6480, 5400, QString()}, // a fifth longer exactly
        {6481, 5400, line.arg(108).arg(90)},
        {2399, 6000, QString()}, // shorter than 40 minutes
        {2400, 6000, line.arg(40).arg(100)},
        {0, 5400, QString()},
        {5400, -1, QString()},
        // Exact lengths are compared, rounded minutes shown.
        {4350.6, 5430, QString()}, // 19.9 % shorter
        {4340.5, 5430, line.arg(72).arg(91)},
        {8159.9, 5400, line.arg(136).arg(90)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runningTimeCheck(c.file, c.film, QStringLiteral("Matrix")), c.expected) << c.file << " " << c.film;
}
