// What a run writes does not depend on how many files are analysed at once:
// the catalogue, the posters, the log and the progress are the same, byte for
// byte, with one file at a time and with four.
#include "support/CoreApplication.h"
#include "support/FakeFilmDatabase.h"
#include "support/FileBytes.h"
#include "support/MatroskaFixtures.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sys/stat.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

// Everything a run leaves that a user could see.
struct RunTrace {
    QByteArray catalogue;
    std::map<QString, QByteArray> posters;
    QStringList log, progress, dialogs;
    int highest = 0, max = 0;
    bool operator==(const RunTrace&) const = default;
};

class PipelineScan : public ::testing::Test {
protected:
    // Films, a film already catalogued, Matroska files with covers, files that
    // are not films, a file that cannot be read, and a sub-folder.
    static void SetUpTestSuite()
    {
        ensureCoreApplication();
        root = new QTemporaryDir;
        const QDir d(root->path());
        d.mkpath(QStringLiteral("films/sous"));
        d.mkpath(QStringLiteral("deja"));
        const QString plain = root->filePath(QStringLiteral("plain.mkv"));
        makeVideo(plain);
        for (const char* name : {"Alien (1979).mp4", "Brazil.mp4", "Cube (1997).mp4", "Dune.mp4", "sous/Eden.mp4"})
            QFile::copy(plain, film(QLatin1String(name)));
        attachFiles(plain, film(QStringLiteral("Alpha.mkv")), {picture(QStringLiteral("cover.jpg"))});
        attachFiles(plain, film(QStringLiteral("Bravo.mkv")),
            {picture(QStringLiteral("notes.png")), picture(QStringLiteral("front.jpg"))});
        makeAudioOnly(film(QStringLiteral("musique.mp3")));
        makePicture(film(QStringLiteral("affiche.png")));
        makeTextFile(film(QStringLiteral("notes.txt")));
        ::mkfifo(QFile::encodeName(film(QStringLiteral("tube.mp4"))).constData(), 0644);
        // Catalogued before: duplicates when a catalogue is completed.
        QFile::copy(plain, root->filePath(QStringLiteral("deja/Brazil.mp4")));
        QFile::copy(film(QStringLiteral("Alpha.mkv")), root->filePath(QStringLiteral("deja/Alpha.mkv")));
        QFile::remove(plain);
    }
    static void TearDownTestSuite() { delete root; }
    static QString film(const QString& name) { return root->filePath(QStringLiteral("films/") + name); }

    // A service that sees its first client: some films are found, one with a
    // poster to download.
    void newService()
    {
        service = std::make_unique<FakeFilmDatabase>();
        FakeSearch alien, cube, dune;
        alien.films = FakeFilmDatabase::numberedFilms(3, 1000, 1978);
        cube.films = FakeFilmDatabase::numberedFilms(2, 2000, 1997);
        dune.films = FakeFilmDatabase::numberedFilms(1, 3000, 1984);
        dune.films[0].posterHref = service->posterUrl("dune.jpg").toStdString();
        service->picture = "\xFF\xD8 bytes of the poster of Dune";
        service->addSearch("ALIEN", alien);
        service->addSearch("CUBE", cube);
        service->addSearch("DUNE", dune);
    }

    ScanOptions options(const QString& posters) const
    {
        ScanOptions o;
        o.CbAlloAuto = true;
        o.Serveur = service->host();
        o.CbExploreSousRep = true;
        o.CbAffiche = true;
        o.CbPieceJointe = true;
        o.EdRepAffiche = posters;
        return o;
    }

    // A run with `taches` files in hand completing `seed` (new catalogue when
    // empty) at the same place as every other run.
    RunTrace scan(const QString& extension, int taches, const QByteArray& seed, Analysis analysis)
    {
        QDir(work.path()).removeRecursively();
        QDir().mkpath(work.path());
        const QString posters = work.filePath(QStringLiteral("affiches"));
        const QString cat = work.filePath(QStringLiteral("films") + extension);
        newService();
        ScanHarness h(options(posters), [taches](ScanFrontEnd& f) { f.taches = taches; }, analysis);
        if (seed.isEmpty()) {
            EXPECT_EQ(h.scanNew(root->filePath(QStringLiteral("films")), cat), ScanOutcome::Finished);
        } else {
            writeFile(cat, seed);
            EXPECT_EQ(h.scanExisting(root->filePath(QStringLiteral("films")), cat), ScanOutcome::Finished);
        }
        // The files were analysed in helpers, or not, and those stay for the next run.
        const int helpers = analysis == Analysis::InHelpers ? (taches == 1 ? 1 : taches + 1) : 0;
        EXPECT_EQ(analysisHelpersRunningFrom(h.app.path()), helpers);
        RunTrace t;
        t.catalogue = readFile(cat);
        for (const QString& name : QDir(posters).entryList(QDir::Files | QDir::Hidden))
            t.posters[name] = readFile(QDir(posters).filePath(name));
        static const QRegularExpression elapsed(QStringLiteral("Temps écoulé :.*$"));
        for (QString line : h.messages())
            t.log << line.remove(elapsed);
        t.progress = h.progress.names;
        t.dialogs = h.dialogs.messages;
        t.highest = h.progress.highest;
        t.max = h.progress.max;
        return t;
    }

    // A catalogue holding the films of deja/.
    QByteArray seedCatalogue(const QString& extension)
    {
        const QString cat = out.filePath(QStringLiteral("seed") + extension);
        newService();
        ScanHarness h(options(out.filePath(QStringLiteral("affiches"))), [](ScanFrontEnd& f) { f.taches = 1; });
        EXPECT_EQ(h.scanNew(root->filePath(QStringLiteral("deja")), cat), ScanOutcome::Finished);
        return readFile(cat);
    }

    static QTemporaryDir* root;
    QTemporaryDir work, out;
    std::unique_ptr<FakeFilmDatabase> service;
};
QTemporaryDir* PipelineScan::root = nullptr;

} // namespace

// One file at a time analysed in the program, or four at once in helper processes.
TEST_F(PipelineScan, OneFileAtATimeOrFourInHelpersWriteTheSame)
{
    for (const QString& extension : {QStringLiteral(".xml"), QStringLiteral(".amc")}) {
        const QByteArray seed = seedCatalogue(extension);
        for (const bool completing : {false, true}) {
            SCOPED_TRACE(
                (extension + (completing ? QStringLiteral(" completed") : QStringLiteral(" new"))).toStdString());
            const RunTrace one = scan(extension, 1, completing ? seed : QByteArray(), Analysis::InProcess);
            const RunTrace four = scan(extension, 4, completing ? seed : QByteArray(), Analysis::InHelpers);
            // What the run met: films written with their covers, the rest logged or skipped.
            EXPECT_EQ(one.log.filter(QStringLiteral("Fichier non traité par le scan, une erreur")).size(), 1)
                << one.log.join(u'\n').toStdString();
            EXPECT_EQ(one.max, 11);
            EXPECT_EQ(one.highest, 11);
            EXPECT_EQ(one.log
                          .filter(completing ? QStringLiteral("Doublons détecté : 2")
                                             : QStringLiteral("Nouvelles entrées : 7"))
                          .size(),
                1)
                << one.log.join(u'\n').toStdString();
            EXPECT_EQ(one.posters.size(), extension == QLatin1String(".xml") ? (completing ? 2u : 3u) : 0u);
            EXPECT_EQ(one.log.filter(QStringLiteral("aucune correspondance trouvée")).size(), completing ? 2 : 4);
            EXPECT_TRUE(one.dialogs.isEmpty());

            EXPECT_EQ(four.catalogue, one.catalogue);
            EXPECT_EQ(four.posters, one.posters);
            EXPECT_EQ(four.log, one.log);
            EXPECT_EQ(four.progress, one.progress);
            EXPECT_EQ(four.highest, one.highest);
            EXPECT_EQ(four.dialogs, one.dialogs);
        }
    }
}

// The window keeps one run for its life: a run after another analyses every
// file, with the same helpers.
TEST_F(PipelineScan, EveryRunOfOneWindowAnalysesEveryFile)
{
    QTemporaryDir folder;
    for (int i = 0; i < 16; ++i)
        QFile::copy(film(QStringLiteral("Brazil.mp4")), folder.filePath(QStringLiteral("Film %1.mp4").arg(i)));
    ScanHarness h({}, [](ScanFrontEnd& f) { f.taches = 16; });
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        const qsizetype logged = h.log.size();
        const QString cat = work.filePath(QStringLiteral("films%1.xml").arg(run));
        ASSERT_EQ(h.scanNew(folder.path(), cat), ScanOutcome::Finished);
        const QStringList lines = h.messages().mid(logged);
        EXPECT_EQ(lines.filter(QStringLiteral("Fichier non traité")).size(), 0) << lines.join(u'\n').toStdString();
        EXPECT_EQ(lines.filter(QStringLiteral("Nouvelles entrées : 16 ")).size(), 1) << lines.join(u'\n').toStdString();
    }
}

// A run's helpers start with its first scan, stay for the next ones, and end
// when released between runs (the window does so after a minute without a run).
TEST_F(PipelineScan, HelpersStartWithTheFirstRunAndEndWhenReleased)
{
    QTemporaryDir folder;
    QFile::copy(film(QStringLiteral("Brazil.mp4")), folder.filePath(QStringLiteral("Brazil.mp4")));
    ScanHarness h({}, [](ScanFrontEnd& f) { f.taches = 2; });
    EXPECT_FALSE(h.run->holdsAnalysers());
    EXPECT_EQ(analysisHelpersRunningFrom(h.app.path()), 0);
    ASSERT_EQ(h.scanNew(folder.path(), work.filePath(QStringLiteral("un.xml"))), ScanOutcome::Finished);
    EXPECT_EQ(analysisHelpersRunningFrom(h.app.path()), 3);
    h.run->releaseAnalysers();
    EXPECT_EQ(analysisHelpersRunningFrom(h.app.path()), 0);
    ASSERT_EQ(h.scanNew(folder.path(), work.filePath(QStringLiteral("deux.xml"))), ScanOutcome::Finished);
    EXPECT_EQ(h.messages().filter(QStringLiteral("Nouvelles entrées : 1 ")).size(), 2);
}
