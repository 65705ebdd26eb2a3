// A catalogue made by a real scan, then the disk changed under it: a film
// renamed, one moved to a sub-folder, one deleted, one added, a folder made
// unreadable. The check tells each, and applying it changes those entries only.
#include "scan/CatalogueCheck.h"
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "platform/CatalogueLock.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "platform/SafeFile.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"
#include "sync/Unreadable.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

void makeFilm(const QString& path, int mebibytes)
{
    makeSizedVideo(path, mebibytes);
}

struct Disk {
    QTemporaryDir dir;
    QString films() const { return dir.filePath(QStringLiteral("Films")); }
    QString film(const char* name) const { return films() + QLatin1Char('/') + QString::fromUtf8(name); }
};

// The catalogue of Films/ as a scan writes it, then the disk changed.
QString catalogueThenChanges(Disk& disk, const QString& extension)
{
    makeFilm(disk.film("Brazil (1985).avi"), 1);
    makeFilm(disk.film("Playtime (1967).mkv"), 2);
    makeFilm(disk.film("Alien (1979).mkv"), 3);
    makeFilm(disk.film("Stalker (1979).mkv"), 4);
    makeFilm(disk.film("caché/Ran (1985).mkv"), 6);
    ScanOptions o;
    o.CbExploreSousRep = true;
    ScanHarness h(o);
    const QString cat = disk.dir.filePath(QStringLiteral("films") + extension);
    EXPECT_EQ(h.scanNew(disk.films(), cat), ScanOutcome::Finished);

    QFile::rename(disk.film("Brazil (1985).avi"), disk.film("Brazil.1985.avi"));
    QDir().mkpath(disk.film("Tati"));
    QFile::rename(disk.film("Playtime (1967).mkv"), disk.film("Tati/Playtime (1967).mkv"));
    QFile::remove(disk.film("Alien (1979).mkv"));
    makeFilm(disk.film("Solaris (1972).mkv"), 5);
    makeTextFile(disk.film("notes.txt"));
    return cat;
}

QStringList gonePaths(const CatalogueCheck& check)
{
    QStringList out;
    for (const CatalogueCheck::Gone& g : check.gone)
        out << fileNamePart(check.entries[size_t(g.entry)].url) + QStringLiteral(" -> ")
                + (g.newPath.isEmpty()
                        ? QStringLiteral("?")
                        : QDir(QFileInfo(g.newPath).path()).dirName() + QLatin1Char('/') + fileNamePart(g.newPath));
    out.sort();
    return out;
}

std::vector<CheckDecision> everything(const CatalogueCheck& check)
{
    std::vector<CheckDecision> d;
    for (const CatalogueCheck::Gone& g : check.gone)
        d.push_back({check.entries[size_t(g.entry)].index, check.entries[size_t(g.entry)].url, g.newPath});
    return d;
}

// The URLs of the entries, in catalogue order.
QStringList urls(const QString& cat)
{
    QStringList out;
    if (cat.endsWith(QLatin1String(".xml"))) {
        const auto doc = XmlCatalogue::loadFile(cat);
        for (int i = 0; i < doc->movieCount(); ++i)
            out << doc->movieAttribute(i, QStringLiteral("URL"));
    } else {
        TMovieList list;
        list.LoadFromFile(cat);
        for (int i = 0; i < list.Count(); ++i)
            out << list.GetItem(i).strURL;
    }
    return out;
}

class CatalogueCheckTest : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(CatalogueCheckTest, RenamedMovedDeletedNewAndUnreadableAreToldThenApplied)
{
    Disk disk;
    const QString cat = catalogueThenChanges(disk, QString::fromUtf8(GetParam()));
    const QByteArray before = readFile(cat);
    const QStringList urlsBefore = urls(cat);
    ASSERT_EQ(urlsBefore.size(), 5);

    ScanHarness h;
    openToEveryone(disk.dir.path());
    CatalogueCheck check;
    {
        UnreadableFolder hidden(disk.film("caché"));
        AsNobody nobody;
        if (nobody.refused)
            GTEST_SKIP() << "root may not become nobody here, and permissions do not stop root";
        check = checkCatalogue(cat, {}, mediaProbe(h.context->AccesFonctionsMedia));
    }
    EXPECT_EQ(gonePaths(check),
        (QStringList {QStringLiteral("Alien (1979).mkv -> ?"),
            QStringLiteral("Brazil (1985).avi -> Films/Brazil.1985.avi"),
            QStringLiteral("Playtime (1967).mkv -> Tati/Playtime (1967).mkv")}));
    // The film in the unreadable folder is neither gone nor found.
    EXPECT_EQ(check.notChecked, QStringList {disk.film("caché/Ran (1985).mkv")});
    EXPECT_EQ(check.unreadableFolders, QStringList {disk.film("caché")});
    EXPECT_EQ(check.newFiles, QStringList {disk.film("Solaris (1972).mkv")});
    EXPECT_EQ(readFile(cat), before);

    QStringList logged;
    ASSERT_EQ(applyCheck(cat, everything(check), [&logged](const QString& l) { logged << l; }), std::nullopt);
    EXPECT_EQ(readFile(backupFileName(cat)), before);
    QStringList expected = urlsBefore;
    expected.removeAll(disk.film("Alien (1979).mkv"));
    expected.replaceInStrings(disk.film("Brazil (1985).avi"), disk.film("Brazil.1985.avi"));
    expected.replaceInStrings(disk.film("Playtime (1967).mkv"), disk.film("Tati/Playtime (1967).mkv"));
    EXPECT_EQ(urls(cat), expected);
    EXPECT_EQ(logged.size(), 4);

    // Every other byte as it was: the file is the old one with the removed
    // entry gone and the two paths changed.
    if (cat.endsWith(QLatin1String(".xml"))) {
        QByteArray expectedBytes = before;
        const qsizetype alien = expectedBytes.indexOf("Alien (1979).mkv");
        const qsizetype start = expectedBytes.lastIndexOf("\n", expectedBytes.lastIndexOf("<Movie ", alien));
        expectedBytes.remove(start, expectedBytes.indexOf("\n", alien) - start);
        expectedBytes.replace("Films/Brazil (1985).avi", "Films/Brazil.1985.avi");
        expectedBytes.replace("Films/Playtime (1967).mkv", "Films/Tati/Playtime (1967).mkv");
        EXPECT_EQ(readFile(cat), expectedBytes);
    } else {
        TMovieList was, is;
        was.LoadFromFile(backupFileName(cat));
        const int version = is.LoadFromFile(cat);
        ASSERT_EQ(is.Count(), 4);
        for (int i = 0, j = 0; i < was.Count(); ++i) {
            if (was.GetItem(i).strURL == disk.film("Alien (1979).mkv"))
                continue;
            TMovie& now = is.GetItem(j++);
            now.strURL = was.GetItem(i).strURL;
            EXPECT_EQ(is.EntryBytes(now, version), was.EntryBytes(was.GetItem(i), version)) << i;
        }
    }

    // The next completion adds the new film only.
    ScanOptions o;
    o.CbExploreSousRep = true;
    ScanHarness completion(o);
    ASSERT_EQ(completion.scanExisting(disk.films(), cat), ScanOutcome::Finished);
    EXPECT_EQ(urls(cat).size(), 5);
    EXPECT_EQ(urls(cat).last(), disk.film("Solaris (1972).mkv"));
}

INSTANTIATE_TEST_SUITE_P(Formats, CatalogueCheckTest, ::testing::Values(".xml", ".amc"));

namespace {

QByteArray amcOf(const QStringList& paths)
{
    TMovieList list;
    int n = 0;
    for (const QString& p : paths) {
        TMovie& m = list.Add();
        m.iNumber = ++n;
        m.strURL = p;
        m.strOriginalTitle = fileNamePart(p);
    }
    return list.SaveToBytes(41);
}

} // namespace

// The rewrite never leaves less than the catalogue as it was: damaged or
// foreign files, a run holding the catalogue, a catalogue changed since its
// check, a full disk.
TEST(CatalogueCheckSafety, RefusalsLeaveTheCatalogueAsItWas)
{
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("parti.mkv"));
    const QString cat = dir.filePath(QStringLiteral("films.amc"));
    const QByteArray whole = amcOf({gone, dir.filePath(QStringLiteral("reste.mkv"))});
    const std::vector<CheckDecision> removeGone {{0, gone, {}}};

    // Damaged: the last record cut short.
    writeFile(cat, whole.left(whole.size() - 3));
    EXPECT_THROW(checkCatalogue(cat, {dir.path()}, {}), Error);
    EXPECT_NE(applyCheck(cat, removeGone), std::nullopt);
    EXPECT_EQ(readFile(cat), whole.left(whole.size() - 3));

    // Foreign: not a catalogue at all.
    const QString foreign = dir.filePath(QStringLiteral("autre.xml"));
    writeFile(foreign, "<html><body>pas un catalogue</body></html>");
    EXPECT_THROW(checkCatalogue(foreign, {dir.path()}, {}), Error);
    EXPECT_NE(applyCheck(foreign, {{0, gone, {}}}), std::nullopt);
    EXPECT_EQ(readFile(foreign), QByteArray("<html><body>pas un catalogue</body></html>"));

    writeFile(cat, whole);
    {
        // A scan holds it.
        CatalogueLock other;
        ASSERT_TRUE(other.tryLock(cat));
        EXPECT_THROW(checkCatalogue(cat, {dir.path()}, {}), Error);
        const std::optional<QString> refused = applyCheck(cat, removeGone);
        ASSERT_NE(refused, std::nullopt);
        EXPECT_TRUE(refused->contains(QStringLiteral("déjà utilisé"))) << refused->toStdString();
    }
    // Changed since the check: the entry at that place is another.
    EXPECT_NE(applyCheck(cat, {{1, gone, {}}}), std::nullopt);
    EXPECT_EQ(readFile(cat), whole);
    {
        // Room for the backup, not for the longer catalogue.
        const FileSizeLimit limit(rlim_t(whole.size()) + 4);
        EXPECT_NE(applyCheck(cat, {{0, gone, dir.filePath(QStringLiteral("un/chemin/bien/plus/long/parti.mkv"))}}),
            std::nullopt);
    }
    EXPECT_EQ(readFile(cat), whole);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("tmp")), QStringList {});

    ASSERT_EQ(applyCheck(cat, removeGone), std::nullopt);
    EXPECT_EQ(urls(cat), QStringList {dir.filePath(QStringLiteral("reste.mkv"))});
}
