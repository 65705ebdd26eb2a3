// Posters found by a lookup are downloaded into the poster folder.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/LoopbackServer.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

const QByteArray kJpeg("\xff\xd8\xff\xe0 affiche \xff\xd9", 15);

class Posters : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        makeVideo(folder->filePath(QStringLiteral("Alien (1979).mp4")));
        server = new LoopbackServer;
        server->server.Get("/affiche.jpg", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kJpeg.toStdString(), "image/jpeg");
        });
        // Larger than any poster the service sends.
        server->server.Get("/enorme.jpg", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(9 * 1024 * 1024, 'x'), "image/jpeg");
        });
        server->start();
    }
    static void TearDownTestSuite()
    {
        delete server;
        delete folder;
    }

    // One scan with the looked-up poster address `url`; returns the log.
    QStringList scan(const QString& catalogue, const QString& url, const QString& posterFolder)
    {
        ScanOptions o;
        o.EdRepAffiche = posterFolder;
        ScanHarness h(o);
        h.run->infosFilmAllo[InfoAffiche] = url;
        EXPECT_EQ(h.scanNew(folder->path(), catalogue), ScanOutcome::Finished);
        return h.messages();
    }

    static QTemporaryDir* folder;
    static LoopbackServer* server;
    QTemporaryDir out;
};
QTemporaryDir* Posters::folder = nullptr;
LoopbackServer* Posters::server = nullptr;

const QString kFailure = QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger");

} // namespace

TEST_F(Posters, XmlEntryNamesTheDownloadedFile)
{
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    const QString posters = out.filePath(QStringLiteral("affiches")); // made when the poster is written
    const QStringList log = scan(cat, server->url("/affiche.jpg"), posters);
    EXPECT_TRUE(log.filter(kFailure).isEmpty());
    const QString expected = QDir(posters).filePath(QStringLiteral("Alien.jpg"));
    EXPECT_EQ(XmlCatalogue::loadFile(cat)->movieAttribute(0, QStringLiteral("Picture")), expected);
    QFile f(expected);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), kJpeg);
}

TEST_F(Posters, AmcEntryStoresThePictureAndLeavesNoFile)
{
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    const QString posters = out.filePath(QStringLiteral("affiches"));
    scan(cat, server->url("/affiche.jpg"), posters);
    TMovieList list;
    list.LoadFromFile(cat);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetItem(0).strPicture, QStringLiteral(".jpg"));
    EXPECT_EQ(list.GetItem(0).Picture.value_or(QByteArray()), kJpeg);
    EXPECT_FALSE(QFileInfo::exists(QDir(posters).filePath(QStringLiteral("Alien.jpg"))));
}

TEST_F(Posters, FailedDownloadsAreLoggedAndTheEntryIsWrittenWithoutPicture)
{
    QFile blocker(out.filePath(QStringLiteral("fichier")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const struct {
        const char* name;
        QString url;
        QString posterFolder;
    } cases[] = {
        {"404", server->url("/absente.jpg"), out.filePath(QStringLiteral("a"))},
        {"refused", QStringLiteral("http://127.0.0.1:1/affiche.jpg"), out.filePath(QStringLiteral("b"))},
        {"unwritable folder", server->url("/affiche.jpg"), out.filePath(QStringLiteral("fichier/affiches"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString cat = out.filePath(QStringLiteral("%1.xml").arg(QLatin1String(c.name)));
        const QStringList log = scan(cat, c.url, c.posterFolder);
        EXPECT_EQ(log.filter(kFailure + folder->filePath(QStringLiteral("Alien (1979).mp4"))).size(), 1);
        auto doc = XmlCatalogue::loadFile(cat);
        ASSERT_EQ(doc->movieCount(), 1);
        EXPECT_TRUE(doc->movieAttribute(0, QStringLiteral("Picture")).isEmpty());
    }
}

// A download that fails leaves the poster that was there, in either format.
TEST_F(Posters, FailedDownloadKeepsThePreviousPoster)
{
    const QString posters = out.filePath(QStringLiteral("affiches"));
    QDir().mkpath(posters);
    QFile previous(QDir(posters).filePath(QStringLiteral("Alien.jpg")));
    ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
    previous.write("ancienne");
    previous.close();
    const struct {
        const char* name;
        QString url;
    } cases[] = {
        {"404", server->url("/absente.jpg")},
        {"larger than 8 MiB", server->url("/enorme.jpg")},
    };
    for (const auto& c : cases) {
        for (const char* format : {"xml", "amc"}) {
            SCOPED_TRACE(std::string(c.name) + " " + format);
            const QStringList log =
                scan(out.filePath(QStringLiteral("%1.%2").arg(QLatin1String(c.name), QLatin1String(format))), c.url,
                    posters);
            EXPECT_EQ(log.filter(kFailure).size(), 1);
            ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
            EXPECT_EQ(previous.readAll(), QByteArray("ancienne"));
            previous.close();
        }
    }
    EXPECT_EQ(QDir(posters).entryList(QDir::Files), QStringList {QStringLiteral("Alien.jpg")});
}
