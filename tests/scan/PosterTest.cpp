// Posters found by a lookup are downloaded into the poster folder.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/LoopbackServer.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QFileInfo>
#include <atomic>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

const QByteArray kJpeg("\xff\xd8\xff\xe0 affiche \xff\xd9", 15);
std::atomic<int> countedAsked = 0; // requests of /comptee.jpg

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
        server->server.Get("/comptee.jpg", [](const httplib::Request&, httplib::Response& res) {
            ++countedAsked;
            res.set_content(kJpeg.toStdString(), "image/jpeg");
        });
        // A page where a picture was promised.
        server->server.Get("/page.jpg", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body>Introuvable</body></html>", "image/jpeg");
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
        {"a page, not a picture", server->url("/page.jpg"), out.filePath(QStringLiteral("c"))},
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

// A film whose looked-up values cannot be read is not catalogued, and its
// poster is not downloaded, in either format.
TEST_F(Posters, AFilmThatCannotBeCataloguedDownloadsNothing)
{
    const QString posters = out.filePath(QStringLiteral("affiches"));
    for (const char* format : {"xml", "amc"}) {
        SCOPED_TRACE(format);
        ScanOptions o;
        o.EdRepAffiche = posters;
        ScanHarness h(o);
        h.run->infosFilmAllo[InfoAffiche] = server->url("/comptee.jpg");
        h.run->infosFilmAllo[InfoNotePresse] = QStringLiteral("quatre");
        const QString cat = out.filePath(QStringLiteral("films.") + QLatin1String(format));
        h.scanNew(folder->path(), cat);
        EXPECT_EQ(h.messages().filter(QStringLiteral("Fichier non traité")).size(), 1);
        EXPECT_EQ(countedAsked.load(), 0);
        EXPECT_TRUE(QDir(posters).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
}

namespace {
QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file of a folder, hidden ones included, with its bytes.
QMap<QString, QByteArray> filesOf(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[name] = contentOf(QDir(folder).filePath(name));
    return files;
}
} // namespace

// Films of one title, films named only by a year, and the user's own
// pictures in the poster folder: each entry gets a poster of its own, and no
// file the run did not make is replaced or removed, in either format.
TEST_F(Posters, EachPosterGetsAFreeNameAndTheUsersPicturesStay)
{
    QTemporaryDir films;
    const QString video = films.filePath(QStringLiteral("Dune (1984).mp4"));
    makeVideo(video);
    for (const char* name : {"Dune (2021).mp4", "1917.mp4", "2012.mp4"})
        ASSERT_TRUE(QFile::copy(video, films.filePath(QLatin1String(name))));
    const QString posters = out.filePath(QStringLiteral("affiches"));
    QDir().mkpath(posters);
    const QString mine = QDir(posters).filePath(QStringLiteral("Dune.jpg"));
    QFile f(mine);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("la mienne");
    f.close();

    ScanOptions o;
    o.EdRepAffiche = posters;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    {
        ScanHarness h(o);
        h.run->infosFilmAllo[InfoAffiche] = server->url("/affiche.jpg");
        ASSERT_EQ(h.scanNew(films.path(), cat), ScanOutcome::Finished);
    }
    QStringList pictures;
    {
        auto doc = XmlCatalogue::loadFile(cat);
        ASSERT_EQ(doc->movieCount(), 4);
        for (int i = 0; i < 4; ++i)
            pictures << QFileInfo(doc->movieAttribute(i, QStringLiteral("Picture"))).fileName();
    }
    pictures.sort();
    EXPECT_EQ(pictures,
        QStringList({QStringLiteral("1917.jpg"), QStringLiteral("2012.jpg"), QStringLiteral("Dune (2).jpg"),
            QStringLiteral("Dune (3).jpg")}));
    EXPECT_EQ(contentOf(mine), QByteArray("la mienne"));
    const QMap<QString, QByteArray> afterXml = filesOf(posters);
    EXPECT_EQ(afterXml.size(), 5) << afterXml.keys().join(u' ').toStdString(); // no temporary left

    // An AMC scan keeps its pictures in the catalogue and leaves the folder as it was.
    {
        ScanHarness h(o);
        h.run->infosFilmAllo[InfoAffiche] = server->url("/affiche.jpg");
        ASSERT_EQ(h.scanNew(films.path(), out.filePath(QStringLiteral("films.amc"))), ScanOutcome::Finished);
    }
    EXPECT_EQ(filesOf(posters), afterXml);

    // A completion keeps the entries' names, and a name an entry holds is not
    // given again even when its file is gone.
    ASSERT_TRUE(QFile::remove(QDir(posters).filePath(QStringLiteral("Dune (2).jpg"))));
    {
        o.CbEviterDoublons = false;
        ScanHarness h(o);
        h.run->infosFilmAllo[InfoAffiche] = server->url("/affiche.jpg");
        ASSERT_EQ(h.scanExisting(films.path(), cat), ScanOutcome::Finished);
    }
    auto doc = XmlCatalogue::loadFile(cat);
    ASSERT_EQ(doc->movieCount(), 8);
    QSet<QString> names;
    for (int i = 0; i < 8; ++i)
        names.insert(QFileInfo(doc->movieAttribute(i, QStringLiteral("Picture"))).fileName());
    EXPECT_EQ(names.size(), 8);
    EXPECT_FALSE(names.contains(QStringLiteral("Dune.jpg")));
    EXPECT_EQ(contentOf(mine), QByteArray("la mienne"));
}
