// Completing a catalogue never loses what it held: damaged files, backups,
// linked pictures, a catalogue changed since it was chosen, two runs at once,
// kills, full disks.
#include "catalog/AmcBytes.h"
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "platform/CatalogueLock.h"
#include "platform/SafeFile.h"
#include "support/CliSandbox.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"
#include "support/ScanFolder.h"
#include "support/ScanHarness.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <sys/stat.h>

using namespace filmarch;
using namespace filmarch::test;

using filmarch::test::filesIn;
using filmarch::test::readFile;
using filmarch::test::writeFile;

namespace {

// Entries numbered 1..n, each with a URL elsewhere and a small picture.
QByteArray catalogueBytes(int n, int version = 35)
{
    TMovieList list;
    for (int i = 1; i <= n; ++i) {
        TMovie& m = list.Add();
        m.iNumber = i;
        m.strURL = QStringLiteral("D:\\Ailleurs\\film%1.avi").arg(i);
        m.strPicture = QStringLiteral(".jpg");
        m.Picture = QByteArray(300 + i, char('a' + i % 26));
    }
    return list.SaveToBytes(version);
}

struct Loaded {
    QList<int> numbers;
    int damaged = 0;
};

Loaded load(const QString& path)
{
    TMovieList list;
    list.LoadFromFile(path);
    Loaded l;
    for (int i = 0; i < list.Count(); ++i)
        l.numbers << list.GetItem(i).iNumber;
    l.damaged = list.damagedEntry();
    return l;
}

const QString kDamaged = QStringLiteral("Le catalogue est endommagé à partir de l'entrée %1 : il n'est pas complété.");

} // namespace

TEST(CatalogueSafety, ADamagedCatalogueIsRefusedAndLeftAsItIsWithItsBackup)
{
    const QByteArray good = catalogueBytes(7);
    const qsizetype headerAndProperties = TMovieList().SaveToBytes(35).size();
    TMovieList sizes;
    sizes.LoadFromBytes(good);
    QList<qsizetype> starts {headerAndProperties};
    for (int i = 0; i < 7; ++i)
        starts << starts.last() + sizes.EntryBytes(sizes.GetItem(i), 35).size();

    QByteArray wrongLength = good; // the medium label of entry 2 claims more bytes than the file has
    qToLittleEndian<qint32>(0x7FFF0000, wrongLength.data() + starts[1] + 33);
    QByteArray pictureOffByOne = good; // the picture of the last entry, one byte longer than stored
    const qsizetype lastPictureCount = starts[7] - (300 + 7) - 4;
    qToLittleEndian<qint32>(300 + 7 + 1, pictureOffByOne.data() + lastPictureCount);
    const struct {
        const char* name;
        QByteArray bytes;
        int entry;
    } cases[] = {
        {"wrong length in entry 2", wrongLength, 2},
        {"cut inside entry 5", good.left(starts[4] + 40), 5},
        {"cut inside the picture of entry 6", good.left(starts[6] - 100), 6},
        {"picture length off by one", pictureOffByOne, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir out;
        const QString cat = out.filePath(QStringLiteral("films.amc"));
        writeFile(cat, c.bytes);
        writeFile(cat + QStringLiteral(".bak"), good);
        ScanHarness h;
        EXPECT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::NotStarted);
        EXPECT_EQ(h.dialogs.messages, QStringList {kDamaged.arg(c.entry)});
        // Chosen in the window before, damaged since: the run refuses it too.
        ScanRequest r;
        r.EdCheminRepScan = scanFolder();
        r.EdCheminCataloExistant = cat;
        EXPECT_EQ(h.run->BtLanceScanClick(r).outcome, ScanOutcome::NotStarted);
        EXPECT_EQ(h.dialogs.messages.value(1), kDamaged.arg(c.entry));
        EXPECT_EQ(readFile(cat), c.bytes);
        EXPECT_EQ(readFile(cat + QStringLiteral(".bak")), good);
        EXPECT_TRUE(h.messages().filter(QStringLiteral("Nouvelles entrées")).isEmpty());
    }
}

TEST(CatalogueSafety, TheBackupIsTheFileAsItWasAndLinkedPicturesAreLeftAlone)
{
    // A 3.1 catalogue whose entry 2 links films_2.jpg beside it.
    Bytes bytes;
    bytes.raw(header31).raw(properties(31, "Moi"));
    Record first = numbered(1);
    first.ints[2] = 7;
    bytes.raw(record(31, first));
    Record second = numbered(2);
    second.strings[21] = "films_2.jpg";
    bytes.raw(record(31, second));
    const QByteArray original = bytes;

    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    writeFile(cat, original);
    writeFile(out.filePath(QStringLiteral("films_2.jpg")), "JPEG");
    ScanHarness h;
    ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::Finished);

    EXPECT_EQ(readFile(cat + QStringLiteral(".bak")), original);
    TMovieList list;
    list.LoadFromFile(cat);
    ASSERT_EQ(list.Count(), 2 + kRootVideos);
    list.Sort(fieldNumber);
    EXPECT_EQ(list.GetItem(1).strPicture, QStringLiteral("films_2.jpg"));
    EXPECT_EQ(list.GetItem(0).iRating, 70);
    EXPECT_EQ(filesIn(out.path()),
        (QStringList {QStringLiteral("films.amc"), QStringLiteral("films.amc.bak"), QStringLiteral("films_2.jpg")}));
}

TEST(CatalogueSafety, ARunCompletesTheCatalogueAsItIsOnDiskWhenItStarts)
{
    for (const QString& name : {QStringLiteral("films.amc"), QStringLiteral("films.xml")}) {
        SCOPED_TRACE(name.toStdString());
        QTemporaryDir out, one, two;
        const QString cat = out.filePath(name);
        QFile::copy(
            QDir(scanFolder()).filePath(QStringLiteral("Le.Film.2001.mkv")), one.filePath(QStringLiteral("a.mkv")));
        QFile::copy(
            QDir(scanFolder()).filePath(QStringLiteral("Le.Film.2001.mkv")), two.filePath(QStringLiteral("b.mkv")));
        ScanHarness first, other;
        ASSERT_EQ(first.scanNew(one.path(), cat), ScanOutcome::Finished);
        // The window chose it (1 entry), then another run added one.
        ASSERT_EQ(first.run->validitecatalogue(cat), 1);
        ASSERT_EQ(other.scanExisting(two.path(), cat), ScanOutcome::Finished);
        // With the page left as it was when chosen.
        ScanRequest r;
        r.EdCheminRepScan = two.path();
        r.EdCheminCataloExistant = cat;
        first.options.values.CbEviterDoublons = false;
        const ScanResult result = first.run->BtLanceScanClick(r);
        ASSERT_EQ(result.outcome, ScanOutcome::Finished);
        const int total = name.endsWith(QStringLiteral(".xml")) ? XmlCatalogue::loadFile(cat)->movieCount()
                                                                : load(cat).numbers.size();
        EXPECT_EQ(total, 3);
        EXPECT_EQ(result.entriesAtStart, 2);
        EXPECT_TRUE(first.messages().contains(QStringLiteral("Catalogue complété à l'emplacement ") + cat));
        EXPECT_EQ(first.messages().filter(QStringLiteral("Nouvelles entrées : 1         Nombre Total : 3")).size(), 1);
    }
}

TEST(CatalogueSafety, ALockedCatalogueIsRefusedAndLeftoversOfKilledRunsGo)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    writeFile(cat, catalogueBytes(2));
    const QStringList leftovers {QStringLiteral(".films.amc.filmarch-tmp-Ab12Cd"),
        QStringLiteral(".films.amc.bak.filmarch-tmp-x"), QStringLiteral("films.amc.bak.tmp-Ix4aaL"),
        QStringLiteral("films.amc.tmp-fd79PE")};
    for (const QString& name : leftovers)
        writeFile(out.filePath(name), "reste");
    writeFile(out.filePath(QStringLiteral("films.amc.notes")), "à moi");

    ScanHarness h;
    {
        CatalogueLock other;
        ASSERT_TRUE(other.tryLock(cat));
        EXPECT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::NotStarted);
        ScanRequest r;
        r.EdCheminRepScan = scanFolder();
        r.EdCheminCataloExistant = cat;
        EXPECT_EQ(h.run->BtLanceScanClick(r).outcome, ScanOutcome::NotStarted);
        EXPECT_EQ(
            h.dialogs.messages, QStringList(2, QStringLiteral("Le catalogue est déjà utilisé par un autre scan.")));
        EXPECT_TRUE(h.progress.names.isEmpty());
        EXPECT_EQ(filesIn(out.path()).size(), 7);
    }
    ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::Finished);
    EXPECT_EQ(load(cat).numbers.size(), 2 + kRootVideos);
    EXPECT_EQ(filesIn(out.path()),
        (QStringList {
            QStringLiteral("films.amc"), QStringLiteral("films.amc.bak"), QStringLiteral("films.amc.notes")}));
}

// Something that is not a lock file at the lock's name: no run can hold the
// lock there, so none writes (two would otherwise write at once).
TEST(CatalogueSafety, ACatalogueThatCannotBeLockedIsNeverWritten)
{
    const struct {
        const char* obstacle;
        QString reason;
    } cases[] = {
        {"dossier", QStringLiteral("est un dossier")},
        {"lien", QStringLiteral("est un lien symbolique")},
        {"lien cassé", QStringLiteral("est un lien symbolique")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.obstacle);
        QTemporaryDir out;
        for (const QString& name : {QStringLiteral("films.amc"), QStringLiteral("films.xml")}) {
            const QString cat = out.filePath(name);
            const QString lock = out.filePath(QLatin1Char('.') + name + QStringLiteral(".filmarch-lock"));
            if (std::strcmp(c.obstacle, "dossier") == 0)
                ASSERT_TRUE(QDir().mkdir(lock));
            else
                ASSERT_TRUE(
                    QFile::link(std::strcmp(c.obstacle, "lien") == 0 ? scanFolder() + QStringLiteral("/notes.txt")
                                                                     : out.filePath(QStringLiteral("rien")),
                        lock));
            ScanHarness h;
            EXPECT_EQ(h.scanNew(scanFolder(), cat), ScanOutcome::NotStarted);
            EXPECT_FALSE(QFileInfo::exists(cat));
            writeFile(cat, name.endsWith(QStringLiteral(".amc")) ? catalogueBytes(2) : QByteArray());
            const QByteArray before = readFile(cat);
            EXPECT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::NotStarted);
            EXPECT_EQ(readFile(cat), before);
            ASSERT_EQ(h.dialogs.messages.size(), 2);
            for (const QString& m : std::as_const(h.dialogs.messages)) {
                EXPECT_TRUE(m.startsWith(QStringLiteral("Le catalogue ne peut pas être réservé pour ce scan")))
                    << qPrintable(m);
                EXPECT_TRUE(m.contains(lock + QLatin1Char(' ') + c.reason)) << qPrintable(m);
            }
            EXPECT_TRUE(h.progress.names.isEmpty());
        }
    }
    // Where no one could write the catalogue, that is the reason given.
    QTemporaryDir out;
    ScanHarness h;
    EXPECT_EQ(
        h.scanNew(scanFolder(), out.filePath(QStringLiteral("absent/films.xml"))), ScanOutcome::CatalogueNotWritten);
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_TRUE(h.dialogs.messages[0].startsWith(QStringLiteral("Enregistrement du catalogue impossible")))
        << qPrintable(h.dialogs.messages[0]);
}

// Names as long as the file system allows: the lock, the temporaries and the
// backup get names that fit, and the next run still finds what a killed one left.
TEST(CatalogueSafety, ACatalogueOfTheLongestNameIsCompleted)
{
    for (const QString& ext : {QStringLiteral(".amc"), QStringLiteral(".xml")}) {
        SCOPED_TRACE(qPrintable(ext));
        QTemporaryDir out;
        const QString cat = out.filePath(QString(243, u'f') + QStringLiteral("été") + QString(3, u'x') + ext);
        ASSERT_EQ(QFile::encodeName(QFileInfo(cat).fileName()).size(), 255);
        ScanOptions keepAll;
        keepAll.CbEviterDoublons = false;
        ScanHarness h(keepAll);
        ASSERT_EQ(h.scanNew(scanFolder(), cat), ScanOutcome::Finished) << qPrintable(h.dialogs.messages.join(u'|'));
        const QByteArray first = readFile(cat);
        writeFile(QFile::decodeName(besideName(QFile::encodeName(cat), ".", ".filmarch-tmp-Ab12Cd")), "reste");
        ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::Finished)
            << qPrintable(h.dialogs.messages.join(u'|'));
        EXPECT_EQ(h.messages().filter(QStringLiteral("Nombre Total : %1 ").arg(2 * kRootVideos)).size(), 1);
        QStringList expected {QFileInfo(cat).fileName()};
        if (ext == QLatin1String(".amc")) {
            const QString backup = backupFileName(cat);
            EXPECT_TRUE(backup.endsWith(QStringLiteral(".bak")));
            EXPECT_EQ(readFile(backup), first);
            expected << QFileInfo(backup).fileName();
        }
        expected.sort();
        EXPECT_EQ(filesIn(out.path()), expected);
    }
}

TEST(CatalogueSafety, AFullDiskKeepsTheCatalogueWholeAndTheLogTruthful)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    const QByteArray original = catalogueBytes(3);
    writeFile(cat, original);
    ScanHarness h;
    {
        // Room for the backup, not for a new entry.
        const FileSizeLimit limit(original.size() + 10);
        ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::CatalogueNotWritten);
    }
    EXPECT_EQ(readFile(cat), original);
    EXPECT_EQ(readFile(cat + QStringLiteral(".bak")), original);
    EXPECT_EQ(h.messages().filter(QStringLiteral("Enregistrement du catalogue impossible : ") + cat).size(), 1);
    EXPECT_TRUE(h.messages().filter(QStringLiteral("Nouvelles entrées")).isEmpty());
    EXPECT_TRUE(h.messages().filter(QStringLiteral("aucune video")).isEmpty());
}

// A full disk at the final save of an XML catalogue: the catalogue stays as
// it was, the log says how many entries were not saved and why, and the next
// run saves them without analysing their files again.
TEST(CatalogueSafety, AFailedXmlSaveKeepsWhatWasAnalysedForTheNextRun)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    {
        auto earlier = XmlCatalogue::createNew();
        for (int i = 1; i <= 200; ++i) {
            XmlCatalogue::Movie m = earlier->appendMovie();
            m.setAttribute(QStringLiteral("Number"), QString::number(i));
            m.setAttribute(QStringLiteral("URL"), QStringLiteral("/ailleurs/film%1.mkv").arg(i));
            m.setAttribute(QStringLiteral("Description"), QString(500, u'd'));
        }
        earlier->saveFile(cat);
    }
    const QByteArray original = readFile(cat);
    const QString pending = out.filePath(QStringLiteral("films.en-attente.xml"));
    const QString films = scanFolder(); // made before the disk is full
    {
        ScanHarness h;
        {
            // Room for the new entries, not for the whole catalogue.
            const FileSizeLimit limit(original.size() / 2);
            ASSERT_EQ(h.scanExisting(films, cat), ScanOutcome::CatalogueNotWritten);
        }
        EXPECT_EQ(readFile(cat), original);
        const QStringList said =
            h.messages().filter(QStringLiteral("%1 entrées analysées n'ont pas été enregistrées").arg(kRootVideos));
        ASSERT_EQ(said.size(), 1) << qPrintable(h.messages().join(u'\n'));
        EXPECT_TRUE(said[0].contains(pending)) << qPrintable(said[0]);
        EXPECT_EQ(h.messages().filter(QStringLiteral("fichier trop grand pour le disque")).size(), 1)
            << qPrintable(h.messages().join(u'\n'));
        ASSERT_EQ(h.dialogs.messages.size(), 1);
        EXPECT_TRUE(h.dialogs.messages[0].contains(said[0]));
        EXPECT_EQ(XmlCatalogue::loadFile(pending)->movieCount(), kRootVideos);
    }
    // Files already analysed are not analysed again, even where duplicates are allowed.
    ScanOptions keepAll;
    keepAll.CbEviterDoublons = false;
    ScanHarness h(keepAll);
    ASSERT_EQ(h.scanExisting(films, cat), ScanOutcome::Finished);
    EXPECT_EQ(XmlCatalogue::loadFile(cat)->movieCount(), 200 + kRootVideos);
    EXPECT_EQ(h.messages().filter(QStringLiteral("Nouvelles entrées : %1 ").arg(kRootVideos)).size(), 1)
        << qPrintable(h.messages().join(u'\n'));
    EXPECT_FALSE(QFileInfo::exists(pending));
}

// What a run killed while adding an entry leaves: the lock file saying how far
// the file was whole, and part of a record after that.
TEST(CatalogueSafety, TheEntryAKilledRunWasAddingIsCutByTheNextRun)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    const QByteArray whole = catalogueBytes(4);
    writeFile(cat, whole + record(35, numbered(5)).left(50));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(cat).constData(), &st), 0);
    writeFile(out.filePath(QStringLiteral(".films.amc.filmarch-lock")),
        QStringLiteral("filmarch %1 %2 %3\n").arg(st.st_dev).arg(st.st_ino).arg(whole.size()).toUtf8());

    ScanHarness h;
    ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::Finished);
    EXPECT_EQ(readFile(cat + QStringLiteral(".bak")), whole);
    const Loaded l = load(cat);
    EXPECT_EQ(l.damaged, 0);
    EXPECT_EQ(l.numbers, (QList<int> {1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(filesIn(out.path()), (QStringList {QStringLiteral("films.amc"), QStringLiteral("films.amc.bak")}));
}

namespace {

// filmarch-cli in its own folder, keeping every file (no duplicate check).
struct CliFolder : CliSandbox {
    CliFolder() { writeOptions("[General]\nDoublons=0\n"); }
    void start(QProcess& p, const QString& catalogue) const
    {
        QStringList arguments {QStringLiteral("-R"), scanFolder(), catalogue};
        if (const int taches = qEnvironmentVariableIntValue("FILMARCH_TACHES"); taches > 0)
            arguments << QStringLiteral("-j") << QString::number(taches);
        CliSandbox::start(p, arguments);
        p.waitForStarted();
    }
};

} // namespace

TEST(CatalogueSafety, TwoRunsAtOnceNeverLoseEntries)
{
    CliFolder cli;
    for (int trial = 0; trial < 4; ++trial) {
        QTemporaryDir out;
        const QString cat = out.filePath(QStringLiteral("films.amc"));
        writeFile(cat, catalogueBytes(5));
        QProcess a, b;
        cli.start(a, cat);
        cli.start(b, cat);
        a.waitForFinished(60000);
        b.waitForFinished(60000);
        int added = 0;
        for (QProcess* p : {&a, &b}) {
            if (p->exitCode() == 0)
                added += kRootVideos;
            else
                EXPECT_TRUE(QString::fromUtf8(p->readAllStandardError() + p->readAllStandardOutput())
                                .contains(QStringLiteral("déjà utilisé")));
        }
        EXPECT_GE(added, kRootVideos);
        const Loaded l = load(cat);
        EXPECT_EQ(l.damaged, 0);
        EXPECT_EQ(l.numbers.size(), 5 + added);
        EXPECT_EQ(QSet<int>(l.numbers.begin(), l.numbers.end()).size(), l.numbers.size());
        EXPECT_EQ(filesIn(out.path()), (QStringList {QStringLiteral("films.amc"), QStringLiteral("films.amc.bak")}));
    }
}

// A completion killed at random moments, again and again: after each kill the
// catalogue loads with every entry it held and only whole new entries, and the
// next validation takes it (cutting what the killed run was adding).
// FILMARCH_SEED replays the moments of a run that failed (its seed is in the
// failure message).
TEST(CatalogueSafety, KilledRunsLeaveACatalogueThatLoadsWhole)
{
    const quint32 seed = qEnvironmentVariableIsSet("FILMARCH_SEED")
        ? quint32(qEnvironmentVariable("FILMARCH_SEED").toULong())
        : QRandomGenerator::global()->generate();
    SCOPED_TRACE("FILMARCH_SEED=" + std::to_string(seed));
    std::cout << "FILMARCH_SEED=" << seed << '\n';
    QRandomGenerator moments(seed);
    CliFolder cli;
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    writeFile(cat, catalogueBytes(300));
    QElapsedTimer timer;
    timer.start();
    {
        QProcess p;
        cli.start(p, cat);
        p.waitForFinished(60000);
        ASSERT_EQ(p.exitCode(), 0);
    }
    const int runMs = std::max<int>(50, int(timer.elapsed()));
    int expected = 300 + kRootVideos;
    for (int kill = 0; kill < 30; ++kill) {
        QProcess p;
        cli.start(p, cat);
        QThread::msleep(moments.bounded(runMs));
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished(10000);

        TMovieList list;
        list.LoadFromFile(cat);
        ASSERT_GE(list.Count(), expected) << "kill " << kill;
        for (int i = 0; i < 300; ++i)
            ASSERT_EQ(list.GetItem(i).iNumber, i + 1);
        for (int i = 300; i < list.Count(); ++i)
            ASSERT_TRUE(list.GetItem(i).strURL.startsWith(scanFolder())) << "kill " << kill << " entry " << i;

        ScanHarness h;
        const int n = h.run->validitecatalogue(cat);
        ASSERT_EQ(n, list.Count()) << "kill " << kill << ": " << h.dialogs.messages.join(u'|').toStdString();
        expected = n;
    }
}
