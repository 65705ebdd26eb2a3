// The film a file gets from TMDb: identifiers first, then at most three
// searches and a careful choice, against a stand-in service that searches as
// the real one does, with decoys (the same title in another year and more
// popular, longer titles holding the same words, two films of one title).
#include "core/Options.h"
#include "filmdb/FilmLookup.h"
#include "filmdb/NfoIds.h"
#include "filmdb/TmdbSource.h"
#include "platform/HttpClient.h"
#include "support/FakeTmdb.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace filmarch;
using filmarch::test::FakeTmdb;
using filmarch::test::FakeTmdbFilm;

namespace {

class TmdbChoiceTest : public ::testing::Test {
protected:
    QTemporaryDir app;
    FakeTmdb service;
    HttpClient http;
    FilmLookup lookup {http, AppPaths::beside(app.path())};
    LookupSource* tmdb = nullptr;

    void SetUp() override
    {
        // Hamlet: five films of the title, a more popular sequel-like decoy,
        // and twenty more popular films whose titles hold the word, so that
        // the 1964 film is on the second page.
        service.addFilm({1101, "Hamlet", "Hamlet", "1948-05-04", 50, 155});
        service.addFilm({1102, "Hamlet", "Гамлет", "1964-04-01", 9, 140});
        service.addFilm({1103, "Hamlet", "Hamlet", "1990-12-19", 30, 135});
        service.addFilm({1104, "Hamlet", "Hamlet", "1996-12-25", 40, 242});
        service.addFilm({1105, "Hamlet 2", "Hamlet 2", "2008-08-22", 60});
        for (int i = 0; i < 20; ++i)
            service.addFilm({1200 + i, "Hamlet et les autres " + std::to_string(i), "",
                std::to_string(1970 + i) + "-01-01", 100.0 + i});
        // Sin City: the sequel is more popular and holds the words.
        service.addFilm({2001, "Sin City : J'ai tué pour elle", "Sin City: A Dame to Kill For", "2014-08-22", 80});
        service.addFilm({2002, "Sin City", "Sin City", "2005-04-01", 40, 0, "tt7000010"});
        // Solaris: the later film first released in November, the year before the name's.
        service.addFilm({3001, "Solaris", "Солярис", "1972-03-20", 30});
        service.addFilm({3002, "Solaris", "Solaris", "2002-11-27", 50});
        // Two films of one title, told apart by their running times.
        service.addFilm({4001, "Le Voyage", "Le Voyage", "1990-05-02", 20, 95});
        service.addFilm({4002, "Le Voyage", "Le Voyage", "2011-09-14", 25, 130});
        // Known by its other-language title only.
        service.addFilm({5001, "Jardin secret", "The Lost Garden", "1999-02-03", 12});
        // Known by its folder's title only; and by another title.
        service.addFilm({6001, "La Bonne Chose", "La Bonne Chose", "2004-06-09", 5});
        service.addFilm({7001, "Le Grand Bleu", "Le Grand Bleu", "1988-05-11", 33, 0, "", {"The Big Blue"}});
        service.addFilm({8001, "Les Nuits fauves", "Les Nuits fauves", "1992-10-21", 7, 0, "tt7000020"});
        ScanOptions options;
        options.CleTMDb = QString::fromStdString(service.key);
        options.ServeurTMDb = service.server();
        tmdb = lookup.source(options);
        ASSERT_NE(tmdb, nullptr);
    }

    FilmQuery queryFor(const QString& path, double fileMinutes = -1)
    {
        FilmQuery query;
        query.name = readReleaseName(path);
        query.NomFilm = query.name.title;
        query.path = path;
        query.fileSeconds = fileMinutes > 0 ? fileMinutes * 60 : -1;
        return query;
    }

    // The film found, "" when none.
    QString filmOf(const QString& path, double fileMinutes = -1)
    {
        const LookupOutcome outcome = tmdb->lookUpFile(queryFor(path, fileMinutes));
        return outcome.code == 0 ? outcome.infos[InfoTmdbId] : QString();
    }
};

} // namespace

TEST_F(TmdbChoiceTest, TakesTheFilmOfTheTitleAndYearOrNone)
{
    const struct {
        const char* path;
        const char* film; // "" for none
    } cases[] = {
        {"Hamlet.1964.mkv", "1102"},         // on the second page
        {"Hamlet (1996) 1080p.mkv", "1104"}, // the year, not the most popular
        {"Sin City.avi", "2002"},            // exactly the title, not the more popular sequel
        {"Sin.City.2005.DVDRip.XviD-KLM.avi", "2002"},
        {"Solaris (2003).avi", "3002"}, // a year off: release and production differ
        {"Solaris.1972.mkv", "3001"}, {"Le.Grand.Bleu.-.The.Big.Blue.1988.avi", "7001"},
        {"Le Jardin Perdu (The Lost Garden) 1999.mkv", "5001"},      // the other title
        {"Films/La Bonne Chose (2004)/Une autre chose.avi", "6001"}, // the folder's title
        {"Sin City 1990.avi", ""},                                   // no film within a year of the name's
        {"Sin.avi", ""},                                             // no film of exactly the title
        {"Hamlet 2 (1964).avi", ""},                                 // the sequel is of 2008
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(filmOf(QString::fromUtf8(c.path)), QString::fromUtf8(c.film));
    }
    const LookupOutcome none = tmdb->lookUpFile(queryFor(QStringLiteral("Sin City 1990.avi")));
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(none.logLines,
        QStringList {
            QStringLiteral("Fichier non traité par le scan allocine, aucune correspondance trouvée : Sin City")});
}

TEST_F(TmdbChoiceTest, FilmsOfOneTitleAreToldApartByTheirRunningTimes)
{
    EXPECT_EQ(filmOf(QStringLiteral("Le Voyage.avi"), 129), QStringLiteral("4002"));
    EXPECT_EQ(filmOf(QStringLiteral("Le Voyage.avi"), 96), QStringLiteral("4001"));
    EXPECT_EQ(filmOf(QStringLiteral("Le Voyage.2011.avi"), 96), QStringLiteral("4002")) << "the year first";
    // The parts of one film get the same film.
    EXPECT_EQ(filmOf(QStringLiteral("Le Voyage 2011 CD1.avi"), 60), QStringLiteral("4002"));
    EXPECT_EQ(filmOf(QStringLiteral("Le Voyage 2011 CD2.avi"), 70), QStringLiteral("4002"));
    const auto details = service.count("/3/movie/");
    service.addFilm({4003, "Le Voyage", "Le Voyage", "2015-01-01", 1, 80});
    service.addFilm({4004, "Le Voyage", "Le Voyage", "2017-01-01", 1, 81});
    EXPECT_EQ(filmOf(QStringLiteral("Le Voyage.avi"), 81), QStringLiteral("4003")) << "three details at most";
    EXPECT_EQ(service.count("/3/movie/") - details, 3);
}

TEST_F(TmdbChoiceTest, IdentifiersNameTheFilmWithoutASearch)
{
    QTemporaryDir films;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(films.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    EXPECT_EQ(filmOf(QStringLiteral("Un titre sans rapport tt7000020.mkv")), QStringLiteral("8001"));
    EXPECT_EQ(filmOf(QStringLiteral("Un titre sans rapport [tmdbid-3001].mkv")), QStringLiteral("3001"));
    write(QStringLiteral("a.mkv"), {});
    write(QStringLiteral("a.nfo"),
        "<movie><title>x</title><uniqueid type=\"imdb\" default=\"true\">tt7000010</uniqueid></movie>");
    EXPECT_EQ(filmOf(films.filePath(QStringLiteral("a.mkv"))), QStringLiteral("2002"));
    QDir(films.path()).mkdir(QStringLiteral("b"));
    write(QStringLiteral("b/movie.nfo"), "Vu sur https://www.themoviedb.org/movie/4001-le-voyage\r\n");
    EXPECT_EQ(filmOf(films.filePath(QStringLiteral("b/inconnu.mkv"))), QStringLiteral("4001"));
    EXPECT_EQ(service.count("/3/search/"), 0);

    // An identifier the service does not know: the title is searched.
    EXPECT_EQ(filmOf(QStringLiteral("Solaris 1972 tt7999999.mkv")), QStringLiteral("3001"));
    EXPECT_EQ(filmOf(QStringLiteral("Solaris 1972 {tmdb-999999}.mkv")), QStringLiteral("3001"));
}

TEST_F(TmdbChoiceTest, AnNfoIsReadSafely)
{
    QTemporaryDir films, elsewhere;
    QFile outside(elsewhere.filePath(QStringLiteral("x.nfo")));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.write("<imdbid>tt7000010</imdbid>");
    outside.close();
    QFile::link(outside.fileName(), films.filePath(QStringLiteral("Solaris 1972.nfo")));
    EXPECT_FALSE(nfoIdsBeside(films.filePath(QStringLiteral("Solaris 1972.mkv"))).any()) << "a link out of the folder";
    EXPECT_EQ(filmOf(films.filePath(QStringLiteral("Solaris 1972.mkv"))), QStringLiteral("3001"));

    const auto nfo = [&](const QByteArray& bytes) {
        QFile f(films.filePath(QStringLiteral("movie.nfo")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        return nfoIdsBeside(films.filePath(QStringLiteral("autre.mkv")));
    };
    QByteArray utf16("\xFF\xFE");
    for (char c : QByteArray("<tmdbid>4002</tmdbid>"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    EXPECT_EQ(nfo(utf16).tmdbId, 4002);
    EXPECT_EQ(nfo(QByteArray(1024 * 1024 - 10, ' ') + "<imdbid>tt7000010</imdbid>").imdbId, QString());
    EXPECT_EQ(nfo("<imdbid>tt7000010</imdbid>" + QByteArray(3 * 1024 * 1024, 'x')).imdbId, QStringLiteral("tt7000010"));
    EXPECT_EQ(nfo("<movie><id>tt7000020</id><tmdbid>8001</tmdbid></movie>").tmdbId, 8001);
    EXPECT_EQ(nfo("http://www.imdb.com/title/tt7000020/").imdbId, QStringLiteral("tt7000020"));
    EXPECT_FALSE(nfo("\x01\xFE\xFF garbage tt12 <id>12</id>").any());
}

TEST_F(TmdbChoiceTest, AFileCostsAtMostThreeSearches)
{
    for (const char* path : {"Rien de rien (Nada) 1999.avi", "Films/Autre rien (2001)/Plus rien.avi", "Hamlet.1964.mkv",
             "Films/Personne (1964)/Nul (Aucun).avi"}) {
        const int before = service.count("/3/search/movie");
        filmOf(QString::fromUtf8(path));
        EXPECT_LE(service.count("/3/search/movie") - before, 3) << path;
    }
}

TEST_F(TmdbChoiceTest, TheWindowListsTitleOriginalTitleAndYear)
{
    const CandidateList list = tmdb->search(QStringLiteral("Solaris"), QStringLiteral("1972"));
    ASSERT_EQ(list.films.size(), 2);
    EXPECT_EQ(list.films[0].originalTitle, QStringLiteral("Solaris (2002)"));
    EXPECT_EQ(list.films[1].originalTitle, QStringLiteral("Solaris (Солярис, 1972)"));
    EXPECT_EQ(list.bestitem, 1);
}

TEST_F(TmdbChoiceTest, SamplesEpisodesAndShortFilesAreNotLookedUp)
{
    const int before = int(service.requests().size());
    for (const auto& [path, minutes] : {std::pair {"Films/Sample/hamlet-1964.mkv", 1.0},
             std::pair {"Hamlet.1964.sample.mkv", 1.0}, std::pair {"Hamlet.S01E02.mkv", 50.0},
             std::pair {"Hamlet 1x02.avi", 50.0}, std::pair {"Hamlet.1964.mkv", 1.9}}) {
        SCOPED_TRACE(path);
        const LookupOutcome outcome = tmdb->lookUpFile(queryFor(QString::fromUtf8(path), minutes));
        EXPECT_EQ(outcome.code, 3);
        EXPECT_TRUE(outcome.logLines.isEmpty());
        EXPECT_TRUE(outcome.infos[InfoTitre].isEmpty());
    }
    EXPECT_EQ(int(service.requests().size()), before);
    EXPECT_EQ(filmOf(QStringLiteral("Hamlet.1964.mkv"), 2.1), QStringLiteral("1102"));
}
