// The walk of a film library as Linux users keep it: links to folders are
// followed, loops end, and a folder that cannot be read is logged, never
// dropped silently.
#include "catalog/XmlCatalogue.h"
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
