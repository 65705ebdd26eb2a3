// filmarch-cli looking films up on TMDb (a stand-in service on the loopback):
// whole runs into XML and AMC, checked on the written files and posters.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/CliSandbox.h"
#include "support/FakeTmdb.h"
#include "support/TestPaths.h"
#include "support/TmdbFilms.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

const QByteArray kJpeg("\xff\xd8\xff\xe0 alien \xff\xd9", 13);

class CliTmdb : public ::testing::Test, protected CliSandbox {
protected:
    static void SetUpTestSuite()
    {
        videos = new QTemporaryDir;
        // Over two minutes: a shorter file is taken for a sample and not looked up.
        GeneratedVideo film;
        film.seconds = 130;
        film.frameRate = 1;
        makeVideo(videos->filePath(QStringLiteral("Alien (1979).mp4")), film);
        QFile::copy(videos->filePath(QStringLiteral("Alien (1979).mp4")),
            videos->filePath(QStringLiteral("Film Inconnu 2011.mp4")));
    }
    static void TearDownTestSuite() { delete videos; }

    void SetUp() override
    {
        QFile::link(mediaInfoLibrary(), app.filePath(QStringLiteral("libmediainfo.so.0")));
        service.addSearch("Alien", alienResults);
        service.addMovie(348, alienDetails);
        service.picture = kJpeg.toStdString();
    }

    void writeOptions(const std::string& key)
    {
        CliSandbox::writeOptions(
            QStringLiteral("[Mkv]\nRepertoireAffiches=%1\n[Allocine]\nActive=1\nAuto=1\n[TMDb]\nCle=%2\nServeur=%3\n")
                .arg(posters(), QString::fromStdString(key), service.server())
                .toUtf8());
    }

    int cli(const QString& catalogue)
    {
        const int status = CliSandbox::cli({videos->path(), catalogue});
        // The key never shows, whatever happened.
        EXPECT_FALSE((out + err).contains(QString::fromStdString(service.key))) << (out + err).toStdString();
        return status;
    }

    QString posters() const { return target.filePath(QStringLiteral("affiches")); }
    QString poster() const { return QDir(posters()).filePath(QStringLiteral("Alien.jpg")); }

    static QTemporaryDir* videos;
    QTemporaryDir target;
    FakeTmdb service;
};
QTemporaryDir* CliTmdb::videos = nullptr;

} // namespace

TEST_F(CliTmdb, AutomaticRunFillsTheXmlEntriesAndFetchesThePoster)
{
    writeOptions(service.key);
    const QString xml = target.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(cli(xml), 0) << err.toStdString() << out.toStdString();
    const auto doc = XmlCatalogue::loadFile(xml);
    ASSERT_EQ(doc->movieCount(), 2);
    // 0: Alien, 1: the film not found.
    const auto attribute = [&](int film, const char* name) {
        for (int i = 0; i < doc->movieCount(); ++i)
            if (doc->movieAttribute(i, QStringLiteral("URL")).contains(film == 0 ? u"Alien" : u"Inconnu"))
                return doc->movieAttribute(i, QLatin1String(name));
        return QStringLiteral("<absent>");
    };
    // The 1979 film, not the first result.
    EXPECT_EQ(attribute(0, "TranslatedTitle"), QStringLiteral("Alien, le huitième passager"));
    EXPECT_EQ(attribute(0, "OriginalTitle"), QStringLiteral("Alien"));
    EXPECT_EQ(attribute(0, "Year"), QStringLiteral("1979"));
    EXPECT_EQ(attribute(0, "Director"), QStringLiteral("Ridley Scott"));
    EXPECT_EQ(attribute(0, "Country"), QStringLiteral("États-Unis, United Kingdom"));
    EXPECT_EQ(attribute(0, "Category"), QStringLiteral("Horreur, Science-Fiction"));
    EXPECT_EQ(attribute(0, "Actors"), QStringLiteral("Sigourney Weaver(Ripley), Tom Skerritt(Dallas)"));
    EXPECT_EQ(attribute(0, "Description"), QStringLiteral("Un cargo spatial reçoit un signal."));
    EXPECT_EQ(attribute(0, "Rating"), QStringLiteral("8"));
    EXPECT_EQ(attribute(0, "Picture"), poster());
    EXPECT_EQ(attribute(0, "Comments"), QStringLiteral("TMDb : 348")) << "the film named exactly";
    QFile picture(poster());
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_EQ(picture.readAll(), kJpeg);
    // Not found: the analysis data and the file name's year.
    EXPECT_EQ(attribute(1, "TranslatedTitle").trimmed(), QStringLiteral("Film Inconnu"));
    EXPECT_EQ(attribute(1, "Year"), QStringLiteral("2011"));
    EXPECT_EQ(attribute(1, "Director"), QString());
    EXPECT_TRUE(out.contains(
        QStringLiteral("Fichier non traité par le scan allocine, aucune correspondance trouvée : Film Inconnu")))
        << out.toStdString();
    EXPECT_EQ(service.count("/3/configuration/countries"), 1) << "the configuration is asked once per program run";
    EXPECT_EQ(service.count("/t/p/w500/alien.jpg"), 1);
}

TEST_F(CliTmdb, AutomaticRunFillsTheAmcEntryWithThePoster)
{
    writeOptions(service.token); // a read access token goes as a bearer header
    const QString amc = target.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(cli(amc), 0) << err.toStdString() << out.toStdString();
    TMovieList list;
    list.LoadFromFile(amc);
    ASSERT_EQ(list.Count(), 2);
    const bool alienFirst = list.GetItem(0).strURL.contains(u"Alien");
    const TMovie& alien = list.GetItem(alienFirst ? 0 : 1);
    EXPECT_EQ(alien.strTranslatedTitle, QStringLiteral("Alien, le huitième passager"));
    EXPECT_EQ(alien.strDirector, QStringLiteral("Ridley Scott"));
    EXPECT_EQ(alien.iYear, 1979);
    EXPECT_EQ(alien.iRating, 80);
    EXPECT_EQ(alien.Picture.value_or(QByteArray()), kJpeg);
    EXPECT_EQ(list.GetItem(alienFirst ? 1 : 0).iYear, 2011);
    for (const std::string& target : service.requests())
        EXPECT_EQ(target.find("api_key"), std::string::npos) << target;
}

TEST_F(CliTmdb, ARefusedKeyIsSaidOnceAndTheFilmsAreStillCatalogued)
{
    writeOptions("0000000000000000000000000000dead");
    const QString xml = target.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(cli(xml), 0) << err.toStdString() << out.toStdString();
    EXPECT_EQ(out.count(QStringLiteral("La clé TMDb est refusée par le service : vérifiez-la dans les options")), 1)
        << out.toStdString();
    EXPECT_EQ(service.requests().size(), 1u) << "nothing asked after the refusal";
    const auto doc = XmlCatalogue::loadFile(xml);
    ASSERT_EQ(doc->movieCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const bool alien = doc->movieAttribute(i, QStringLiteral("URL")).contains(u"Alien");
        EXPECT_EQ(
            doc->movieAttribute(i, QStringLiteral("Year")), alien ? QStringLiteral("1979") : QStringLiteral("2011"));
        EXPECT_EQ(doc->movieAttribute(i, QStringLiteral("Director")), QString());
    }
}
