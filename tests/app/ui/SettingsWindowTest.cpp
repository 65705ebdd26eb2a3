#include "WindowFixture.h"

#include "app/Settings.h"
#include "app/ui/ResetConfirmWindow.h"
#include "catalog/XmlCatalogue.h"
#include "platform/CatalogueLock.h"
#include "platform/IniFile.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWindow>

using namespace filmarch;
using namespace filmarch::test;

using SettingsWindow = WindowFixture;

TEST_F(SettingsWindow, SavedOptionsReadBackTheSameAndOtherSectionsStay)
{
    writeIni("[Synchro]\nDernierRepRef=/reference\nDernierRepSauv=/sauvegarde\n");
    {
        TForm1& f = openWindow();
        click(control(&f, "CbGenDuree"));
        click(control(&f, "CbExploreSousRep"));
        click(control(&f, "CbPieceJointe"));
        click(control(&f, "CbfichiersImages"));
        auto* EFiltreTitre = control<QLineEdit>(&f, "EFiltreTitre");
        EFiltreTitre->setText(EFiltreTitre->text() + QStringLiteral(",pistes"));
        click(control(&f, "BtSaveOptions"));
        EXPECT_TRUE(dialogs.messages.isEmpty() && dialogs.errors.isEmpty());
        form.reset();
    }
    const QString ini = readIni();
    EXPECT_TRUE(ini.contains(QStringLiteral("\nChoisirDuree =0\n"))) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("DernierRepRef=/reference\nDernierRepSauv=/sauvegarde")));

    TForm1& f = openWindow();
    EXPECT_FALSE(control<QCheckBox>(&f, "CbGenDuree")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(&f, "CbExploreSousRep")->isChecked());
    EXPECT_TRUE(box(OptionBox::CbPieceJointe)->isChecked() && box(OptionBox::CbfichiersImages)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(&f, "CbToutFichier")->isChecked());
    EXPECT_EQ(control<QLineEdit>(&f, "EFiltreTitre")->text(), defaultFiltreTitre() + QStringLiteral(",pistes"));
    EXPECT_TRUE(control<QLineEdit>(&f, "EFiltreTitre")->text().contains(QStringLiteral(",\u2122,")));
}

TEST_F(SettingsWindow, ClosingSavesTheTwoPathsOnly)
{
    writeIni("[General]\nDoublons=0\n[Synchro]\nDernierRepRef=/reference\n");
    TForm1& f = openWindow();
    dialogs.folders = {QStringLiteral("/films")};
    click(control(&f, "BtChoixRepScan"));
    click(control(&f, "CbGenTaille")); // not saved at exit
    form.reset();

    const QString ini = readIni();
    EXPECT_TRUE(ini.contains(QStringLiteral("DernierRepScan=/films\n")));
    EXPECT_TRUE(ini.contains(QStringLiteral("CatalogueEnCours=\n")));
    EXPECT_TRUE(ini.contains(QStringLiteral("Doublons=0\n")));
    EXPECT_FALSE(ini.contains(QStringLiteral("ChoisirTaille")));
    EXPECT_TRUE(ini.contains(QStringLiteral("DernierRepRef=/reference")));
}

TEST_F(SettingsWindow, RememberedCatalogueThatNoLongerValidatesIsCleared)
{
    writeIni("[General]\nCatalogueEnCours=/nulle/part/films.txt\n");
    TForm1& f = openWindow();
    EXPECT_EQ(dialogs.messages.value(dialogs.messages.size() - 1),
        QStringLiteral("Le catalogue à compléter n'est pas conforme"));
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloExistant")->text().isEmpty());
    form.reset();
    EXPECT_TRUE(readIni().contains(QStringLiteral("CatalogueEnCours=\n")));
}

TEST_F(SettingsWindow, ARememberedCatalogueThatAnotherRunWritesStaysRemembered)
{
    QTemporaryDir folder;
    const QString cat = folder.filePath(QStringLiteral("films.xml"));
    writeFile(cat, "<?xml version=\"1.0\"?>");
    CatalogueLock otherRun;
    ASSERT_TRUE(otherRun.tryLock(cat));
    writeIni("[General]\nCatalogueEnCours=" + cat.toUtf8() + "\n");
    TForm1& f = openWindow();
    EXPECT_TRUE(
        dialogs.messages.contains(QStringLiteral("Le catalogue à compléter est en cours d'utilisation par un "
                                                 "autre scan : le choisir à nouveau une fois ce scan terminé.\n")
            + cat))
        << dialogs.messages.join(u'|').toStdString();
    EXPECT_FALSE(dialogs.messages.contains(QStringLiteral("Le catalogue à compléter n'est pas conforme")));
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloExistant")->text().isEmpty());
    form.reset();
    EXPECT_TRUE(readIni().contains(QStringLiteral("CatalogueEnCours=") + cat + QLatin1Char('\n')));
}

TEST_F(SettingsWindow, Reset)
{
    enum Answer { Confirm, Cancel, TitleBar, Escape, Space };
    struct Case {
        const char* name;
        Answer answer;
        bool fileDeleted;
    };
    const Case cases[] = {
        {"confirmed", Confirm, true},
        {"cancelled", Cancel, false},
        {"closed by the title bar counts as cancelled", TitleBar, false},
        {"Escape counts as cancelled", Escape, false},
        {"Space presses the first focus, which is not Confirmer", Space, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeIni("[General]\nDernierRepScan=/films\n[Allocine]\nAuto=1\nServeur=films.test\n");
        TForm1& f = openWindow();
        ASSERT_TRUE(control<QRadioButton>(&f, "CbAlloAuto")->isChecked());
        control<QLineEdit>(&f, "EdCheminCataloExistant")->setText(QStringLiteral("/d/films.amc"));
        control<QLineEdit>(&f, "EdNbrFilmsExist")->setText(QStringLiteral("12"));
        f.scanRun->CatalogueActif = QStringLiteral("/d/films.amc");
        click(control(&f, "CbGenTaille")); // an unsaved change

        bool waitedAbove = false;
        QTimer::singleShot(0, [&] {
            ASSERT_NE(f.Form4, nullptr);
            // Owned by the main window, which takes no input (nor closes) meanwhile.
            waitedAbove = f.Form4->isVisible() && QApplication::activeModalWidget() == f.Form4
                && f.Form4->windowHandle()->transientParent() == f.windowHandle();
            f.close();
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(f.Form4->windowTitle(), QStringLiteral("Confirmation initialisation"));
            if (c.answer == Confirm)
                QTest::mouseClick(control<QPushButton>(f.Form4, "BtConfirmer"), Qt::LeftButton);
            else if (c.answer == Cancel)
                QTest::mouseClick(control<QPushButton>(f.Form4, "BtAnnuler"), Qt::LeftButton);
            else if (c.answer == TitleBar)
                f.Form4->close();
            else if (c.answer == Escape)
                QTest::keyClick(f.Form4, Qt::Key_Escape);
            else if (QWidget* first = f.Form4->focusWidget())
                QTest::keyClick(first, Qt::Key_Space);
            if (f.Form4->isVisible()) {
                ADD_FAILURE() << "no answer";
                f.Form4->reject();
            }
        });
        click(control(&f, "BtIniDefaut"));

        EXPECT_TRUE(waitedAbove);
        EXPECT_TRUE(f.isEnabled());
        EXPECT_EQ(f.Form4, nullptr);
        // The server is no user setting: it survives the reset.
        EXPECT_EQ(readIni().contains(QStringLiteral("DernierRepScan")), !c.fileDeleted);
        EXPECT_TRUE(readIni().contains(QStringLiteral("Serveur=films.test\n")));
        EXPECT_TRUE(control<QGroupBox>(&f, "GbOptionAllocine")->isEnabled());
        // Confirmed: Auto read as off checks Manuel, Manu read as off checks Automatique again.
        EXPECT_TRUE(control<QRadioButton>(&f, "CbAlloAuto")->isChecked());
        EXPECT_FALSE(control<QRadioButton>(&f, "CbAlloManu")->isChecked());
        EXPECT_EQ(control<QCheckBox>(&f, "CbGenTaille")->isChecked(), c.fileDeleted);
        EXPECT_EQ(control<QLineEdit>(&f, "EdCheminRepScan")->text().isEmpty(), c.fileDeleted);
        EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloExistant")->text().isEmpty(), c.fileDeleted);
        // The count and the catalogue of the run follow the path.
        EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text().isEmpty(), c.fileDeleted);
        EXPECT_EQ(f.scanRun->CatalogueActif.isEmpty(), c.fileDeleted);
        EXPECT_TRUE(dialogs.messages.isEmpty() && dialogs.errors.isEmpty());
        control<QLineEdit>(&f, "EdCheminRepScan")->clear();
        form.reset();
    }
}

// The key survives the reset, and the file that holds it stays the user's
// alone, as do the settings the sync writes beside it.
TEST_F(SettingsWindow, EveryWriteOfTheKeysFileKeepsItTheOwnersAlone)
{
    writeIni("[TMDb]\nCle=cle-secrete\n");
    QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::WriteOwner);
    const auto othersMay = QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther;
    TForm1& f = openWindow();
    QTimer::singleShot(0, [&] { QTest::mouseClick(control<QPushButton>(f.Form4, "BtConfirmer"), Qt::LeftButton); });
    click(control(&f, "BtIniDefaut"));
    EXPECT_TRUE(readIni().contains(QStringLiteral("Cle=cle-secrete")));
    EXPECT_EQ(QFile::permissions(iniPath()) & othersMay, QFile::Permissions());

    // A file that came to hold the key by another way is made the user's alone at its next save.
    form.reset();
    writeIni("[TMDb]\nCle=cle-secrete\n");
    QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    updateIniFile(iniPath(), [](IniFile& ini) { ini.setValue(QStringLiteral("Synchro"), QStringLiteral("X"), {}); });
    EXPECT_EQ(QFile::permissions(iniPath()) & othersMay, QFile::Permissions());
}

TEST_F(SettingsWindow, ResetThatCannotDeleteTheFileSaysSoAndLogs)
{
    TForm1& f = openWindow();
    // A folder in the file's place: it can be neither deleted as a file nor read.
    ASSERT_TRUE(QDir(appDir.path()).mkpath(QStringLiteral("options.ini/garde")));
    QTimer::singleShot(0, [&] { QTest::mouseClick(control<QPushButton>(f.Form4, "BtConfirmer"), Qt::LeftButton); });
    click(control(&f, "BtIniDefaut"));

    EXPECT_EQ(dialogs.messages, QStringList {QStringLiteral("Impossible d'initialiser, redémarrer l'aplication")});
    EXPECT_TRUE(control<QPlainTextEdit>(&f, "MLog")
                    ->toPlainText()
                    .contains(QStringLiteral(": Echec de l'initialisation des paramètres")));
    EXPECT_TRUE(f.isEnabled());
    QDir(iniPath()).removeRecursively();
}

TEST_F(SettingsWindow, UnreadableFileGivesOneClearMessageAndTheDefaults)
{
    ASSERT_TRUE(QDir(appDir.path()).mkpath(QStringLiteral("options.ini/garde")));
    TForm1& f = openWindow(false);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].startsWith(QStringLiteral("Impossible de lire le fichier de paramètres")));
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("Les paramètres par défaut sont utilisés")));
    EXPECT_TRUE(box(OptionBox::CbEviterDoublons)->isChecked() && box(OptionBox::CbGenUrl)->isChecked()
        && box(OptionBox::CbToutFichier)->isChecked());
    EXPECT_EQ(control<QLineEdit>(&f, "EFiltreTitre")->text(), defaultFiltreTitre());

    click(control(&f, "BtSaveOptions"));
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors[1].startsWith(QStringLiteral("Impossible")));
    form.reset();
    QDir(iniPath()).removeRecursively();
}

// The window opens as it was left, and "Catalogues récents" offers the last
// five catalogues completed, newest first, from one session to the next.
TEST_F(SettingsWindow, TheWindowAndTheLastCataloguesAreRemembered)
{
    QStringList catalogues;
    for (int i = 0; i < 6; ++i) {
        catalogues << QDir(appDir.path()).filePath(QStringLiteral("films %1.xml").arg(i));
        XmlCatalogue::createNew()->saveFile(catalogues.last());
    }
    {
        TForm1& f = openWindow();
        for (const QString& path : catalogues)
            f.TraiteMessage({QUrl::fromLocalFile(path)});
        form.reset();
    }
    EXPECT_TRUE(readIni().contains(QStringLiteral("[Fenetre]\nGeometrie="))) << "where the window was left";
    TForm1& f = openWindow();
    auto* menu = control<QMenu>(&f, "MenuRecents");
    QStringList entries;
    for (QAction* entry : menu->actions())
        entries << entry->text();
    EXPECT_EQ(entries,
        (QStringList {QStringLiteral("&1 ") + catalogues[5], QStringLiteral("&2 ") + catalogues[4],
            QStringLiteral("&3 ") + catalogues[3], QStringLiteral("&4 ") + catalogues[2],
            QStringLiteral("&5 ") + catalogues[1]}));

    control<QLineEdit>(&f, "EdCheminCataloCree")->setText(QStringLiteral("/d/nouveau.amc"));
    menu->actions()[3]->trigger();
    EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloExistant")->text(), catalogues[2]);
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloCree")->text().isEmpty()) << "taken as a dropped file";
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("&1 ") + catalogues[2]);
}
