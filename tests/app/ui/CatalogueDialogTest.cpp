// The catalogue choosers through Qt's real file dialog, answered by a user.
#include "FileDialogUser.h"
#include "WindowFixture.h"

#include "app/ui/QtUserDialogs.h"
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"

#include <QLineEdit>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class CatalogueDialog : public WindowFixture {
protected:
    TForm1& openWithRealDialogs()
    {
        TForm1& f = openWindow(true, &realDialogs);
        realDialogs.setParentWidget(&f);
        return f;
    }

    QtUserDialogs realDialogs;
    QTemporaryDir out;
};

} // namespace

TEST_F(CatalogueDialog, NewCatalogueTakesTheTypeOfTheFilterChosenAtClosing)
{
    QDir(out.path()).mkpath(QStringLiteral("amc/films"));
    struct Case {
        const char* name;
        bool xmlBox;
        QString initialFilter;
        QString pick;   // empty: the filter the dialog opened on
        QString typed;
        QString expected;
        QString folder = {};
    };
    const QString amc = QStringLiteral("Fichier amc"), xml = QStringLiteral("Fichier xml");
    const Case cases[] = {
        {"AMC box, a bare name", false, amc, {}, QStringLiteral("Films"), QStringLiteral("Films.amc")},
        {"XML box, a bare name", true, xml, {}, QStringLiteral("Films"), QStringLiteral("Films.xml")},
        {"AMC picked by hand, the name with its extension", true, xml, amc, QStringLiteral("Films2.amc"),
         QStringLiteral("Films2.amc")},
        {"XML picked over the AMC box", false, amc, xml, QStringLiteral("Films"), QStringLiteral("Films.xml")},
        {"a name with the other type's extension keeps it", false, amc, {}, QStringLiteral("Films.xml"),
         QStringLiteral("Films.xml")},
        {"a folder named amc is no extension", false, amc, {}, QStringLiteral("Films"),
         QStringLiteral("amc/films/Films.amc"), QStringLiteral("amc/films")},
    };
    TForm1& f = openWithRealDialogs();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.CbNouveauCataXML->setChecked(c.xmlBox);
        f.CbNouveauCataAMC->setChecked(!c.xmlBox);
        FileDialogUser user;
        user.filter = c.pick;
        user.folder = out.filePath(c.folder);
        user.name = c.typed;
        user.answerNextDialog();
        click(f.BtCherchCataloCree);
        ASSERT_TRUE(user.answered);
        EXPECT_EQ(user.initialFilter, c.initialFilter);
        EXPECT_EQ(f.EdCheminCataloCree->text(), out.filePath(c.expected));
        EXPECT_EQ(f.scanRun->CatalogueActif, out.filePath(c.expected));
    }
}

TEST_F(CatalogueDialog, OpenChooserListsBothCatalogueTypes)
{
    const QString amc = out.filePath(QStringLiteral("films.amc"));
    {
        TMovieList list;
        list.Add().iNumber = 1;
        list.SaveToFile(amc, amc, 40);
    }
    XmlCatalogue::createNew()->saveFile(out.filePath(QStringLiteral("films.xml")));
    QFile notes(out.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();

    TForm1& f = openWithRealDialogs();
    FileDialogUser user;
    user.folder = out.path();
    user.expectListed = 2;
    user.name = QStringLiteral("films.amc");
    user.answerNextDialog();
    click(f.BtCherchCataloExist);

    ASSERT_TRUE(user.answered);
    EXPECT_EQ(user.initialFilter, QStringLiteral("Catalogues compatibles"));
    EXPECT_EQ(user.listed, (QStringList{QStringLiteral("films.amc"), QStringLiteral("films.xml")}));
    EXPECT_EQ(f.EdCheminCataloExistant->text(), amc);
    EXPECT_EQ(f.EdNbrFilmsExist->text(), QStringLiteral("1"));
}
