// TMDb's answers read into the lookup's slots: tables of answers shaped like the service's.
#include "filmdb/TmdbAnswers.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

using namespace filmarch;

namespace {

const QString base = QStringLiteral("https://image.tmdb.org/t/p/");

TmdbConfiguration configuration()
{
    TmdbConfiguration c;
    c.imageBase = base;
    c.countries.insert(QStringLiteral("US"), QStringLiteral("États-Unis"));
    c.countries.insert(QStringLiteral("FR"), QStringLiteral("France"));
    return c;
}

QString slot(const char* answer, InfoSlot s)
{
    return readMovie(QByteArray(answer), configuration()).infos[s];
}

} // namespace

TEST(TmdbAnswers, FullDetailsFillEverySlotButThePressRating)
{
    const char answer[] = R"({"id":603,"imdb_id":"tt7000603","title":"Matrix","original_title":"The Matrix","release_date":"1999-03-30",
        "runtime":136,"overview":"Programmeur le jour, pirate la nuit…","vote_average":8.2,"vote_count":26000,
        "poster_path":"/aOIuZAjPaRIE6CMzbazvcHuHXDc.jpg",
        "genres":[{"id":28,"name":"Action"},{"id":878,"name":"Science-Fiction"}],
        "production_countries":[{"iso_3166_1":"US","name":"United States of America"},{"iso_3166_1":"AU","name":"Australia"}],
        "credits":{"cast":[{"name":"Keanu Reeves","character":"Neo","order":0},{"name":"Carrie-Anne Moss","character":"Trinity","order":2},
            {"name":"Laurence Fishburne","character":"Morpheus","order":1}],
          "crew":[{"name":"Lana Wachowski","job":"Director","department":"Directing"},{"name":"Bill Pope","job":"Director of Photography"},
            {"name":"Lilly Wachowski","job":"Director","department":"Directing"}]}})";
    const TmdbFilm film = readMovie(QByteArray(answer), configuration());
    InfosFilmAllo expected;
    expected[InfoTitre] = QStringLiteral("Matrix");
    expected[InfoTitreOriginal] = QStringLiteral("The Matrix");
    expected[InfoAnneeSortie] = QStringLiteral("1999");
    expected[InfoRealisateur] = QStringLiteral("Lana Wachowski, Lilly Wachowski");
    expected[InfoAnneeProduction] = QStringLiteral("1999");
    // Names in the lookup's language, the service's own name for a country the list lacks.
    expected[InfoPays] = QStringLiteral("États-Unis, Australia");
    expected[InfoGenre] = QStringLiteral("Action, Science-Fiction");
    expected[InfoActeurs] =
        QStringLiteral("Keanu Reeves(Neo), Laurence Fishburne(Morpheus), Carrie-Anne Moss(Trinity)");
    expected[InfoDuree] = QStringLiteral("2h16min");
    expected[InfoSynopsis] = QStringLiteral("Programmeur le jour, pirate la nuit…");
    expected[InfoNoteSpectateurs] = QStringLiteral("4");
    expected[InfoAffiche] = base + QStringLiteral("w500/aOIuZAjPaRIE6CMzbazvcHuHXDc.jpg");
    // The film named exactly, for later runs and the exports.
    expected[InfoTmdbId] = QStringLiteral("603");
    expected[InfoImdbId] = QStringLiteral("tt7000603");
    EXPECT_EQ(film.infos, expected);
    EXPECT_EQ(film.runtimeSeconds, 136 * 60);
}

TEST(TmdbAnswers, MissingNullAndOddFieldsLeaveTheirSlotEmpty)
{
    struct Case {
        const char* name;
        const char* answer;
        InfoSlot slot;
        QString expected;
    };
    const QString none;
    const std::vector<Case> cases = {
        {"no field at all", "{}", InfoTitre, none},
        {"null title", R"({"title":null})", InfoTitre, none},
        {"a number where a text belongs", R"({"title":42})", InfoTitre, none},
        {"empty release date", R"({"release_date":""})", InfoAnneeSortie, none},
        {"a date that is no year", R"({"release_date":"inconnue"})", InfoAnneeProduction, none},
        {"runtime null", R"({"runtime":null})", InfoDuree, none},
        {"runtime 0", R"({"runtime":0})", InfoDuree, none},
        {"runtime 65", R"({"runtime":65})", InfoDuree, QStringLiteral("1h05min")},
        {"no votes: no rating", R"({"vote_average":8.0,"vote_count":0})", InfoNoteSpectateurs, none},
        {"5.0 of 10 rounds half away from zero", R"({"vote_average":5.0,"vote_count":3})", InfoNoteSpectateurs,
            QStringLiteral("3")},
        {"4.9 of 10", R"({"vote_average":4.9,"vote_count":3})", InfoNoteSpectateurs, QStringLiteral("2")},
        {"a rating off the scale", R"({"vote_average":90,"vote_count":3})", InfoNoteSpectateurs, none},
        {"poster null", R"({"poster_path":null})", InfoAffiche, none},
        {"a poster path out of the image server", R"({"poster_path":"/../../etc/passwd"})", InfoAffiche, none},
        {"a poster address elsewhere", R"({"poster_path":"//evil.example/x.jpg"})", InfoAffiche, none},
        {"empty lists", R"({"genres":[],"production_countries":[],"credits":{"cast":[],"crew":[]}})", InfoGenre, none},
        {"credits null", R"({"credits":null})", InfoActeurs, none},
        {"a genre without a name", R"({"genres":[{"id":1},{"id":2,"name":"Drame"}]})", InfoGenre,
            QStringLiteral("Drame")},
        {"an actor without a character", R"({"credits":{"cast":[{"name":"A","character":null,"order":0}]}})",
            InfoActeurs, QStringLiteral("A()")},
        {"no director among the crew", R"({"credits":{"crew":[{"name":"B","job":"Co-Director"}]}})", InfoRealisateur,
            none},
        {"an IMDb number that is none", R"({"imdb_id":"tt12"})", InfoImdbId, none},
        {"an IMDb number with more after it", R"({"imdb_id":"tt0000012/../x"})", InfoImdbId, none},
        {"a film number that is no whole number", R"({"id":3.5})", InfoTmdbId, none},
    };
    for (const Case& c : cases)
        EXPECT_EQ(slot(c.answer, c.slot), c.expected) << c.name;

    for (const char* unreadable : {"", "[]", "not json", "{\"title\":"})
        EXPECT_THROW(readMovie(QByteArray(unreadable), configuration()), Error) << unreadable;
}

TEST(TmdbAnswers, TheFirstTenOfTheCastInBillingOrder)
{
    QByteArray answer = R"({"credits":{"cast":[)";
    for (int i = 11; i >= 0; --i)
        answer += QStringLiteral(R"({"name":"A%1","character":"R%1","order":%1}%2)")
                      .arg(i)
                      .arg(i > 0 ? QStringLiteral(",") : QString())
                      .toUtf8();
    answer += "]}}";
    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("A%1(R%1)").arg(i);
    EXPECT_EQ(readMovie(answer, configuration()).infos[InfoActeurs], expected.join(QStringLiteral(", ")));
}

TEST(TmdbAnswers, TheFilmOfTheFileNamesYearElseTheFirst)
{
    const QList<TmdbResult> results = readSearch(R"({"page":1,"results":[
        {"id":1,"title":"Sans date","release_date":""},
        {"title":"Sans id"},
        {"id":"3","title":"Id en texte"},
        {"id":4,"title":"Remake","release_date":"2003-05-01"},
        {"id":5,"title":"Original","release_date":"1975-01-01","poster_path":null},
        {"id":6,"title":"Autre","release_date":"1975-12-31"}]})");
    ASSERT_EQ(results.size(), 4) << "results without a numeric id are left out";
    struct Case {
        QString year;
        int chosen;
    };
    for (const Case& c : std::vector<Case> {
             {QStringLiteral("1975"), 2}, {QStringLiteral("2003"), 1}, {QStringLiteral("1990"), 0}, {QString(), 0}})
        EXPECT_EQ(chooseResult(results, c.year), c.chosen) << c.year.toStdString();
    EXPECT_EQ(chooseResult({}, QStringLiteral("1975")), -1);
    EXPECT_TRUE(readSearch(R"({"results":null})").isEmpty());
    EXPECT_THROW(readSearch("<html>"), Error);
}

TEST(TmdbAnswers, ConfigurationAndCountries)
{
    EXPECT_EQ(readImageBase(R"({"images":{"secure_base_url":"https://image.tmdb.org/t/p/"}})"), base);
    EXPECT_THROW(readImageBase(R"({"images":{"secure_base_url":"file:///etc/"}})"), Error);
    EXPECT_THROW(readImageBase(R"({"images":null})"), Error);
    const QHash<QString, QString> names = readCountries(
        R"([{"iso_3166_1":"DE","english_name":"Germany","native_name":"Allemagne"},{"iso_3166_1":"XX"},null])");
    EXPECT_EQ(names.size(), 1);
    EXPECT_EQ(names.value(QStringLiteral("DE")), QStringLiteral("Allemagne"));
}
