// "Fichier" › "Vérifier le catalogue…": the catalogue being completed compared
// with real films on disk, the lines ticked as the user would, and the
// catalogue rewritten with the ticked lines only.
#include "app/ui/VerifyWindow.h"
#include "app/ui/WindowFixture.h"
#include "catalog/MovieList.h"
#include "support/VideoFixtures.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class VerifyWindowTest : public WindowFixture {
protected:
    void fromMenu(const std::function<void(VerifyWindow&)>& use)
    {
        bool used = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<VerifyWindow*>(QApplication::activeModalWidget());
            ASSERT_TRUE(window) << "no verification window";
            use(*window);
            used = true;
            window->reject();
        });
        control<QAction>(form.get(), "MenuVerifier")->trigger();
        EXPECT_TRUE(used);
    }
};

QStringList lines(QTreeWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        const QString box = !(item->flags() & Qt::ItemIsUserCheckable) ? QStringLiteral("  ")
            : item->checkState(0) == Qt::Checked                       ? QStringLiteral("x ")
                                                                       : QStringLiteral("_ ");
        out << box + item->text(0) + QLatin1Char('|') + QFileInfo(item->text(2)).fileName() + QLatin1Char('|')
                + QFileInfo(item->text(3)).fileName();
    }
    return out;
}

} // namespace

TEST_F(VerifyWindowTest, MovedLinesComeTickedGoneOnesNotAndOnlyTickedOnesAreApplied)
{
    openWindow();
    QTemporaryDir disk;
    const QString films = disk.filePath(QStringLiteral("Films/"));
    makeSizedVideo(films + QStringLiteral("Brazil.1985.avi"), 1);
    makeSizedVideo(films + QStringLiteral("Stalker (1979).mkv"), 3);
    makeSizedVideo(films + QStringLiteral("Solaris (1972).mkv"), 4);
    TMovieList list;
    const std::vector<std::pair<QString, QString>> entries {{QStringLiteral("Brazil (1985).avi"), QStringLiteral("1")},
        {QStringLiteral("Alien (1979).mkv"), QStringLiteral("2")},
        {QStringLiteral("Stalker (1979).mkv"), QStringLiteral("3")},
        {QStringLiteral("Ran (1985).mkv"), QStringLiteral("5")}};
    for (const auto& [name, size] : entries) {
        TMovie& m = list.Add();
        m.iNumber = list.Count();
        m.strOriginalTitle = name.left(name.indexOf(QLatin1Char('.')));
        m.strURL = films + name;
        m.strSize = size;
    }
    const QString catalogue = disk.filePath(QStringLiteral("films.amc"));
    list.SaveToFile(catalogue, catalogue, 41);
    dialogs.openChoices.push_back({catalogue, 0});
    click(control(form.get(), "BtCherchCataloExist"));
    ASSERT_EQ(control<QLineEdit>(form.get(), "EdNbrFilmsExist")->text(), QStringLiteral("4"));

    QStringList told;
    fromMenu([&](VerifyWindow& window) {
        window.showMessage = [&told](const QString& text) { told << text; };
        EXPECT_EQ(control<QLineEdit>(&window, "EdCatalogue")->text(), catalogue);
        control<QPushButton>(&window, "BtVerifier")->click();
        // The check works on a thread of its own; the window says when it is done.
        EXPECT_FALSE(control<QPushButton>(&window, "BtFermer")->isEnabled());
        ASSERT_TRUE(QTest::qWaitFor([&window] { return !window.checking(); }, 60000));
        EXPECT_TRUE(control<QPushButton>(&window, "BtFermer")->isEnabled());
        auto* list = control<QTreeWidget>(&window, "LVConstats");
        EXPECT_EQ(lines(list),
            (QStringList {QStringLiteral("x Déplacé|Brazil (1985).avi|Brazil.1985.avi"),
                QStringLiteral("_ Absent (retirer)|Alien (1979).mkv|"),
                QStringLiteral("_ Absent (retirer)|Ran (1985).mkv|"),
                QStringLiteral("  Nouveau||Solaris (1972).mkv")}));
        if (const QString folder = qEnvironmentVariable("FILMARCH_SCREENSHOTS"); !folder.isEmpty())
            window.grab().save(QDir(folder).filePath(QStringLiteral("fenetre-verifier.png")));
        // Alien goes; Ran, unticked, stays for when its disk is back.
        list->topLevelItem(1)->setCheckState(0, Qt::Checked);
        control<QPushButton>(&window, "BtAppliquer")->click();
        ASSERT_TRUE(QTest::qWaitFor([&window] { return !window.checking(); }, 60000));
        EXPECT_EQ(lines(list),
            (QStringList {QStringLiteral("_ Absent (retirer)|Ran (1985).mkv|"),
                QStringLiteral("  Nouveau||Solaris (1972).mkv")}));
    });
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("Le catalogue a été mis à jour (2 entrée(s))")))
        << told[0].toStdString();
    TMovieList after;
    after.LoadFromFile(catalogue);
    QStringList urls;
    for (int i = 0; i < after.Count(); ++i)
        urls << QFileInfo(after.GetItem(i).strURL).fileName();
    EXPECT_EQ(urls,
        (QStringList {QStringLiteral("Brazil.1985.avi"), QStringLiteral("Stalker (1979).mkv"),
            QStringLiteral("Ran (1985).mkv")}));
    EXPECT_EQ(control<QLineEdit>(form.get(), "EdNbrFilmsExist")->text(), QStringLiteral("3"));
}
