// DVD and Blu-ray folders are one entry each: named after the folder, with
// the main title's values and the whole folder's size; nothing inside them is
// catalogued alone, in a new catalogue or a completion, XML or AMC.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "scan/CatalogueCheck.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

// Films/
//   Playtime (1967)/VIDEO_TS/  a bonus (VTS_01, 352x288) and the film (VTS_02, 720x576, longer)
//   Tron (1982)/BDMV/          index.bdmv, a short 160x120 stream and the film 320x240
//   Alien (1979).mkv
const QString& discs()
{
    static QTemporaryDir dir;
    static const QString films = [] {
        const QString f = dir.filePath(QStringLiteral("Films"));
        makeDvdFolder(f + QStringLiteral("/Playtime (1967)"), {{1, 352, 288}, {3, 720, 576}});
        GeneratedVideo shortOne, film;
        shortOne.width = 160;
        shortOne.height = 120;
        film.width = 320;
        film.height = 240;
        film.seconds = 2;
        makeBlurayFolder(f + QStringLiteral("/Tron (1982)"), {shortOne, film});
        // Both discs above a mebibyte, so that their whole size shows.
        makeTextFile(f + QStringLiteral("/Playtime (1967)/VIDEO_TS/bonus.bin"), QByteArray(1100000, 'b'));
        makeTextFile(f + QStringLiteral("/Tron (1982)/BDMV/STREAM/extra.bin"), QByteArray(2200000, 'e'));
        makeVideo(f + QStringLiteral("/Alien (1979).mkv"));
        return f;
    }();
    return films;
}

QString mebibytesUnder(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return QString::number(total / 1048576);
}

struct Entry {
    QString url, title, year, resolution, size;
};

std::vector<Entry> entriesOf(const QString& cat)
{
    std::vector<Entry> out;
    if (cat.endsWith(QLatin1String(".xml"))) {
        const auto doc = XmlCatalogue::loadFile(cat);
        for (int i = 0; i < doc->movieCount(); ++i) {
            const auto a = [&](const char* n) { return doc->movieAttribute(i, QString::fromUtf8(n)); };
            out.push_back({a("URL"), a("TranslatedTitle"), a("Year"), a("Resolution"), a("Size")});
        }
    } else {
        TMovieList list;
        list.LoadFromFile(cat);
        for (int i = 0; i < list.Count(); ++i) {
            const TMovie& m = list.GetItem(i);
            out.push_back({m.strURL, m.strTranslatedTitle, QString::number(m.iYear), m.strResolution, m.strSize});
        }
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.url < b.url; });
    return out;
}

class DiscFolderScan : public ::testing::TestWithParam<std::tuple<const char*, bool>> {};

} // namespace

TEST_P(DiscFolderScan, EachDiscIsOneEntryAndACompletionAddsNothingFromInside)
{
    const auto [extension, subFolders] = GetParam();
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films") + QString::fromUtf8(extension));
    ScanOptions o;
    o.CbExploreSousRep = subFolders;
    {
        ScanHarness h(o);
        ASSERT_EQ(h.scanNew(discs(), cat), ScanOutcome::Finished) << h.dialogs.messages.join(u'|').toStdString();
        EXPECT_EQ(h.progress.max, 3);
    }
    const std::vector<Entry> entries = entriesOf(cat);
    ASSERT_EQ(entries.size(), 3u);
    const QString playtime = discs() + QStringLiteral("/Playtime (1967)");
    const QString tron = discs() + QStringLiteral("/Tron (1982)");
    EXPECT_EQ(entries[0].url, discs() + QStringLiteral("/Alien (1979).mkv"));
    EXPECT_EQ(entries[1].url, playtime);
    EXPECT_EQ(entries[1].title, QStringLiteral("Playtime"));
    EXPECT_EQ(entries[1].year, QStringLiteral("1967"));
    EXPECT_EQ(entries[1].resolution, QStringLiteral("720x576"));
    EXPECT_EQ(entries[1].size, mebibytesUnder(playtime));
    EXPECT_EQ(entries[1].size, QStringLiteral("1"));
    EXPECT_EQ(entries[2].url, tron);
    EXPECT_EQ(entries[2].title, QStringLiteral("Tron"));
    EXPECT_EQ(entries[2].year, QStringLiteral("1982"));
    EXPECT_EQ(entries[2].resolution, QStringLiteral("320x240"));
    EXPECT_EQ(entries[2].size, mebibytesUnder(tron));

    ScanHarness again(o);
    ASSERT_EQ(again.scanExisting(discs(), cat), ScanOutcome::Finished);
    EXPECT_EQ(entriesOf(cat).size(), 3u);
    EXPECT_EQ(again.messages().filter(QStringLiteral("Doublons détecté : 3")).size(), 1)
        << again.messages().join(u'\n').toStdString();

    // The check finds every disc where the catalogue says, and nothing new.
    const CatalogueCheck check = checkCatalogue(cat, {discs()}, mediaProbe(again.context->AccesFonctionsMedia));
    EXPECT_TRUE(check.gone.empty());
    EXPECT_EQ(check.newFiles, QStringList {});
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DiscFolderScan, ::testing::Combine(::testing::Values(".xml", ".amc"), ::testing::Bool()));

// The scan pointed at the disc itself, or at its VIDEO_TS: the film is named
// after the folder that holds VIDEO_TS.
TEST(DiscFolderScan, TheDiscItselfOrItsVideoTsFolderIsTheFilm)
{
    for (const QString& root :
        {discs() + QStringLiteral("/Playtime (1967)"), discs() + QStringLiteral("/Playtime (1967)/VIDEO_TS")}) {
        QTemporaryDir out;
        const QString cat = out.filePath(QStringLiteral("films.xml"));
        ScanHarness h;
        ASSERT_EQ(h.scanNew(root, cat), ScanOutcome::Finished);
        const std::vector<Entry> entries = entriesOf(cat);
        ASSERT_EQ(entries.size(), 1u) << root.toStdString();
        EXPECT_EQ(entries[0].url, root);
        EXPECT_EQ(entries[0].title, QStringLiteral("Playtime"));
        EXPECT_EQ(entries[0].year, QStringLiteral("1967"));
    }
}
