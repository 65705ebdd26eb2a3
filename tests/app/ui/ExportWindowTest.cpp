// "Fichier" › "Exporter le catalogue…": the export window opened from the main
// window with the catalogue being completed, run to its end, and its refusals.
#include "export/ui/ExportWindow.h"
#include "app/ui/FileDialogUser.h"
#include "app/ui/WindowFixture.h"
#include "export/CsvExport.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFixtures.h"

#include <QApplication>
#include <QCheckBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class ExportWindowTest : public WindowFixture {
protected:
    // Opens the window from the menu and hands it to `use` while it is shown.
    void fromMenu(const std::function<void(ExportWindow&)>& use)
    {
        bool used = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<ExportWindow*>(QApplication::activeModalWidget());
            ASSERT_TRUE(window) << "no export window";
            use(*window);
            used = true;
            window->reject();
        });
        control<QAction>(form.get(), "MenuExporter")->trigger();
        EXPECT_TRUE(used);
    }
};

// "Exporter", and the end of the export it started, if any: the export runs
// on a thread of its own while the window's loop goes on.
void clickExport(ExportWindow& window)
{
    QSignalSpy ended(&window, &ExportWindow::exportEnded);
    auto* button = control<QPushButton>(&window, "BtExporter");
    QTest::mouseClick(button, Qt::LeftButton);
    if (!button->isEnabled()) {
        ASSERT_TRUE(ended.count() == 1 || ended.wait(120000));
    }
}

} // namespace

TEST_F(ExportWindowTest, ExportsTheCatalogueBeingCompletedAndOffersToOpenThePage)
{
    openWindow();
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    writeAmcCatalogue(catalogue, QString());
    control<QLineEdit>(form.get(), "EdCheminCataloExistant")->setText(catalogue);
    EXPECT_EQ(
        control<QMenu>(form.get(), "MenuFichier")->actions().indexOf(control<QAction>(form.get(), "MenuExporter")), 2);

    QStringList questions;
    QList<QUrl> opened;
    fromMenu([&](ExportWindow& window) {
        EXPECT_EQ(control<QLineEdit>(&window, "EdCatalogue")->text(), catalogue);
        EXPECT_EQ(control<QLineEdit>(&window, "EdSortie")->text(), dir.filePath(QStringLiteral("films - page web")));
        QTest::mouseClick(control<QRadioButton>(&window, "RbCsv"), Qt::LeftButton, {}, QPoint(6, 6));
        EXPECT_EQ(control<QLineEdit>(&window, "EdSortie")->text(), dir.filePath(QStringLiteral("films.csv")));
        QTest::mouseClick(control<QRadioButton>(&window, "RbPageWeb"), Qt::LeftButton, {}, QPoint(6, 6));
        window.askOpen = [&](const QString& question) {
            questions << question;
            return true;
        };
        window.openUrl = [&](const QUrl& url) { opened << url; };
        QSignalSpy ended(&window, &ExportWindow::exportEnded);
        QTest::mouseClick(control<QPushButton>(&window, "BtExporter"), Qt::LeftButton);
        // Under way: the window stays and takes no second export, nor a way out.
        EXPECT_FALSE(control<QPushButton>(&window, "BtExporter")->isEnabled());
        EXPECT_FALSE(control<QPushButton>(&window, "BtFermer")->isEnabled());
        window.reject();
        EXPECT_TRUE(window.isVisible());
        ASSERT_TRUE(ended.wait(120000));
        EXPECT_EQ(ended.count(), 1);
        EXPECT_EQ(control<QProgressBar>(&window, "ProgressBar")->value(), 3);
        EXPECT_EQ(control<QLabel>(&window, "LbEtat")->text(), QStringLiteral("Export terminé : 3 films."));
        // For a look by hand when FILMARCH_SCREENSHOTS names a folder.
        if (const QString folder = qEnvironmentVariable("FILMARCH_SCREENSHOTS"); !folder.isEmpty())
            window.grab().save(QDir(folder).filePath(QStringLiteral("fenetre-export.png")));
    });
    EXPECT_EQ(questions, QStringList {QStringLiteral("La page est écrite. L'ouvrir dans le navigateur ?")});
    EXPECT_EQ(opened, QList<QUrl> {QUrl::fromLocalFile(dir.filePath(QStringLiteral("films - page web/index.html")))});
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("films - page web/affiches/1.jpg"))));
}

TEST_F(ExportWindowTest, SaysWhyNothingWasWritten)
{
    openWindow();
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("casse.xml")), "<AntMovieCatalog><Catalog>");
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QString());
    writeFile(dir.filePath(QStringLiteral("notes.txt")), "pas un catalogue");
    QDir().mkdir(dir.filePath(QStringLiteral("photos")));
    writeFile(dir.filePath(QStringLiteral("photos/vacances.jpg")), "à garder");
    QStringList errors;
    bool asked = false;
    fromMenu([&](ExportWindow& window) {
        window.showError = [&](const QString& text) { errors << text; };
        window.askOpen = [&](const QString&) { return asked = true; };
        // The catalogue chosen through Qt's own file dialog, as a user does.
        FileDialogUser user;
        user.folder = dir.path();
        user.name = QStringLiteral("casse.xml");
        user.expectListed = 3;
        user.answerNextDialog();
        QTest::mouseClick(control<QPushButton>(&window, "BtCatalogue"), Qt::LeftButton);
        EXPECT_TRUE(user.answered);
        EXPECT_TRUE(
            user.listed.contains(QStringLiteral("films.amc")) && !user.listed.contains(QStringLiteral("notes.txt")))
            << user.listed.join(u',').toStdString();
        EXPECT_EQ(control<QLineEdit>(&window, "EdCatalogue")->text(), dir.filePath(QStringLiteral("casse.xml")));
        control<QLineEdit>(&window, "EdSortie")->setText(dir.filePath(QStringLiteral("page")));
        clickExport(window);
        control<QLineEdit>(&window, "EdCatalogue")->setText(dir.filePath(QStringLiteral("films.amc")));
        control<QLineEdit>(&window, "EdSortie")->setText(dir.filePath(QStringLiteral("photos")));
        clickExport(window);
        EXPECT_EQ(control<QLabel>(&window, "LbEtat")->text(), QStringLiteral("L'export n'a pas pu être écrit."));
        EXPECT_TRUE(control<QPushButton>(&window, "BtExporter")->isEnabled());
    });
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].startsWith(
        QStringLiteral("Lecture du catalogue impossible : ") + dir.filePath(QStringLiteral("casse.xml"))))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains(QStringLiteral("n'est pas vide"))) << errors[1].toStdString();
    EXPECT_FALSE(asked);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("page"))));
    EXPECT_EQ(
        QDir(dir.filePath(QStringLiteral("photos"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("vacances.jpg")});
}

// Whatever way the name came (proposed, typed, chosen), an existing file is
// replaced only once the user has said so.
TEST_F(ExportWindowTest, AsksBeforeReplacingAFile)
{
    openWindow();
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    writeAmcCatalogue(catalogue, QString());
    control<QLineEdit>(form.get(), "EdCheminCataloExistant")->setText(catalogue);
    writeFile(dir.filePath(QStringLiteral("films.tc")), "ma collection Tellico");
    QStringList questions;
    fromMenu([&](ExportWindow& window) {
        QTest::mouseClick(control<QRadioButton>(&window, "RbTellico"), Qt::LeftButton, {}, QPoint(6, 6));
        ASSERT_EQ(control<QLineEdit>(&window, "EdSortie")->text(), dir.filePath(QStringLiteral("films.tc")));
        window.askOpen = [&](const QString&) { return false; };
        bool answer = false;
        window.askReplace = [&](const QString& question) {
            questions << question;
            return answer;
        };
        clickExport(window);
        EXPECT_EQ(readFile(dir.filePath(QStringLiteral("films.tc"))), "ma collection Tellico");
        answer = true;
        clickExport(window);
        EXPECT_EQ(control<QLabel>(&window, "LbEtat")->text(), QStringLiteral("Export terminé : 3 films."));
    });
    ASSERT_EQ(questions.size(), 2);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("films.tc existe déjà"))) << questions[0].toStdString();
    EXPECT_TRUE(readFile(dir.filePath(QStringLiteral("films.tc"))).startsWith("PK"));
}

TEST_F(ExportWindowTest, WritesRawCsvOnlyWhenAskedForCsv)
{
    openWindow();
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    writeAmcCatalogue(catalogue, QString());
    control<QLineEdit>(form.get(), "EdCheminCataloExistant")->setText(catalogue);
    fromMenu([&](ExportWindow& window) {
        auto* raw = control<QCheckBox>(&window, "CbCsvBrut");
        EXPECT_FALSE(raw->isEnabled()); // only CSV has raw values
        QTest::mouseClick(control<QRadioButton>(&window, "RbCsv"), Qt::LeftButton, {}, QPoint(6, 6));
        ASSERT_TRUE(raw->isEnabled());
        raw->setChecked(true);
        window.askOpen = [&](const QString&) { return false; };
        clickExport(window);
        EXPECT_EQ(control<QLabel>(&window, "LbEtat")->text(), QStringLiteral("Export terminé : 3 films."));
        if (const QString folder = qEnvironmentVariable("FILMARCH_SCREENSHOTS"); !folder.isEmpty())
            window.grab().save(QDir(folder).filePath(QStringLiteral("fenetre-export-csv.png")));
    });
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("films.csv"))), csvBytes(ExportCatalogue::read(catalogue), true));
}
