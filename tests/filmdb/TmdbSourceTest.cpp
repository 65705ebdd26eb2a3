// TMDb as a lookup source, against a stand-in service on the loopback interface.
#include "filmdb/TmdbSource.h"
#include "core/Options.h"
#include "filmdb/FilmLookup.h"
#include "platform/HttpClient.h"
#include "support/FakeTmdb.h"
#include "support/TmdbFilms.h"

#include <QTemporaryDir>

#include <thread>

#include <gtest/gtest.h>

using namespace filmarch;
using filmarch::test::FakeTmdb;

namespace {

class TmdbSourceTest : public ::testing::Test {
protected:
    QTemporaryDir app;
    FakeTmdb service;
    HttpClient http;
    FilmLookup lookup {http, AppPaths::beside(app.path())};
    std::vector<int> waits;

    void SetUp() override
    {
        service.addSearch("Alien", test::alienResults);
        service.addMovie(348, test::alienDetails);
        service.addMovie(9001, test::remakeDetails);
        lookup.wait = [this](int seconds) { waits.push_back(seconds); };
    }

    LookupSource& tmdb(const std::string& credential)
    {
        ScanOptions options;
        options.CleTMDb = QString::fromStdString(credential);
        options.ServeurTMDb = service.server();
        LookupSource* source = lookup.source(options);
        EXPECT_NE(source, nullptr);
        return *source;
    }

    // No request, answer or line shows the key.
    void expectKeyKeptSecret(const LookupOutcome& outcome)
    {
        for (const QString& line : outcome.logLines + lookup.takeNotices())
            EXPECT_FALSE(line.contains(QString::fromStdString(service.key))) << line.toStdString();
    }
};

} // namespace

TEST_F(TmdbSourceTest, TakesTheFilmOfTheYearAndLearnsTheConfigurationOnce)
{
    for (const std::string& credential : {service.key, service.token}) {
        LookupSource& source = tmdb(credential);
        const LookupOutcome outcome = source.lookUp(QStringLiteral("Alien"), QStringLiteral("1979"));
        EXPECT_EQ(outcome.code, 0);
        EXPECT_EQ(outcome.infos[InfoRealisateur], QStringLiteral("Ridley Scott"));
        EXPECT_EQ(outcome.infos[InfoPays], QStringLiteral("États-Unis, United Kingdom"));
        EXPECT_EQ(
            outcome.infos[InfoAffiche], QString::fromStdString(service.imageBase()) + QStringLiteral("w500/alien.jpg"));
        EXPECT_EQ(outcome.runtimeSeconds, 117 * 60);
        EXPECT_TRUE(outcome.logLines.isEmpty());
        expectKeyKeptSecret(outcome);

        const LookupOutcome exact = source.lookUp(QStringLiteral("Alien"), QString());
        EXPECT_EQ(exact.code, 0);
        EXPECT_EQ(exact.infos[InfoTmdbId], QStringLiteral("348")) << "no year: the film of exactly the title";
        const LookupOutcome again = source.lookUp(QStringLiteral("Alien Again"), QString());
        EXPECT_EQ(again.code, 0);
        EXPECT_TRUE(again.infos[InfoAnneeSortie] == QStringLiteral("2024") && again.infos[InfoDuree].isEmpty());
    }
    // One source per credential, each learning the configuration once.
    EXPECT_EQ(service.count("/3/configuration/countries"), 2);
    EXPECT_EQ(service.count("/3/search/movie"), 6);
    for (const std::string& target : service.requests()) {
        if (target.rfind("/3/search/movie", 0) == 0) {
            EXPECT_NE(target.find("language=fr-FR"), std::string::npos) << target;
        }
    }

    const LookupOutcome none = tmdb(service.key).lookUp(QStringLiteral("Film inconnu"), QString());
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(none.logLines,
        QStringList {
            QStringLiteral("Fichier non traité par le scan allocine, aucune correspondance trouvée : Film inconnu")});
}

TEST_F(TmdbSourceTest, TooManyRequestsWaitsAsAskedThenGivesUpTheFilm)
{
    LookupSource& source = tmdb(service.key);
    service.tooManyRequests = 2;
    EXPECT_EQ(source.lookUp(QStringLiteral("Alien"), QStringLiteral("1979")).code, 0);
    EXPECT_EQ(waits, (std::vector<int> {2, 2}));

    waits.clear();
    service.retryAfterSeconds = 3600;
    service.tooManyRequests = 4;
    const LookupOutcome outcome = source.lookUp(QStringLiteral("Alien"), QStringLiteral("1979"));
    EXPECT_EQ(outcome.code, 1);
    ASSERT_EQ(outcome.logLines.size(), 1);
    EXPECT_TRUE(outcome.logLines[0].startsWith(QStringLiteral("Fichier non traité par le scan allocine (")));
    EXPECT_TRUE(outcome.logLines[0].contains(QStringLiteral("le service a répondu 429")))
        << qPrintable(outcome.logLines[0]);
    EXPECT_EQ(waits, (std::vector<int> {10, 10, 10})) << "at most three waits of at most 10 s";
    EXPECT_FALSE(lookup.stopped()) << "one film refused";

    // Still refused after its waits, three films in a row: the run gives up, said once.
    service.tooManyRequests = 8;
    EXPECT_EQ(source.lookUp(QStringLiteral("Alien"), QStringLiteral("1979")).code, 1);
    EXPECT_EQ(source.lookUp(QStringLiteral("Alien"), QStringLiteral("1979")).code, 1);
    EXPECT_TRUE(lookup.stopped());
    const QStringList notices = lookup.takeNotices();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].startsWith(
        QStringLiteral("Recherche abandonnée pour la suite du scan : le service refuse les requêtes")))
        << qPrintable(notices[0]);
    const size_t asked = service.requests().size();
    const LookupOutcome after = source.lookUp(QStringLiteral("Alien"), QStringLiteral("1979"));
    EXPECT_TRUE(after.code == 1 && after.logLines.isEmpty());
    EXPECT_EQ(service.requests().size(), asked);
}

// Stop or Ctrl-C during a wait the service asked for ends it at once, and the
// film is given up without a line of its own.
TEST_F(TmdbSourceTest, AStoppedRunEndsTheWaitAtOnce)
{
    FilmLookup real(http, AppPaths::beside(app.path())); // waits as the program does
    ScanOptions options;
    options.CleTMDb = QString::fromStdString(service.key);
    options.ServeurTMDb = service.server();
    LookupSource* source = real.source(options);
    ASSERT_NE(source, nullptr);
    service.retryAfterSeconds = 3600;
    service.tooManyRequests = 1;
    std::thread stopper([&] {
        while (service.requests().empty())
            std::this_thread::yield();
        real.interrupt();
    });
    const LookupOutcome outcome = source->lookUp(QStringLiteral("Alien"), QStringLiteral("1979"));
    stopper.join();
    EXPECT_EQ(outcome.code, 1);
    EXPECT_TRUE(outcome.logLines.isEmpty());
    EXPECT_EQ(service.requests().size(), 1u) << "nothing asked after the stop";
}

// An answer that is not the film asked for, or says nothing, is set aside; a
// text longer than an entry can hold is cut; the log says each, with the
// service's own words where it failed.
TEST_F(TmdbSourceTest, AnswersAreCheckedAndWhatIsSetAsideIsSaid)
{
    service.addSearch("Autre", R"([{"id":77,"title":"Autre"}])");
    service.addMovie(77, test::remakeDetails);
    service.addSearch("Nul", R"([{"id":78,"title":"Nul"}])");
    service.addMovie(78, "null");
    service.addSearch("Absent", R"([{"id":79,"title":"Absent"}])");
    service.addMovie(79, ""); // found by the search, gone from the details
    service.addSearch("Long", R"([{"id":80,"title":"Long"}])");
    service.addMovie(80, R"({"id":80,"title":")" + std::string(300000, 't') + R"(","overview":"court"})");
    LookupSource& source = tmdb(service.key);
    const struct {
        const char* title;
        const char* said;
    } setAside[] = {
        {"Autre", "la réponse n'est pas la fiche du film demandé (77)"},
        {"Nul", "Réponse illisible de TMDb"},
        {"Absent", "le service a répondu 404"},
    };
    for (const auto& c : setAside) {
        SCOPED_TRACE(c.title);
        const LookupOutcome outcome = source.lookUp(QString::fromUtf8(c.title), QString());
        EXPECT_NE(outcome.code, 0);
        ASSERT_EQ(outcome.logLines.size(), 1);
        EXPECT_TRUE(outcome.logLines[0].contains(QString::fromUtf8(c.said))) << qPrintable(outcome.logLines[0]);
        EXPECT_TRUE(outcome.infos[InfoTitre].isEmpty());
    }
    InfosFilmAllo infos;
    QStringList log;
    EXPECT_THROW(source.details(QStringLiteral("77"), infos, log), Error);

    const LookupOutcome cut = source.lookUp(QStringLiteral("Long"), QString());
    EXPECT_EQ(cut.code, 0);
    EXPECT_EQ(cut.infos[InfoTitre].size(), 65536);
    EXPECT_EQ(cut.infos[InfoSynopsis], QStringLiteral("court"));
    ASSERT_EQ(cut.logLines.size(), 1);
    EXPECT_TRUE(cut.logLines[0].contains(QStringLiteral("champ titre coupé à 65536 caractères")))
        << qPrintable(cut.logLines[0]);
    source.details(QStringLiteral("80"), infos, log);
    EXPECT_EQ(log.size(), 1);
}

TEST_F(TmdbSourceTest, ARefusedKeyIsSaidOnceAndTheRunStopsAsking)
{
    LookupSource& source = tmdb("ffffffffffffffffffffffffffffffff");
    const LookupOutcome outcome = source.lookUp(QStringLiteral("Alien"), QStringLiteral("1979"));
    EXPECT_EQ(outcome.code, 1);
    EXPECT_TRUE(outcome.logLines.isEmpty());
    EXPECT_EQ(lookup.takeNotices(),
        QStringList {QStringLiteral("La clé TMDb est refusée par le service : vérifiez-la dans les options")});
    const size_t asked = service.requests().size();
    EXPECT_EQ(source.lookUp(QStringLiteral("Alien"), QString()).code, 1);
    EXPECT_EQ(source.search(QStringLiteral("Alien"), QString()).code, 1);
    EXPECT_EQ(service.requests().size(), asked) << "no request after the refusal";
    EXPECT_TRUE(lookup.takeNotices().isEmpty());

    lookup.startRun();
    EXPECT_EQ(tmdb(service.key).lookUp(QStringLiteral("Alien"), QStringLiteral("1979")).code, 0);
}

TEST_F(TmdbSourceTest, TheWindowsStepsListThumbnailAndDetails)
{
    LookupSource& source = tmdb(service.key);
    service.picture = "\xFF\xD8\xFF\xE0JPEG";
    const CandidateList list = source.search(QStringLiteral("Alien"), QStringLiteral("1979"));
    ASSERT_EQ(list.code, 0);
    ASSERT_EQ(list.films.size(), 2);
    EXPECT_EQ(list.bestitem, 1);
    EXPECT_EQ(list.films[1].code, QStringLiteral("348"));
    EXPECT_EQ(list.films[1].originalTitle, QStringLiteral("Alien, le huitième passager (Alien, 1979)"));
    EXPECT_EQ(list.films[1].posterUrl, QString::fromStdString(service.imageBase()) + QStringLiteral("w92/alien.jpg"));
    EXPECT_TRUE(list.films[0].posterUrl.isEmpty());

    const QString picture = source.thumbnail(list.films[1]);
    EXPECT_TRUE(picture.startsWith(source.imageFolder()));
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xFF\xD8\xFF\xE0JPEG"));
    file.close();

    // A page served in place of a picture is no picture: the one there stays.
    service.picture = "<html><body>Pas d'image</body></html>";
    EXPECT_THROW(source.thumbnail(list.films[1]), Error);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xFF\xD8\xFF\xE0JPEG"));

    InfosFilmAllo infos;
    QStringList log;
    source.details(QStringLiteral("348"), infos, log);
    EXPECT_EQ(infos[InfoActeurs], QStringLiteral("Sigourney Weaver(Ripley), Tom Skerritt(Dallas)"));
    try {
        source.details(QStringLiteral("77"), infos, log);
        ADD_FAILURE() << "an unknown film";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(),
            QStringLiteral("Échec de la requête vers %1 : le service a répondu 404 (page introuvable)")
                .arg(hostOf(service.server())));
    }
}
