// The walk of a film library as Linux users keep it: links to folders are
// followed, loops end, and a folder that cannot be read is logged, never
// dropped silently.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/CoreApplication.h"
#include "support/FileBytes.h"
#include "support/MatroskaFixtures.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

// Folders nested until their path is longer than the system takes (made with
// relative calls, which have no such limit). Returns the first path too long.
QString makeTooLongPath(const QString& base)
{
    const QByteArray name(200, 'n');
    int fd = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY);
    QString path = base;
    while (fd >= 0 && path.size() <= PATH_MAX) {
        ::mkdirat(fd, name.constData(), 0755);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        path += QLatin1Char('/') + QString::fromLatin1(name);
    }
    if (fd >= 0)
        ::close(fd);
    return path;
}

// rm works through the tree relatively, where QDir cannot.
void removeTree(const QString& path)
{
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), path});
}

} // namespace

TEST(FolderWalk, FollowsLinksOnceAndLogsWhatItCannotWalk)
{
    QTemporaryDir videos, outside, target;
    const QString films = videos.filePath(QStringLiteral("films"));
    ASSERT_TRUE(QDir().mkpath(films + QStringLiteral("/sous")));
    makeVideo(films + QStringLiteral("/Premier.mp4"));
    QFile::copy(films + QStringLiteral("/Premier.mp4"), films + QStringLiteral("/sous/Second.mp4"));
    QFile::copy(films + QStringLiteral("/Premier.mp4"), outside.filePath(QStringLiteral("Ailleurs.mp4")));
    // A loop back to the top, and two links to one folder outside the tree.
    ASSERT_TRUE(QFile::link(films, films + QStringLiteral("/sous/boucle")));
    ASSERT_TRUE(QFile::link(outside.path(), films + QStringLiteral("/lien1")));
    ASSERT_TRUE(QFile::link(outside.path(), films + QStringLiteral("/sous/lien2")));
    const QString tooLong = makeTooLongPath(films);
    // A file the library cannot open is logged like any failing file.
    ASSERT_EQ(mkfifo(QFile::encodeName(films + QStringLiteral("/tube.mp4")).constData(), 0644), 0);

    ScanOptions opts;
    opts.CbExploreSousRep = true;
    ScanHarness h(opts);
    const QString cat = target.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(h.scanNew(films, cat), ScanOutcome::Finished);
    removeTree(films + QStringLiteral("/") + QString(200, u'n'));

    EXPECT_EQ(h.progress.max, 4);
    EXPECT_EQ(XmlCatalogue::loadFile(cat)->movieCount(), 3);
    const QStringList log = h.messages();
    const auto count = [&](const QString& text) { return log.filter(text).size(); };
    EXPECT_EQ(count(QStringLiteral("Dossier non traité par le scan, il a déjà été parcouru (lien) : ")), 2)
        << log.join(u'\n').toStdString();
    EXPECT_EQ(count(QStringLiteral("a déjà été parcouru (lien) : ") + films + QStringLiteral("/sous/boucle")), 1);
    EXPECT_EQ(count(QStringLiteral("Dossier non traité par le scan, il ne peut pas être lu : ") + tooLong), 1)
        << log.join(u'\n').toStdString();
    EXPECT_EQ(count(QStringLiteral("Fichier non traité par le scan, une erreur est survenu : ") + films
                  + QStringLiteral("/tube.mp4")),
        1);

    // Without sub-folders, links to folders are not entered either.
    ScanHarness flat;
    const QString cat2 = target.filePath(QStringLiteral("plat.xml"));
    ASSERT_EQ(flat.scanNew(films, cat2), ScanOutcome::Finished);
    EXPECT_EQ(flat.progress.max, 2);
    EXPECT_TRUE(flat.messages().filter(QStringLiteral("Dossier non traité")).isEmpty());
}

// Names written by older systems, not valid UTF-8, in a file and in a folder:
// the files are analysed from their own bytes (the Matroska tools too), and
// the catalogue holds the names as it holds any character it cannot store.
TEST(FolderWalk, NamesThatAreNotTextAreCatalogued)
{
    ensureCoreApplication(); // the Matroska tools' waits
    QTemporaryDir videos, target;
    // QDir cannot remove what it cannot name.
    const struct Cleaner {
        QString path;
        ~Cleaner() { removeTree(path); }
    } cleaner {videos.path()};
    const QByteArray root = QFile::encodeName(videos.path());
    makeVideo(videos.filePath(QStringLiteral("plain.mkv")));
    attachFiles(videos.filePath(QStringLiteral("plain.mkv")), videos.filePath(QStringLiteral("a.mkv")),
        {picture(QStringLiteral("cover.jpg"))});
    QFile::remove(videos.filePath(QStringLiteral("plain.mkv")));
    makeVideo(videos.filePath(QStringLiteral("b.mp4")));
    const auto at = [&root](const char* name) { return QByteArray(root + name); };
    ASSERT_EQ(::mkdir(at("/Vieux\xe9").constData(), 0755), 0);
    ASSERT_EQ(::rename(at("/a.mkv").constData(), at("/Bad\xff\xfe Name 2001.mkv").constData()), 0);
    ASSERT_EQ(::rename(at("/b.mp4").constData(), at("/Vieux\xe9/Autre\x80.mp4").constData()), 0);

    ScanOptions opts;
    opts.CbExploreSousRep = true;
    opts.CbPieceJointe = true;
    const QString bad = videos.path() + QStringLiteral("/Bad\uFFFD\uFFFD Name 2001.mkv");
    const QString other = videos.path() + QStringLiteral("/Vieux\uFFFD/Autre\uFFFD.mp4");

    ScanHarness x(opts);
    const QString xml = target.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(x.scanNew(videos.path(), xml), ScanOutcome::Finished);
    EXPECT_TRUE(x.messages().filter(QStringLiteral("non traité")).isEmpty()) << x.messages().join(u'\n').toStdString();
    const auto doc = XmlCatalogue::loadFile(xml);
    ASSERT_EQ(doc->movieCount(), 2);
    QMap<QString, int> byUrl;
    for (int i = 0; i < 2; ++i)
        byUrl[doc->movieAttribute(i, QStringLiteral("URL"))] = i;
    ASSERT_TRUE(byUrl.contains(bad) && byUrl.contains(other)) << byUrl.keys().join(u'|').toStdString();
    EXPECT_EQ(
        doc->movieAttribute(byUrl[bad], QStringLiteral("TranslatedTitle")), QStringLiteral("Bad\uFFFD\uFFFD Name "));
    EXPECT_EQ(doc->movieAttribute(byUrl[bad], QStringLiteral("Comments")), QStringLiteral("cover.jpg|"));
    EXPECT_FALSE(doc->movieAttribute(byUrl[other], QStringLiteral("Resolution")).isEmpty());
    EXPECT_TRUE(test::readFile(xml).contains("Bad&#65533;&#65533; Name 2001.mkv"));

    ScanHarness a(opts);
    const QString amc = target.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(a.scanNew(videos.path(), amc), ScanOutcome::Finished);
    TMovieList list;
    list.LoadFromFile(amc);
    ASSERT_EQ(list.Count(), 2);
    QStringList urls;
    for (int i = 0; i < 2; ++i)
        urls << list.GetItem(i).strURL;
    urls.sort();
    EXPECT_EQ(urls,
        (QStringList {videos.path() + QStringLiteral("/Bad?? Name 2001.mkv"),
            videos.path() + QStringLiteral("/Vieux?/Autre?.mp4")}));

    // Completed again, both are known by the name the catalogue holds.
    for (ScanHarness* h : {&x, &a}) {
        ASSERT_EQ(h->scanExisting(videos.path(), h == &x ? xml : amc), ScanOutcome::Finished);
        EXPECT_EQ(h->messages().filter(QStringLiteral("Doublons détecté : 2 ")).size(), 1);
    }
}
