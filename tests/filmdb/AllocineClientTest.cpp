// The REST client: keywords, addresses, repair of the answers, stored files and
// pictures, against the fake service on the loopback interface.
#include "filmdb/AllocineClient.h"
#include "platform/Error.h"
#include "support/FakeFilmDatabase.h"
#include "support/FileBytes.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace filmarch;
using filmarch::test::FakeFilm;
using filmarch::test::FakeFilmDatabase;

using filmarch::test::readFile;
using filmarch::test::writeFile;

namespace {

class AllocineClientTest : public ::testing::Test {
protected:
    QTemporaryDir app;
    FakeFilmDatabase service;
    HttpClient http;
    AllocineClient client {service.host(), AppPaths::beside(app.path()), http};
    QString stored(const char* name) const { return app.filePath(QLatin1String(name)); }
};

} // namespace

TEST(ConstruitMotCle, CapitalisesAndDropsElisionsAnywhere)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("L'Homme qu'on aimait"), QStringLiteral("HOMME+ON+AIMAIT")},
        {QStringLiteral("Avatar"), QStringLiteral("AVATAR")},
        {QStringLiteral("Amélie"), QStringLiteral("AMéLIE")},
        {QStringLiteral("L'âge de glace"), QStringLiteral("âGE+DE+GLACE")},
        {QStringLiteral("Aujourd'hui"), QStringLiteral("AUJOURHUI")},
        {QStringLiteral("Don't look up"), QStringLiteral("DOT+LOOK+UP")},
        {QStringLiteral("O'Brien"), QStringLiteral("O'BRIEN")},
        {QString(), QString()},
    };
    for (const auto& [title, keyword] : cases)
        EXPECT_EQ(ConstruitMotCle(title), keyword) << title.toStdString();
}

TEST(traiteNomFic, ReplacesWhatAFileNameCannotHoldAndKeepsTheLength)
{
    EXPECT_EQ(traiteNomFic(QStringLiteral("Face/Off: Volte-face?")), QStringLiteral("Face-Off- Volte-face-"));
    EXPECT_EQ(traiteNomFic(QStringLiteral("a\"*<>\\|é")), QStringLiteral("a------é"));
}

TEST(AllocineAddresses, KeywordBetweenApostrophesAndOnlyUnsafeCharactersEscaped)
{
    HttpClient http;
    const AllocineClient client(QStringLiteral("films.example:8080"), AppPaths::beside(QDir::tempPath()), http);
    const QString prefix = QStringLiteral("http://films.example:8080/rest/v3/");
    EXPECT_EQ(client.searchUrl(QString()), prefix + QStringLiteral("search?q=''&partner=Tq7bWx2LpR4nVe8"));
    EXPECT_EQ(client.searchUrl(QStringLiteral("HOMME+ON+AIMAIT"), 30),
        prefix + QStringLiteral("search?q='HOMME+ON+AIMAIT'&partner=Tq7bWx2LpR4nVe8&count=30"));
    EXPECT_EQ(client.searchUrl(QStringLiteral("AMéLIE")),
        prefix + QStringLiteral("search?q='AM%C3%A9LIE'&partner=Tq7bWx2LpR4nVe8"));
    // A title cannot add parameters nor cut the address.
    EXPECT_EQ(client.searchUrl(QStringLiteral("FAST+&+FURIOUS#2")),
        prefix + QStringLiteral("search?q='FAST+%26+FURIOUS%232'&partner=Tq7bWx2LpR4nVe8"));
    EXPECT_EQ(client.movieUrl(QStringLiteral("27405")),
        prefix + QStringLiteral("movie?code=27405&partner=Tq7bWx2LpR4nVe8&profile=large"));
}

TEST(AllocineRepair, AnswersDeclareWindows1252AndKeepTheirFirstRealCharacter)
{
    const QString bom = QString(QChar(0xFEFF));
    const QString declaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1252\"?>");
    struct Case {
        bool movie;
        QString answer;
        QString repaired;
    };
    const std::vector<Case> cases = {
        {false, bom + QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><feed xmlns=\"http://h/v6/ns/\"/>"),
            declaration + QStringLiteral("<feed xmlns=\"http://h/v6/ns/\"/>")},
        {false, QStringLiteral("<?XML VERSION=\"1.0\" ENCODING=\"UTF-8\"?><feed/>"),
            declaration + QStringLiteral("<feed/>")},
        {false, QStringLiteral("<feed/>"), declaration + QStringLiteral("<feed/>")},
        {true,
            bom
                + QStringLiteral(
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<movie code=\"1\" xmlns=\"http://x.example/v6/ns/\">"),
            declaration + QStringLiteral("\n<movie code=\"1\">")},
        {true, QStringLiteral("<movie xmlns=\"http://x.example/v5/ns/\">"),
            declaration + QStringLiteral("<movie xmlns=\"http://x.example/v5/ns/\">")},
        {true, QStringLiteral("<synopsis>Un<br>deux<BR/>trois<br />quatre</br>.</synopsis>"),
            declaration + QStringLiteral("<synopsis>Un&#13;&#10;deux&#13;&#10;trois&#13;&#10;quatre.</synopsis>")},
        {true, QStringLiteral("<synopsis><brand>x</brand></synopsis>"),
            declaration + QStringLiteral("<synopsis><brand>x</brand></synopsis>")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.movie ? repairMovieAnswer(c.answer) : repairSearchAnswer(c.answer), c.repaired)
            << c.answer.toStdString();
}

TEST_F(AllocineClientTest, SearchStoresTheRepairedAnswerInWindows1252)
{
    FakeFilm film;
    film.code = 5;
    film.originalTitle = "Le Fabuleux Destin d'Amélie Poulain – 東京";
    film.productionYear = 2001;
    service.addSearch("AMéLIE", {{film}, {}, -1});

    const QByteArray bytes = client.RequeteRecherche(ConstruitMotCle(QStringLiteral("Amélie")));
    EXPECT_EQ(readFile(stored("ListeRecherche.xml")), bytes);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<feed"));
    EXPECT_TRUE(bytes.endsWith("</feed>\n\r\n"));
    EXPECT_TRUE(bytes.contains("d'Am\xE9lie Poulain \x96 ?"
                               "?</originalTitle>"))
        << bytes.toStdString();
    EXPECT_FALSE(client.RetourBrutXml.startsWith(QChar(0xFEFF)));

    client.RequeteRecherche(QStringLiteral("AMéLIE"), 30);
    const std::vector<std::string> targets = {
        "/rest/v3/search?q='AM%C3%A9LIE'&partner=Tq7bWx2LpR4nVe8",
        "/rest/v3/search?q='AM%C3%A9LIE'&partner=Tq7bWx2LpR4nVe8&count=30",
    };
    EXPECT_EQ(service.requests(), targets);
    EXPECT_TRUE(service.refusals().empty()) << "headers, cookie and key accepted";
}

TEST_F(AllocineClientTest, MovieAnswerStoredWithoutNamespaceAndWithLineBreaks)
{
    FakeFilm film;
    film.code = 27405;
    film.title = "Titre";
    film.synopsis = "Un jour.<br/>Le lendemain.";
    service.addSearch("TITRE", {{film}, {}, -1});

    const QByteArray bytes = client.RequeteFilm(QStringLiteral("27405"));
    EXPECT_EQ(readFile(stored("InfosFilm.xml")), bytes);
    EXPECT_TRUE(bytes.contains("<movie code=\"27405\"><movieType")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("<synopsis>Un jour.&#13;&#10;Le lendemain.</synopsis>")) << bytes.toStdString();
}

TEST_F(AllocineClientTest, FailedRequestKeepsTheLastAnswerAndRaises)
{
    client.RequeteRecherche(QStringLiteral("RIEN"));
    const QString last = client.RetourBrutXml;
    const QByteArray file = readFile(stored("ListeRecherche.xml"));
    EXPECT_THROW(client.RequeteFilm(QStringLiteral("999")), Error); // 404
    EXPECT_EQ(client.RetourBrutXml, last);

    AllocineClient unreachable(QStringLiteral("127.0.0.1:1"), AppPaths::beside(app.path()), http);
    EXPECT_THROW(unreachable.RequeteRecherche(QStringLiteral("RIEN")), Error);
    EXPECT_EQ(readFile(stored("ListeRecherche.xml")), file);

    // A stored file that cannot be written fails the request.
    QDir().mkpath(stored("bloque/ListeRecherche.xml")); // a folder where the answer would go
    AllocineClient blocked(service.host(), AppPaths::beside(stored("bloque")), http);
    EXPECT_THROW(blocked.RequeteRecherche(QStringLiteral("RIEN")), Error);
}

TEST_F(AllocineClientTest, ThumbnailsUseTheSmallCopyAndPlaceholder)
{
    const QString placeholder = stored("Vide.jpeg");
    EXPECT_THROW(client.ChargeVignette(QString(), QStringLiteral("x")), Error) << "no Vide.jpeg yet";
    ASSERT_TRUE(QFile::copy(filmarch::test::binDir() + QStringLiteral("/Vide.jpeg"), placeholder))
        << "the build ships Vide.jpeg beside the programs";
    EXPECT_EQ(client.ChargeVignette(QString(), QStringLiteral("x")), placeholder);

    client.prepareImageFolder();
    service.picture = "\xFF\xD8\xFF\xE0 vignette";
    const QString path =
        client.ChargeVignette(service.posterUrl("affiche.jpg"), QStringLiteral("Face/Off: Volte-face?"));
    EXPECT_EQ(path, app.filePath(QStringLiteral("images/Face-Off- Volte-face-.jpeg")));
    EXPECT_EQ(readFile(path), QByteArray::fromStdString(service.picture));
    EXPECT_EQ(service.requests().back(), "/r_75_106/medias/nmedia/18/affiche.jpg");

    // An address without "medias" is fetched as it is; a failure leaves the old picture whole.
    const QString other = service.posterUrl("x.jpg").replace(QStringLiteral("/medias/"), QStringLiteral("/autres/"));
    EXPECT_THROW(client.ChargeVignette(other, QStringLiteral("Face/Off: Volte-face?")), Error);
    EXPECT_EQ(service.requests().back(), "/autres/nmedia/18/x.jpg");
    EXPECT_EQ(readFile(path), QByteArray::fromStdString(service.picture));

    EXPECT_TRUE(DelDir(client.CheminImage));
    EXPECT_FALSE(QFileInfo::exists(client.CheminImage));
}

TEST_F(AllocineClientTest, PictureLargerThanEightMebibytesIsRefused)
{
    const QString target = app.filePath(QStringLiteral("affiche.jpg"));
    writeFile(target, "ancienne");
    service.picture = "\xFF\xD8" + std::string(8 * 1024 * 1024 - 1, 'x');
    try {
        client.downloadPicture(service.posterUrl("grande.jpg"), target);
        ADD_FAILURE() << "no failure";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Réponse trop volumineuse")))
            << error.message().toStdString();
    }
    EXPECT_EQ(readFile(target), QByteArray("ancienne"));
    service.picture.resize(8 * 1024 * 1024);
    client.downloadPicture(service.posterUrl("grande.jpg"), target);
    EXPECT_EQ(readFile(target).size(), 8 * 1024 * 1024);
}

TEST(AllocineClientFolders, AnswersAndThumbnailsAreStoredApartFromTheShippedPlaceholder)
{
    QTemporaryDir program, state;
    FakeFilmDatabase service;
    ASSERT_TRUE(QFile::copy(
        filmarch::test::binDir() + QStringLiteral("/Vide.jpeg"), program.filePath(QStringLiteral("Vide.jpeg"))));
    HttpClient http;
    AllocineClient client(service.host(),
        AppPaths({.program = program.path(),
            .shared = program.path(),
            .settings = program.path(),
            .state = program.path(),
            .cache = state.path(),
            .posters = program.path()}),
        http);

    client.RequeteRecherche(QStringLiteral("RIEN"));
    EXPECT_TRUE(QFile::exists(state.filePath(QStringLiteral("ListeRecherche.xml"))));
    EXPECT_FALSE(QFile::exists(program.filePath(QStringLiteral("ListeRecherche.xml"))));
    EXPECT_EQ(client.CheminImage, state.filePath(QStringLiteral("images")));
    EXPECT_EQ(client.ChargeVignette(QString(), QStringLiteral("x")), program.filePath(QStringLiteral("Vide.jpeg")));
}
