// The window completes the catalogue as it is on disk when "Lancer le scan" is
// pressed, and one decision (complete or create) drives the whole run.
#include "app/ui/WindowFixture.h"
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/ScanFolder.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class CatalogueOnDisk : public WindowFixture {
protected:
    int entries(const QString& cat) const
    {
        if (cat.endsWith(QStringLiteral(".xml")))
            return XmlCatalogue::loadFile(cat)->movieCount();
        TMovieList list;
        list.LoadFromFile(cat);
        return list.Count();
    }

    // A catalogue of `n` entries, none of them a file of the scan folder.
    static void write(const QString& cat, int n)
    {
        if (cat.endsWith(QStringLiteral(".xml"))) {
            auto doc = XmlCatalogue::createNew();
            for (int i = 1; i <= n; ++i)
                doc->appendMovie().setAttribute(QStringLiteral("Number"), QString::number(i));
            doc->saveFile(cat);
            return;
        }
        TMovieList list;
        for (int i = 1; i <= n; ++i)
            list.Add().iNumber = i;
        list.SaveToFile(cat, cat, 35);
    }

    QTemporaryDir out;
};

} // namespace

TEST_F(CatalogueOnDisk, EntriesAddedSinceTheCatalogueWasChosenAreKept)
{
    for (const QString& name : {QStringLiteral("films.amc"), QStringLiteral("films.xml")}) {
        SCOPED_TRACE(name.toStdString());
        const QString cat = out.filePath(name);
        write(cat, 4);
        TForm1& f = openWindow();
        dialogs.folders << scanFolder();
        click(control(&f, "BtChoixRepScan"));
        dialogs.openChoices << CatalogueChoice {cat, 3};
        click(control(&f, "BtCherchCataloExist"));
        ASSERT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text(), QStringLiteral("4"));

        write(cat, 6); // two entries added elsewhere (another run, the catalogue program)
        launchScan(f);
        EXPECT_EQ(entries(cat), 6 + kRootVideos);
        EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text(), QStringLiteral("6")); // as the run found it
        f.close();
    }
}

TEST_F(CatalogueOnDisk, ACancelledNewCatalogueLeavesTheRunCompletingTheRememberedOne)
{
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    write(cat, 2);
    TForm1& f = openWindow();
    dialogs.folders << scanFolder();
    click(control(&f, "BtChoixRepScan"));
    dialogs.saveChoices << CatalogueChoice {};
    click(control(&f, "BtCherchCataloCree")); // the save dialog cancelled: the count field says "0"
    ASSERT_EQ(control<QLineEdit>(&f, "EdNbrFilmsCree")->text(), QStringLiteral("0"));
    // The remembered catalogue comes back (as reading the settings again does).
    control<QLineEdit>(&f, "EdCheminCataloExistant")->setText(cat);
    control<QLineEdit>(&f, "EdNbrFilmsExist")->setText(QStringLiteral("2"));

    launchScan(f);
    EXPECT_EQ(entries(cat), 2 + kRootVideos);
    const QStringList log = control<QPlainTextEdit>(&f, "MLog")->toPlainText().split(u'\n');
    EXPECT_EQ(log.filter(QStringLiteral("Catalogue complété à l'emplacement ") + cat).size(), 1);
    EXPECT_TRUE(log.filter(QStringLiteral("Création d'un nouveau catalogue")).isEmpty());
}
