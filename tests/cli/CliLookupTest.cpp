// filmarch-cli with the film-database lookup of options.ini, against the fake
// service on the loopback: the entries and the posters it leaves.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/CliSandbox.h"
#include "support/FakeFilmDatabase.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

const QByteArray kJpeg("\xff\xd8\xff\xe0 affiche \xff\xd9", 15);

class CliLookup : public ::testing::Test, protected CliSandbox {
protected:
    static void SetUpTestSuite()
    {
        videos = new QTemporaryDir;
        makeVideo(videos->filePath(QStringLiteral("Premier Film (2004).mp4")));
    }
    static void TearDownTestSuite() { delete videos; }

    void SetUp() override
    {
        FakeSearch search;
        search.films = FakeFilmDatabase::numberedFilms(3, 500, 2003);
        FakeFilm& film = search.films[1];
        film.title = "Le Premier Film";
        film.cast = {{"Anne Réa", 8002, ""}, {"Jean Acteur", 8001, "Paul"}};
        film.genres = {"Drame"};
        film.synopsis = "Une ligne.<br/>Une autre.";
        film.userRating = "3.5";
        film.posterHref = service.posterUrl("premier.jpg").toStdString();
        service.picture = kJpeg.toStdString();
        service.addSearch("PREMIER+FILM", search);
    }

    void writeOptions(const QString& allocine)
    {
        CliSandbox::writeOptions(
            QStringLiteral("[Mkv]\nRepertoireAffiches=%1\n[Allocine]\n%2").arg(posters(), allocine).toUtf8());
    }

    int cli(const QString& catalogue) { return CliSandbox::cli({videos->path(), catalogue}); }

    QString posters() const { return target.filePath(QStringLiteral("affiches")); }

    static QTemporaryDir* videos;
    QTemporaryDir target;
    FakeFilmDatabase service;
};
QTemporaryDir* CliLookup::videos = nullptr;

} // namespace

TEST_F(CliLookup, AutomaticLookupFillsTheXmlEntryAndFetchesThePoster)
{
    writeOptions(QStringLiteral("Active=1\nAuto=1\nServeur=%1\n").arg(service.host()));
    const QString xml = target.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(cli(xml), 0) << err.toStdString() << out.toStdString();
    const auto doc = XmlCatalogue::loadFile(xml);
    ASSERT_EQ(doc->movieCount(), 1);
    const auto attribute = [&](const char* name) { return doc->movieAttribute(0, QLatin1String(name)); };
    EXPECT_EQ(attribute("TranslatedTitle"), QStringLiteral("Le Premier Film"));
    EXPECT_EQ(attribute("Year"), QStringLiteral("2004"));
    EXPECT_EQ(attribute("Director"), QStringLiteral("Anne Réa"));
    EXPECT_EQ(attribute("Actors"), QStringLiteral("Jean Acteur(Paul)"));
    EXPECT_EQ(attribute("Category"), QStringLiteral("Drame"));
    EXPECT_EQ(attribute("Description"), QStringLiteral("Une ligne.\r\nUne autre."));
    EXPECT_EQ(attribute("Rating"), QStringLiteral("8"));
    // The poster is named after the file's own title.
    const QString poster = QDir(posters()).filePath(QStringLiteral("Premier Film.jpg"));
    EXPECT_EQ(attribute("Picture"), poster);
    QFile picture(poster);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_EQ(picture.readAll(), kJpeg);
    // The answers of the last lookup stay beside the program.
    EXPECT_TRUE(QFile::exists(app.filePath(QStringLiteral("InfosFilm.xml"))));
}

// The AMC entry holds the picture itself; the downloaded file goes.
TEST_F(CliLookup, AutomaticLookupFillsTheAmcEntryAndStoresThePoster)
{
    writeOptions(QStringLiteral("Active=1\nAuto=1\nServeur=%1\n").arg(service.host()));
    const QString amc = target.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(cli(amc), 0) << err.toStdString() << out.toStdString();
    TMovieList list;
    list.LoadFromFile(amc);
    ASSERT_EQ(list.Count(), 1);
    const TMovie& movie = list.GetItem(0);
    EXPECT_EQ(movie.strTranslatedTitle, QStringLiteral("Le Premier Film"));
    EXPECT_EQ(movie.strDirector, QStringLiteral("Anne Réa"));
    EXPECT_EQ(movie.iYear, 2004);
    EXPECT_EQ(movie.strPicture, QStringLiteral(".jpg"));
    EXPECT_EQ(movie.Picture.value_or(QByteArray()), kJpeg);
    EXPECT_FALSE(QFile::exists(QDir(posters()).filePath(QStringLiteral("Premier Film.jpg"))));
}

TEST_F(CliLookup, ManualModeOrNoServerCataloguesWithoutLookup)
{
    const struct {
        const char* name;
        QString allocine;
        QString said;
    } cases[] = {
        {"manual mode", QStringLiteral("Active=1\nManu=1\nServeur=%1\n").arg(service.host()),
            QStringLiteral("le mode \"Manuel\" de la recherche Allocine demande la fenêtre du programme")},
        {"no server", QStringLiteral("Active=1\nAuto=1\n"),
            QStringLiteral("Aucun serveur Allocine n'est renseigné dans options.ini")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeOptions(c.allocine);
        const QString xml = target.filePath(QStringLiteral("films.xml"));
        QFile::remove(xml);
        ASSERT_EQ(cli(xml), 0) << err.toStdString();
        EXPECT_EQ((out + err).count(c.said), 1) << out.toStdString() << err.toStdString();
        const auto doc = XmlCatalogue::loadFile(xml);
        ASSERT_EQ(doc->movieCount(), 1);
        EXPECT_EQ(doc->movieAttribute(0, QStringLiteral("TranslatedTitle")), QStringLiteral("Premier Film"));
    }
    EXPECT_TRUE(service.requests().empty());
}
