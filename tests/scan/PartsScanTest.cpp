// A film kept in several files is one entry: the parts' lengths and sizes
// added, the first part's values and URL, the others named in the comments;
// a completion takes every part as catalogued and tells of a part added since.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "scan/CatalogueCheck.h"
#include "scan/PartGroups.h"
#include "support/PrintQString.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

// 40-second parts (two make more than a minute) with a mebibyte of padding
// each (two make more than two).
void makePart(const QString& path)
{
    static QTemporaryDir models;
    const QString model = models.filePath(QStringLiteral("partie.") + QFileInfo(path).suffix());
    if (!QFile::exists(model)) {
        GeneratedVideo v;
        v.seconds = 40;
        v.frameRate = 1;
        makeVideo(model, v);
    }
    QFile::copy(model, path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(1048576, '\0'));
}

struct Entry {
    QString name, title, length, size, disks, comments;
};

std::vector<Entry> entriesOf(const QString& cat)
{
    std::vector<Entry> out;
    if (cat.endsWith(QLatin1String(".xml"))) {
        const auto doc = XmlCatalogue::loadFile(cat);
        for (int i = 0; i < doc->movieCount(); ++i) {
            const auto a = [&](const char* n) { return doc->movieAttribute(i, QString::fromUtf8(n)); };
            out.push_back({QFileInfo(a("URL")).fileName(), a("TranslatedTitle"), a("Length"), a("Size"), a("Disks"),
                a("Comments")});
        }
    } else {
        TMovieList list;
        list.LoadFromFile(cat);
        for (int i = 0; i < list.Count(); ++i) {
            const TMovie& m = list.GetItem(i);
            out.push_back({QFileInfo(m.strURL).fileName(), m.strTranslatedTitle, QString::number(m.iLength), m.strSize,
                QString::number(std::max(1, m.iDisks)), m.strComments});
        }
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return out;
}

class PartsScan : public ::testing::TestWithParam<const char*> {};

} // namespace

// Which names make one film: the same folder, the same extension, the same
// name without its marker, distinct part numbers.
TEST(PartGroups, FilesOfOneFilmAndNothingElse)
{
    const QStringList paths = {
        QStringLiteral("/d/Films/Cerf-Volant (2001) CD2.avi"),  // 0
        QStringLiteral("/d/Films/Cerf-Volant (2001) CD1.avi"),  // 1
        QStringLiteral("/d/Autres/Cerf-Volant (2001) CD3.avi"), // another folder
        QStringLiteral("/d/Films/Cerf-Volant (2001) CD3.mkv"),  // another extension
        QString(),                                              // left out by the caller
        QStringLiteral("/d/Films/Marées.pt1.avi"),              // 5
        QStringLiteral("/d/Films/MARÉES.PT2.avi"),              // 6
        QStringLiteral("/d/Films/Double (1990) CD1.avi"),       // two copies of one part
        QStringLiteral("/d/Films/double (1990) cd1.avi"),
        QStringLiteral("/d/Films/Seul (2010) part 2.mkv"), // a part alone
        QStringLiteral("/d/Films/Mer (2000) CD1.avi"),     // two films
        QStringLiteral("/d/Films/Terre (2000) CD2.avi"),
    };
    const std::vector<std::vector<int>> expected = {{1, 0}, {5, 6}};
    EXPECT_EQ(partGroups(paths), expected);
}

TEST_P(PartsScan, APartedFilmIsOneEntryAndALaterPartIsToldNotCatalogued)
{
    QTemporaryDir disk;
    const QString films = disk.filePath(QStringLiteral("Films"));
    QDir().mkpath(films);
    const auto film = [&films](const char* name) { return films + QLatin1Char('/') + QString::fromUtf8(name); };
    makePart(film("Le Phare des Brumes (1999) CD2.avi"));
    makePart(film("Le Phare des Brumes (1999) CD1.avi"));
    makePart(film("Ondes Lointaines (2004) part 1.mkv"));
    makePart(film("Ondes Lointaines (2004) part 3.mkv"));
    makePart(film("Ondes Lointaines (2004) part 2.mkv"));
    makeVideo(film("Zéphyr (2011).mkv"));
    const QString cat = disk.filePath(QStringLiteral("films") + QString::fromUtf8(GetParam()));
    {
        ScanHarness h;
        ASSERT_EQ(h.scanNew(films, cat), ScanOutcome::Finished);
        EXPECT_EQ(h.progress.highest, 6);
    }
    const std::vector<Entry> entries = entriesOf(cat);
    ASSERT_EQ(entries.size(), 3u);
    const Entry& phare = entries[0];
    EXPECT_EQ(phare.name, QStringLiteral("Le Phare des Brumes (1999) CD1.avi"));
    EXPECT_EQ(phare.title, QStringLiteral("Le Phare des Brumes"));
    EXPECT_EQ(phare.disks, QStringLiteral("2"));
    EXPECT_EQ(phare.length, QStringLiteral("1")); // 80 seconds
    EXPECT_EQ(phare.size, QStringLiteral("2"));
    EXPECT_TRUE(phare.comments.endsWith(QStringLiteral("Parties : Le Phare des Brumes (1999) CD2.avi")))
        << phare.comments.toStdString();
    const Entry& ondes = entries[1];
    EXPECT_EQ(ondes.name, QStringLiteral("Ondes Lointaines (2004) part 1.mkv"));
    EXPECT_EQ(ondes.disks, QStringLiteral("3"));
    EXPECT_EQ(ondes.length, QStringLiteral("2")); // 120 seconds
    EXPECT_EQ(ondes.size, QStringLiteral("3"));
    EXPECT_TRUE(ondes.comments.endsWith(
        QStringLiteral("Parties : Ondes Lointaines (2004) part 2.mkv / Ondes Lointaines (2004) part 3.mkv")))
        << ondes.comments.toStdString();
    EXPECT_EQ(entries[2].disks, QStringLiteral("1"));

    // The verification knows the other parts as the entries' files.
    const CatalogueCheck check = checkCatalogue(cat, {films}, {});
    EXPECT_TRUE(check.gone.empty());
    EXPECT_EQ(check.newFiles, QStringList {});

    // A third CD turns up: said in the log, no entry of its own. With the
    // duplicate check off every film is catalogued again, still one entry
    // each, never a part alone.
    makePart(film("Le Phare des Brumes (1999) CD3.avi"));
    for (const bool doublons : {true, false}) {
        ScanOptions o;
        o.CbEviterDoublons = doublons;
        ScanHarness again(o);
        ASSERT_EQ(again.scanExisting(films, cat), ScanOutcome::Finished);
        const std::vector<Entry> now = entriesOf(cat);
        EXPECT_EQ(now.size(), doublons ? 3u : 6u) << "doublons " << doublons;
        for (const Entry& e : now) {
            EXPECT_TRUE(e.name.contains(QStringLiteral("CD1")) || e.name.contains(QStringLiteral("part 1"))
                || e.name.startsWith(QStringLiteral("Zéphyr")))
                << e.name.toStdString();
        }
        if (doublons) {
            EXPECT_EQ(again.messages().filter(QStringLiteral("Partie ajoutée à un film déjà catalogué")),
                QStringList {
                    QStringLiteral("Partie ajoutée à un film déjà catalogué, elle n'est pas cataloguée seule : ")
                    + film("Le Phare des Brumes (1999) CD3.avi")});
        }
    }
}

// Parts catalogued one by one while the option was off stay as they are once
// it is on: nothing is added, and neither is said to be a part added since.
TEST_P(PartsScan, WithTheOptionOffEachFileIsAnEntry)
{
    QTemporaryDir disk;
    makeVideo(disk.filePath(QStringLiteral("Le Phare des Brumes (1999) CD1.avi")));
    QFile::copy(disk.filePath(QStringLiteral("Le Phare des Brumes (1999) CD1.avi")),
        disk.filePath(QStringLiteral("Le Phare des Brumes (1999) CD2.avi")));
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films") + QString::fromUtf8(GetParam()));
    ScanOptions o;
    o.CbRegrouperParties = false;
    ScanHarness h(o);
    ASSERT_EQ(h.scanNew(disk.path(), cat), ScanOutcome::Finished);
    EXPECT_EQ(entriesOf(cat).size(), 2u);

    ScanHarness grouping;
    ASSERT_EQ(grouping.scanExisting(disk.path(), cat), ScanOutcome::Finished);
    EXPECT_EQ(entriesOf(cat).size(), 2u);
    EXPECT_EQ(grouping.messages().filter(QStringLiteral("Partie ajoutée")), QStringList {});
}

// Entries that a failed save kept for the next run are taken with their parts:
// no part is said to be added since, nor catalogued again on its own.
TEST(PartsScan, APartedEntryKeptForTheNextRunKeepsItsParts)
{
    QTemporaryDir disk;
    const QString films = disk.filePath(QStringLiteral("Films"));
    QDir().mkpath(films);
    const auto film = [&films](const char* name) { return films + QLatin1Char('/') + QString::fromUtf8(name); };
    makePart(film("Cerf-Volant (2001) CD1.avi"));
    makePart(film("Cerf-Volant (2001) CD2.avi"));
    const QString cat = disk.filePath(QStringLiteral("films.xml"));
    for (const bool grouping : {true, false}) {
        QFile::remove(cat);
        auto kept = XmlCatalogue::createNew();
        XmlCatalogue::Movie m = kept->appendMovie();
        m.setAttribute(QStringLiteral("Number"), QStringLiteral("1"));
        m.setAttribute(QStringLiteral("URL"), film("Cerf-Volant (2001) CD1.avi"));
        m.setAttribute(QStringLiteral("Comments"), QStringLiteral("Parties : Cerf-Volant (2001) CD2.avi"));
        kept->saveFile(disk.filePath(QStringLiteral("films.en-attente.xml")));
        ScanOptions o;
        o.CbRegrouperParties = grouping;
        ScanHarness h(o);
        ASSERT_EQ(h.scanNew(films, cat), ScanOutcome::Finished);
        EXPECT_EQ(entriesOf(cat).size(), 1u) << "regrouper " << grouping;
        EXPECT_EQ(h.messages().filter(QStringLiteral("Partie ajoutée")), QStringList {}) << "regrouper " << grouping;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PartsScan, ::testing::Values(".xml", ".amc"));
