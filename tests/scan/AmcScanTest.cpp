// Scans of real files into AMC catalogues.
#include "catalog/MovieList.h"
#include "support/ScanFolder.h"
#include "support/ScanHarness.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

QList<int> numbersInFileOrder(const QString& path)
{
    TMovieList list;
    list.LoadFromFile(path);
    QList<int> numbers;
    for (int i = 0; i < list.Count(); ++i)
        numbers << list.GetItem(i).iNumber;
    return numbers;
}

QByteArray header(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.read(32);
}

// A catalogue of entries numbered `numbers`, saved in version 4.1.
void writeCatalogue(const QString& path, const QList<int>& numbers)
{
    TMovieList list;
    for (int n : numbers) {
        TMovie& m = list.Add();
        m.iNumber = n;
        m.strURL = QStringLiteral("D:\\Ailleurs\\film%1.avi").arg(n);
    }
    list.SaveToFile(path, path, 41);
}

} // namespace

TEST(AmcScan, NewCatalogueNumbersAndOrder)
{
    ScanHarness h;
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(h.scanNew(scanFolder(), cat), ScanOutcome::Finished);

    // Each entry is added at the end of the file.
    EXPECT_EQ(numbersInFileOrder(cat), (QList<int> {1, 2, 3}));
    EXPECT_EQ(header(cat), QByteArray(" AMC_3.5 Ant Movie Catalog 3.5.x"));
    EXPECT_EQ(h.progress.highest, kRootFiles);

    TMovieList list;
    list.LoadFromFile(cat);
    for (int i = 0; i < list.Count(); ++i) {
        const TMovie& m = list.GetItem(i);
        EXPECT_TRUE(m.bChecked);
        EXPECT_EQ(m.strResolution, QStringLiteral("64x48"));
        EXPECT_EQ(m.iDisks, 0);
        EXPECT_FALSE(m.Picture.has_value());
        if (m.strURL.endsWith(QStringLiteral("Le.Film.2001.mkv"))) {
            EXPECT_EQ(m.iYear, 2001); // the file name's year, with no lookup
            EXPECT_EQ(m.strTranslatedTitle, QStringLiteral("Le Film "));
            EXPECT_EQ(m.strLanguages, QStringLiteral("French, English"));
        }
    }
    EXPECT_TRUE(h.messages().filter(QStringLiteral("Nouvelles entrées : 3         Nombre Total : 3")).size() == 1);
}

TEST(AmcScan, CompletionFillsNumberGapsAndKeepsTheVersion)
{
    QTemporaryDir out, two;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    writeCatalogue(cat, {1, 2, 4});
    QFile::copy(QDir(scanFolder()).filePath(QStringLiteral("Le.Film.2001.mkv")), two.filePath(QStringLiteral("a.mkv")));
    QFile::copy(QDir(scanFolder()).filePath(QStringLiteral("Le.Film.2001.mkv")), two.filePath(QStringLiteral("b.mkv")));

    ScanHarness h;
    ASSERT_EQ(h.scanExisting(two.path(), cat), ScanOutcome::Finished);
    // The backup holds the catalogue as the run found it.
    EXPECT_EQ(numbersInFileOrder(cat + QStringLiteral(".bak")), (QList<int> {1, 2, 4}));
    EXPECT_EQ(numbersInFileOrder(cat), (QList<int> {1, 2, 4, 3, 5}));
    EXPECT_EQ(header(cat), QByteArray(" AMC_4.1 Ant Movie Catalog 4.1.x"));
    EXPECT_EQ(h.messages()
                  .filter(QStringLiteral("Nouvelles entrées : 2         Nombre Total : 5         Doublons détecté : 0"))
                  .size(),
        1);
}

TEST(AmcScan, CompletionSkipsCataloguedNames)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    {
        TMovieList list;
        list.Add().strURL = QStringLiteral("E:\\Autre\\Le.Film.2001.mkv");
        list.GetItem(0).iNumber = 1;
        list.SaveToFile(cat, cat, 35);
    }
    ScanHarness h;
    ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::Finished);
    EXPECT_EQ(numbersInFileOrder(cat).size(), 1 + kRootVideos - 1);
    EXPECT_EQ(h.messages().filter(QStringLiteral("Doublons détecté : 1")).size(), 1);
}

TEST(AmcScan, ReadOnlyCatalogueIsRefusedBeforeAnythingIsAnalysed)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    writeCatalogue(cat, {1});
    ScanHarness h;
    ASSERT_GE(h.run->validitecatalogue(cat), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(cat).constData(), 0444), 0);
    ScanRequest r;
    r.EdCheminRepScan = scanFolder();
    r.EdCheminCataloExistant = cat;
    ASSERT_EQ(h.run->BtLanceScanClick(r).outcome, ScanOutcome::CatalogueNotWritten);

    EXPECT_EQ(h.dialogs.messages,
        QStringList {QStringLiteral("Enregistrement impossible : Si le fichier est corrompue, une sauvegarde en "
                                    ".bak se trouve dans le dossier du catalogue sélectionné")});
    EXPECT_TRUE(h.progress.names.isEmpty());
    EXPECT_EQ(h.messages().filter(QStringLiteral("Enregistrement du catalogue impossible : ")).size(), 1);
    EXPECT_TRUE(h.messages().filter(QStringLiteral("Nouvelles entrées")).isEmpty());
    EXPECT_EQ(numbersInFileOrder(cat), QList<int> {1});
    ::chmod(QFile::encodeName(cat).constData(), 0644);
}

TEST(AmcScan, UnreadableCatalogueIsRefused)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("abime.amc"));
    QFile f(cat);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("pas un catalogue");
    f.close();
    ScanHarness h;
    EXPECT_EQ(h.run->validitecatalogue(cat), -1);
    EXPECT_EQ(h.dialogs.messages, QStringList {QStringLiteral("Chargement du catalogue à compléter impossible")});
    EXPECT_EQ(h.run->validitecatalogue(QStringLiteral("films.AMC")), -1); // other extension: no message
    EXPECT_EQ(h.run->validitecatalogue(QString()), -1);
    EXPECT_EQ(h.dialogs.messages.size(), 1);
}

TEST(AmcScan, AnEntryThatCannotBeFilledIsRemovedAgain)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    writeCatalogue(cat, {1, 2});
    ScanHarness h;
    // A year that is not a number makes every new entry fail while it is filled.
    h.run->infosFilmAllo[InfoAnneeProduction] = QStringLiteral("mil neuf cent");
    ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::Finished);
    EXPECT_EQ(h.messages().filter(QStringLiteral("Fichier non traité par le scan, une erreur est survenu : ")).size(),
        kRootVideos);
    EXPECT_EQ(numbersInFileOrder(cat), (QList<int> {1, 2}));
    EXPECT_EQ(h.progress.highest, kRootFiles);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.messages().contains(QStringLiteral("Fichiers non traités : %1").arg(kRootVideos)));
}
