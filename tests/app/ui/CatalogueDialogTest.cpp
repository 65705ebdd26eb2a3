// The catalogue choosers through Qt's real file dialog, answered by a user.
#include "FileDialogUser.h"
#include "WindowFixture.h"

#include "app/Startup.h"
#include "app/ui/QtUserDialogs.h"
#include "app/ui/StartupWindows.h"
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "sync/ui/SyncWindow.h"

#include <QLineEdit>
#include <QTranslator>

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
        QString pick; // empty: the filter the dialog opened on
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
        control<QRadioButton>(&f, "CbNouveauCataXML")->setChecked(c.xmlBox);
        control<QRadioButton>(&f, "CbNouveauCataAMC")->setChecked(!c.xmlBox);
        FileDialogUser user;
        user.filter = c.pick;
        user.folder = out.filePath(c.folder);
        user.name = c.typed;
        user.answerNextDialog();
        click(control(&f, "BtCherchCataloCree"));
        ASSERT_TRUE(user.answered);
        EXPECT_EQ(user.initialFilter, c.initialFilter);
        EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloCree")->text(), out.filePath(c.expected));
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
    click(control(&f, "BtCherchCataloExist"));

    ASSERT_TRUE(user.answered);
    EXPECT_EQ(user.initialFilter, QStringLiteral("Catalogues compatibles"));
    user.listed.sort();
    EXPECT_EQ(user.listed, (QStringList {QStringLiteral("films.amc"), QStringLiteral("films.xml")}));
    EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloExistant")->text(), amc);
    EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text(), QStringLiteral("1"));
}

TEST_F(CatalogueDialog, FolderAndCatalogueChoosersShowTypesAndDatesInFrenchWhateverTheSystemLanguage)
{
    speakFrench(*QCoreApplication::instance());
    const QString xml = out.filePath(QStringLiteral("films.xml"));
    XmlCatalogue::createNew()->saveFile(xml);
    QDir(out.path()).mkdir(QStringLiteral("films"));
    const auto french = [](const QString& path) {
        return QFileInfo(path).lastModified().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    };
    TForm1& f = openWithRealDialogs();

    FileDialogUser folder;
    folder.folder = out.path();
    folder.expectListed = 1;
    folder.name = QStringLiteral("films");
    folder.answerNextDialog();
    click(control(&f, "BtChoixRepScan"));
    ASSERT_TRUE(folder.answered);
    EXPECT_EQ(control<QLineEdit>(&f, "EdCheminRepScan")->text(), out.filePath(QStringLiteral("films")));
    EXPECT_EQ(folder.listed, QStringList {QStringLiteral("films")});
    EXPECT_EQ(folder.typesAndDates,
        QStringList {QStringLiteral("dossier, ") + french(out.filePath(QStringLiteral("films")))});

    FileDialogUser catalogue;
    catalogue.folder = out.path();
    catalogue.expectListed = 2;
    catalogue.name = QStringLiteral("films.xml");
    catalogue.answerNextDialog();
    click(control(&f, "BtCherchCataloExist"));
    ASSERT_TRUE(catalogue.answered);
    EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloExistant")->text(), xml);
    const qsizetype row = catalogue.listed.indexOf(QStringLiteral("films.xml"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(catalogue.typesAndDates[row], QStringLiteral("document XML, ") + french(xml));

    QLocale::setDefault(QLocale::system());
    qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator*>());
}

// A dialog opens over the window that asked: the main window, disabled behind
// the synchronisation window, is not raised over it.
TEST_F(CatalogueDialog, DialogsOpenOverTheWindowThatAsked)
{
    TForm1& f = openWithRealDialogs();
    control<QAction>(&f, "MenuSynchro")->trigger();
    QWidget* sync = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TSynch*>(w) && w->isVisible())
            sync = w;
    ASSERT_TRUE(sync);
    QApplication::setActiveWindow(sync);

    QList<QWidget*> owners;
    const auto closeNextDialog = [&owners] {
        QTimer::singleShot(0, [&owners] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            owners << (dialog ? dialog->parentWidget() : nullptr);
            if (dialog)
                dialog->done(QDialog::Rejected);
        });
    };
    closeNextDialog();
    control<QPushButton>(sync, "BtParcoursRepRef")->click();
    closeNextDialog();
    realDialogs.showError(QStringLiteral("Un message"));
    EXPECT_EQ(owners, (QList<QWidget*> {sync, sync}));

    // With nothing in front, the main window.
    sync->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::setActiveWindow(&f);
    closeNextDialog();
    realDialogs.showMessage(QStringLiteral("Un autre"));
    EXPECT_EQ(owners.last(), &f);
}
