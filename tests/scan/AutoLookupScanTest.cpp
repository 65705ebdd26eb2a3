// The automatic film-database lookup inside a scan run: the server setting,
// the log lines of a failed lookup, and the entry written whatever happened.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/FakeFilmDatabase.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

const QString kNoServer = QStringLiteral("Aucun serveur Allocine n'est renseigné dans options.ini (section Allocine, "
                                         "clé Serveur) : les films sont catalogués sans recherche.");
const QString kConnection =
    QStringLiteral("Fichier non traité par le scan allocine, une erreur de connection est survenu : Alien");
const QString kNoMatch = QStringLiteral("Fichier non traité par le scan allocine, aucune correspondance trouvée : ");

class AutoLookupScan : public ::testing::Test {
protected:
    // Two films; Alien lasts 41 minutes, so that its running time can be checked.
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        GeneratedVideo longFilm;
        longFilm.seconds = 41 * 60;
        longFilm.frameRate = 1;
        makeVideo(folder->filePath(QStringLiteral("Alien (1979).mp4")), longFilm);
        makeVideo(folder->filePath(QStringLiteral("Brazil.mp4")));
    }
    static void TearDownTestSuite() { delete folder; }

    static ScanOptions automatic(const QString& server)
    {
        ScanOptions o;
        o.CbAlloAuto = true;
        o.Serveur = server;
        return o;
    }

    // Scans the folder into a new XML catalogue; returns the log without times.
    QStringList scan(ScanOptions o)
    {
        o.EdRepAffiche = out.filePath(QStringLiteral("affiches"));
        ScanHarness h(o);
        EXPECT_EQ(h.scanNew(folder->path(), catalogue()), ScanOutcome::Finished);
        return h.messages();
    }

    QString catalogue() const { return out.filePath(QStringLiteral("films.xml")); }

    // The attribute of the entry whose file name is `file`.
    QString attribute(const QString& file, const char* name) const
    {
        const auto doc = XmlCatalogue::loadFile(catalogue());
        for (int i = 0; i < doc->movieCount(); ++i)
            if (doc->movieAttribute(i, QStringLiteral("URL")).endsWith(file))
                return doc->movieAttribute(i, QLatin1String(name));
        ADD_FAILURE() << "no entry for " << file.toStdString();
        return {};
    }

    static QTemporaryDir* folder;
    QTemporaryDir out;
    FakeFilmDatabase service;
};
QTemporaryDir* AutoLookupScan::folder = nullptr;

} // namespace

TEST_F(AutoLookupScan, WithoutServerEveryFileIsCataloguedAndTheRunSaysSoOnce)
{
    for (const bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "Manuel" : "Automatique");
        QFile::remove(catalogue());
        ScanOptions o = automatic(QString());
        o.CbAlloAuto = !manual;
        o.CbAlloManu = manual;
        const QStringList log = scan(o);
        EXPECT_EQ(log.count(kNoServer), 1);
        EXPECT_EQ(XmlCatalogue::loadFile(catalogue())->movieCount(), 2);
    }
}

// A failed lookup is logged before its entry, which holds what the analysis found.
TEST_F(AutoLookupScan, FailedLookupsAreLoggedAndTheFilesStillCatalogued)
{
    FakeSearch person;
    person.films = FakeFilmDatabase::numberedFilms(1);
    person.results = {{"movie", "1"}, {"person", "4"}};
    service.addSearch("ALIEN", person);
    const struct {
        const char* name;
        QString server;
        QString line;
    } cases[] = {
        {"server unreachable", QStringLiteral("127.0.0.1:1"), kConnection},
        {"second count not of films", service.host(), kNoMatch + QStringLiteral("Alien")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(catalogue());
        const QStringList log = scan(automatic(c.server));
        EXPECT_EQ(log.count(c.line), 1) << log.join(u'\n').toStdString();
        EXPECT_LT(log.indexOf(c.line), log.indexOf(QRegularExpression(QStringLiteral("Création d'un nouveau .*"))));
        EXPECT_EQ(XmlCatalogue::loadFile(catalogue())->movieCount(), 2);
        EXPECT_EQ(attribute(QStringLiteral("Alien (1979).mp4"), "TranslatedTitle"), QStringLiteral("Alien"));
        EXPECT_EQ(attribute(QStringLiteral("Alien (1979).mp4"), "Director"), QString());
    }
}

// The year in the file name picks the film, whose data go into its entry only;
// a film much longer than the file is pointed out.
TEST_F(AutoLookupScan, FoundFilmFillsItsEntryOnly)
{
    FakeSearch alien;
    alien.films = FakeFilmDatabase::numberedFilms(3, 1000, 1978);
    alien.films[1].cast = {{"Ridley Scott", 8002, ""}, {"Sigourney Weaver", 8001, "Ripley"}};
    alien.films[1].nationalities = {"U.S.A.", "Grande-Bretagne"};
    service.addSearch("ALIEN", alien);

    const QStringList log = scan(automatic(service.host()));
    EXPECT_EQ(
        log.count(QStringLiteral("Fiche à vérifier, durée du fichier 41 min, durée de la fiche 90 min : Alien")), 1)
        << log.join(u'\n').toStdString();
    EXPECT_EQ(log.count(kNoMatch + QStringLiteral("Brazil")), 1);

    const QString alienFile = QStringLiteral("Alien (1979).mp4");
    EXPECT_EQ(attribute(alienFile, "TranslatedTitle"), QStringLiteral("Film 1"));
    EXPECT_EQ(attribute(alienFile, "OriginalTitle"), QStringLiteral("Original 1"));
    EXPECT_EQ(attribute(alienFile, "Year"), QStringLiteral("1979"));
    EXPECT_EQ(attribute(alienFile, "Director"), QStringLiteral("Ridley Scott"));
    EXPECT_EQ(attribute(alienFile, "Actors"), QStringLiteral("Sigourney Weaver(Ripley)"));
    EXPECT_EQ(attribute(alienFile, "Country"), QStringLiteral("U.S.A., Grande-Bretagne"));
    EXPECT_EQ(attribute(QStringLiteral("Brazil.mp4"), "TranslatedTitle"), QStringLiteral("Brazil"));
    EXPECT_EQ(attribute(QStringLiteral("Brazil.mp4"), "Director"), QString());
}

// A film whose answer holds no usable year ("inconnue" for a date) is written
// in both formats with all the rest, and no year.
TEST_F(AutoLookupScan, AFilmWithoutAUsableYearIsCataloguedWithTheRest)
{
    FakeSearch brazil;
    brazil.films = FakeFilmDatabase::numberedFilms(1);
    brazil.films[0].productionYear = 0;
    brazil.films[0].releaseDate = "inconnue";
    brazil.films[0].cast = {{"Terry Gilliam", 8002, ""}};
    service.addSearch("BRAZIL", brazil);
    scan(automatic(service.host()));
    EXPECT_EQ(attribute(QStringLiteral("Brazil.mp4"), "TranslatedTitle"), QStringLiteral("Film 0"));
    EXPECT_EQ(attribute(QStringLiteral("Brazil.mp4"), "Director"), QStringLiteral("Terry Gilliam"));
    EXPECT_EQ(attribute(QStringLiteral("Brazil.mp4"), "Year"), QString());

    FakeFilmDatabase other; // a service of its own for a second program's client
    other.addSearch("BRAZIL", brazil);
    ScanHarness h(automatic(other.host()));
    const QString amc = out.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(h.scanNew(folder->path(), amc), ScanOutcome::Finished);
    EXPECT_TRUE(h.messages().filter(QStringLiteral("Brazil")).isEmpty()) << h.messages().join(u'\n').toStdString();
    TMovieList list;
    list.LoadFromFile(amc);
    ASSERT_EQ(list.Count(), 2);
    const TMovie& entry = list.GetItem(list.GetItem(0).strURL.endsWith(QStringLiteral("Brazil.mp4")) ? 0 : 1);
    EXPECT_TRUE(entry.strURL.endsWith(QStringLiteral("Brazil.mp4")));
    EXPECT_EQ(entry.strTranslatedTitle, QStringLiteral("Film 0"));
    EXPECT_EQ(entry.strDirector, QStringLiteral("Terry Gilliam"));
    EXPECT_EQ(entry.iYear, 0);
}

TEST_F(AutoLookupScan, ASilentServiceIsGivenUpAfterThreeFilmsInARow)
{
    QTemporaryDir films;
    for (const char* name : {"Alien.mp4", "Brazil.mp4", "Casino.mp4", "Dune.mp4", "Eraserhead.mp4"})
        ASSERT_TRUE(QFile::copy(folder->filePath(QStringLiteral("Brazil.mp4")), films.filePath(QLatin1String(name))));
    ScanOptions o = automatic(QStringLiteral("127.0.0.1:1")); // nothing listens there
    o.EdRepAffiche = out.filePath(QStringLiteral("affiches"));
    ScanHarness h(o);
    ASSERT_EQ(h.scanNew(films.path(), catalogue()), ScanOutcome::Finished);
    const QStringList log = h.messages();
    const QString giveUp =
        QStringLiteral("Recherche abandonnée pour la suite du scan : le service ne répond pas (127.0.0.1:1)");
    // Files analysed at once may have their request in flight when the third
    // failure comes: they say their own failure, and nothing more is asked.
    const auto failures = [](const QStringList& lines) {
        return int(lines.filter(QStringLiteral("une erreur de connection est survenu")).size());
    };
    const int inFlight = taches() - 1;
    EXPECT_GE(failures(log), 3) << log.join(u'\n').toStdString();
    EXPECT_LE(failures(log), 3 + inFlight) << log.join(u'\n').toStdString();
    EXPECT_EQ(log.count(giveUp), 1) << log.join(u'\n').toStdString();
    int third = -1;
    for (int i = 0, seen = 0; i < log.size() && third < 0; ++i)
        if (log[i].contains(QStringLiteral("une erreur de connection est survenu")) && ++seen == 3)
            third = i;
    // With requests in flight together, the three failures in a row are those
    // of time, which walk order need not follow.
    if (inFlight == 0) {
        EXPECT_EQ(log.indexOf(giveUp), third + 1) << "said right after the third failure";
    }
    EXPECT_EQ(XmlCatalogue::loadFile(catalogue())->movieCount(), 5) << "every film catalogued";

    // The next run asks again.
    QFile::remove(catalogue());
    ASSERT_EQ(h.scanNew(films.path(), catalogue()), ScanOutcome::Finished);
    EXPECT_GE(failures(h.messages()) - failures(log), 3);
    EXPECT_LE(failures(h.messages()) - failures(log), 3 + inFlight);
}

TEST_F(AutoLookupScan, OneClientWithItsCookieServesEveryRunOfTheProgram)
{
    FakeSearch alien;
    alien.films = FakeFilmDatabase::numberedFilms(2, 1000, 1978);
    service.addSearch("ALIEN", alien);
    ScanOptions o = automatic(service.host());
    o.EdRepAffiche = out.filePath(QStringLiteral("affiches"));
    ScanHarness h(o);
    for (const char* name : {"un.xml", "deux.xml"})
        ASSERT_EQ(h.scanNew(folder->path(), out.filePath(QLatin1String(name))), ScanOutcome::Finished);
    // The service's cookie, set by the first answer of the first run, came back with every later request.
    EXPECT_GT(service.requests().size(), 4u);
    EXPECT_TRUE(service.refusals().empty()) << service.refusals().front();
}
