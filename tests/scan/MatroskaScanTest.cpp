// Real Matroska files with attachments scanned into both catalogue formats
// with the poster and attachment options.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/CoreApplication.h"
#include "support/FileBytes.h"
#include "support/LoopbackServer.h"
#include "support/MatroskaFixtures.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <gtest/gtest.h>
#include <map>

using namespace filmarch;
using namespace filmarch::test;

using filmarch::test::readFile;
using filmarch::test::writeFile;

namespace {

const QString kFailure = QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger");

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class MatroskaScan : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ensureCoreApplication();
        videos = new QTemporaryDir;
        const QString plain = videos->filePath(QStringLiteral("plain.mkv"));
        makeVideo(plain);
        const Attachment gif {QStringLiteral("back.gif"), QStringLiteral("image/gif"), "bytes of back.gif"};
        const Attachment font {QStringLiteral("font.ttf"), QStringLiteral("font/ttf"), "font bytes"};
        const Attachment notes {QStringLiteral("notes.txt"), QStringLiteral("text/plain"), "notes"};
        const std::pair<const char*, QList<Attachment>> films[] = {
            {"Alpha.mkv", {picture(QStringLiteral("cover.png")), picture(QStringLiteral("front.jpg")), gif}},
            {"Bravo.mkv",
                {picture(QStringLiteral("cover.jpg")), picture(QStringLiteral("affiche.png")),
                    picture(QStringLiteral("AFFICHE2.jpg"))}},
            {"Charlie.mkv", {picture(QStringLiteral("COVER.JPG"))}},
            {"Delta.mkv", {picture(QStringLiteral("Affiche.JPG"))}},
            {"Echo.mkv", {font, notes, picture(QStringLiteral("cover.jpg"))}},
            {"Foxtrot.MKV", {picture(QStringLiteral("cover.jpg"))}},
        };
        QDir(videos->path()).mkdir(QStringLiteral("films"));
        for (const auto& [name, attachments] : films)
            attachFiles(plain, filmPath(QLatin1String(name)), attachments);
        QFile::remove(plain);
    }
    static void TearDownTestSuite() { delete videos; }
    static QString filmFolder() { return videos->filePath(QStringLiteral("films")); }
    static QString filmPath(const QString& name) { return QDir(filmFolder()).filePath(name); }

    static ScanOptions mkvOptions(const QString& posterFolder, bool picturesOnly)
    {
        ScanOptions o;
        o.CbAffiche = true;
        o.EdRepAffiche = posterFolder;
        o.CbPieceJointe = true;
        o.CbfichiersImages = picturesOnly;
        o.CbToutFichier = !picturesOnly;
        return o;
    }

    static QTemporaryDir* videos;
    QTemporaryDir out;
};
QTemporaryDir* MatroskaScan::videos = nullptr;

} // namespace

TEST_F(MatroskaScan, BothFormatsListTheAttachmentsAndTakeTheChosenPicture)
{
    struct Film {
        const char* title;
        const char* allNames;     // Comments with every picture listed
        const char* picturesOnly; // Comments with only ".jpg" and ".png" names
        const char* poster;       // bytes of the poster, none when null
    };
    const Film films[] = {
        {"Alpha", "cover.png|front.jpg|back.gif|", "cover.png|front.jpg|", "bytes of front.jpg"},
        {"Bravo", "cover.jpg|affiche.png|AFFICHE2.jpg|", "cover.jpg|affiche.png|AFFICHE2.jpg|", "bytes of affiche.png"},
        {"Charlie", "COVER.JPG|", "", nullptr}, {"Delta", "Affiche.JPG|", "", "bytes of Affiche.JPG"},
        {"Echo", "cover.jpg|", "cover.jpg|", "bytes of cover.jpg"},
        {"Foxtrot", "", "", nullptr}, // ".MKV" is never examined
    };

    // XML, every attachment listed: the posters stay in their folder and the entries name them.
    const QString xmlPosters = out.filePath(QStringLiteral("affiches xml"));
    ScanHarness xmlRun(mkvOptions(xmlPosters, false));
    const QString xml = out.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(xmlRun.scanNew(filmFolder(), xml), ScanOutcome::Finished);
    std::unique_ptr<XmlCatalogue> doc = XmlCatalogue::loadFile(xml);
    std::map<QString, int> xmlIndex;
    for (int i = 0; i < doc->movieCount(); ++i)
        xmlIndex[doc->movieAttribute(i, QStringLiteral("TranslatedTitle"))] = i;

    // AMC, pictures only: the posters move into the catalogue.
    const QString amcPosters = out.filePath(QStringLiteral("affiches amc"));
    ScanHarness amcRun(mkvOptions(amcPosters, true));
    const QString amc = out.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(amcRun.scanNew(filmFolder(), amc), ScanOutcome::Finished);
    TMovieList list;
    list.LoadFromFile(amc);
    std::map<QString, const TMovie*> amcIndex;
    for (int i = 0; i < list.Count(); ++i)
        amcIndex[list.GetItem(i).strTranslatedTitle] = &list.GetItem(i);

    ASSERT_EQ(xmlIndex.size(), std::size(films));
    ASSERT_EQ(amcIndex.size(), std::size(films));
    QStringList xmlPosterFiles;
    for (const Film& f : films) {
        SCOPED_TRACE(f.title);
        const QString title = QLatin1String(f.title);
        const int i = xmlIndex.at(title);
        const TMovie& m = *amcIndex.at(title);
        EXPECT_EQ(doc->movieAttribute(i, QStringLiteral("Comments")), QString::fromUtf8(f.allNames));
        EXPECT_EQ(m.strComments, QString::fromUtf8(f.picturesOnly).replace(u'|', QStringLiteral("\r\n")));
        if (f.poster) {
            const QString file = QDir(xmlPosters).filePath(title + QStringLiteral(".jpg"));
            xmlPosterFiles << title + QStringLiteral(".jpg");
            EXPECT_EQ(doc->movieAttribute(i, QStringLiteral("Picture")), file);
            EXPECT_EQ(readFile(file), QByteArray(f.poster));
            EXPECT_EQ(m.strPicture, QStringLiteral(".jpg"));
            EXPECT_EQ(m.Picture.value_or(QByteArray()), QByteArray(f.poster));
        } else {
            EXPECT_EQ(doc->movieAttribute(i, QStringLiteral("Picture")), QString());
            EXPECT_EQ(m.strPicture, QString());
            EXPECT_FALSE(m.Picture.has_value());
        }
    }
    EXPECT_EQ(entries(xmlPosters), xmlPosterFiles);
    EXPECT_EQ(entries(amcPosters), QStringList());
    for (const ScanHarness* h : {&xmlRun, &amcRun}) {
        EXPECT_EQ(h->dialogs.messages, QStringList());
        EXPECT_TRUE(h->messages().filter(kFailure).isEmpty());
    }
}

TEST_F(MatroskaScan, ExtractedPosterAndLookedUpPoster)
{
    const QByteArray downloaded("\xff\xd8 downloaded \xff\xd9");
    std::atomic<int> requests {0};
    LoopbackServer server;
    server.server.Get("/affiche.jpg", [&](const httplib::Request&, httplib::Response& res) {
        ++requests;
        res.set_content(downloaded.toStdString(), "image/jpeg");
    });
    server.start();
    QTemporaryDir one;
    QFile::copy(filmPath(QStringLiteral("Alpha.mkv")), one.filePath(QStringLiteral("Alpha.mkv")));

    // An older poster of the same name: the AMC catalogue takes the extracted
    // picture in without touching it.
    const QString posters = out.filePath(QStringLiteral("affiches"));
    QDir().mkpath(posters);
    const QString poster = QDir(posters).filePath(QStringLiteral("Alpha.jpg"));
    makeTextFile(poster, "older poster");
    ScanHarness extracted(mkvOptions(posters, false));
    const QString amc = out.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(extracted.scanNew(one.path(), amc), ScanOutcome::Finished);
    TMovieList list;
    list.LoadFromFile(amc);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetItem(0).Picture.value_or(QByteArray()), QByteArray("bytes of front.jpg"));
    EXPECT_EQ(entries(posters), QStringList {QStringLiteral("Alpha.jpg")});
    EXPECT_EQ(readFile(poster), QByteArray("older poster"));

    // AMC: a downloaded poster replaces the extracted picture; no file of the
    // run is left, and the user's picture of that name stays.
    ScanHarness looked(mkvOptions(posters, false));
    looked.run->infosFilmAllo[InfoAffiche] = server.url("/affiche.jpg");
    const QString amc2 = out.filePath(QStringLiteral("films2.amc"));
    ASSERT_EQ(looked.scanNew(one.path(), amc2), ScanOutcome::Finished);
    TMovieList list2;
    list2.LoadFromFile(amc2);
    ASSERT_EQ(list2.Count(), 1);
    EXPECT_EQ(list2.GetItem(0).strPicture, QStringLiteral(".jpg"));
    EXPECT_EQ(list2.GetItem(0).Picture.value_or(QByteArray()), downloaded);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(entries(posters), QStringList {QStringLiteral("Alpha.jpg")});
    EXPECT_EQ(readFile(poster), QByteArray("older poster"));

    // XML: the extracted picture wins and nothing is downloaded; it takes a
    // name of its own beside the user's picture.
    ScanHarness xmlRun(mkvOptions(posters, false));
    xmlRun.run->infosFilmAllo[InfoAffiche] = server.url("/affiche.jpg");
    const QString xml = out.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(xmlRun.scanNew(one.path(), xml), ScanOutcome::Finished);
    const QString kept = QDir(posters).filePath(QStringLiteral("Alpha (2).jpg"));
    EXPECT_EQ(XmlCatalogue::loadFile(xml)->movieAttribute(0, QStringLiteral("Picture")), kept);
    EXPECT_EQ(readFile(kept), QByteArray("bytes of front.jpg"));
    EXPECT_EQ(readFile(poster), QByteArray("older poster"));
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(entries(posters), (QStringList {QStringLiteral("Alpha (2).jpg"), QStringLiteral("Alpha.jpg")}));
}

TEST_F(MatroskaScan, ToolsThatCannotStartAreReportedAndTheRunGoesOn)
{
    QTemporaryDir two;
    for (const char* name : {"Alpha.mkv", "Bravo.mkv"})
        QFile::copy(filmPath(QLatin1String(name)), two.filePath(QLatin1String(name)));
    // A mkvmerge whose interpreter is missing cannot be started; a folder
    // with a working mkvmerge and no mkvextract lists but cannot extract.
    QTemporaryDir broken, halfTools;
    const QString script = broken.filePath(QStringLiteral("mkvmerge"));
    makeTextFile(script, "#!/nonexistent/sh\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString realTools = ToolLocator::system().findMkvToolNix();
    ASSERT_FALSE(realTools.isEmpty()) << "mkvmerge is not installed";
    ASSERT_TRUE(QFile::link(realTools + QStringLiteral("mkvmerge"), halfTools.filePath(QStringLiteral("mkvmerge"))));

    struct Case {
        const char* name;
        QString tools;
        bool oncePerRun;
        int errors;       // boxes shown
        const char* tool; // named in them
        int logged;       // "Impossible d'extraire..." lines
        const char* Comments;
    };
    const Case cases[] = {
        {"window, mkvmerge broken", broken.path() + u'/', false, 2, "mkvmerge", 0, ""},
        {"command line, mkvmerge broken", broken.path() + u'/', true, 1, "mkvmerge", 0, ""},
        {"window, mkvextract missing", halfTools.path() + u'/', false, 0, "", 2, "cover.png|front.jpg|back.gif|"},
        {"command line, mkvextract missing", halfTools.path() + u'/', true, 1, "mkvextract", 2,
            "cover.png|front.jpg|back.gif|"},
        {"MKVToolNix not found", QString(), true, 0, "", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString posters = out.filePath(QLatin1String(c.name));
        ScanHarness h(mkvOptions(posters, false), [&c](ScanFrontEnd& ctx) {
            ctx.CheminMkvToolNix = c.tools;
            ctx.toolFailuresOncePerRun = c.oncePerRun;
        });
        const QString xml = out.filePath(QLatin1String(c.name) + QStringLiteral(".xml"));
        ASSERT_EQ(h.scanNew(two.path(), xml), ScanOutcome::Finished);
        EXPECT_EQ(h.dialogs.messages.size(), c.errors) << h.dialogs.messages.join(u'\n').toStdString();
        for (const QString& m : h.dialogs.messages)
            EXPECT_TRUE(m.startsWith(u'"' + c.tools + QLatin1String(c.tool) + u'"')
                && m.endsWith(QLatin1String(" doesn't exist.")))
                << m.toStdString();
        EXPECT_EQ(h.messages().filter(kFailure).size(), c.logged);
        std::unique_ptr<XmlCatalogue> doc = XmlCatalogue::loadFile(xml);
        ASSERT_EQ(doc->movieCount(), 2);
        const int alpha = doc->movieAttribute(0, QStringLiteral("TranslatedTitle")) == QLatin1String("Alpha") ? 0 : 1;
        EXPECT_EQ(doc->movieAttribute(alpha, QStringLiteral("Comments")), QString::fromUtf8(c.Comments));
        EXPECT_EQ(doc->movieAttribute(alpha, QStringLiteral("Picture")), QString());
        EXPECT_EQ(entries(posters), QStringList());
    }
}

// A cover is held whole in memory and written into an AMC entry: one larger
// than any poster is left out, with a line, and the film is catalogued.
TEST_F(MatroskaScan, AnOversizedCoverIsNotStoredInAnAmcEntry)
{
    QTemporaryDir films;
    const QString plain = films.filePath(QStringLiteral("plain.mkv"));
    makeVideo(plain);
    const Attachment huge {QStringLiteral("cover.jpg"), QStringLiteral("image/jpeg"), QByteArray((33 << 20), 'x')};
    attachFiles(plain, films.filePath(QStringLiteral("Grand.mkv")), {huge});
    QFile::remove(plain);

    const QString posters = out.filePath(QStringLiteral("affiches"));
    ScanHarness h(mkvOptions(posters, true));
    const QString amc = out.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(h.scanNew(films.path(), amc), ScanOutcome::Finished);
    TMovieList list;
    list.LoadFromFile(amc);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_FALSE(list.GetItem(0).Picture.has_value());
    EXPECT_EQ(list.GetItem(0).strComments, QStringLiteral("cover.jpg\r\n"));
    EXPECT_EQ(h.messages()
                  .filter(QStringLiteral("Affiche trop volumineuse, fichier catalogué sans affiche : ")
                      + films.filePath(QStringLiteral("Grand.mkv")))
                  .size(),
        1)
        << h.messages().join(u'\n').toStdString();
    EXPECT_EQ(entries(posters), QStringList()) << "the extracted cover does not stay";
}
