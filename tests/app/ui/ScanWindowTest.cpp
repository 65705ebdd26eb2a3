// Scans started from the main window, with scripted dialogs.
#include "app/ui/WindowFixture.h"
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "filmdb/ui/LookupWindow.h"
#include "support/FakeFilmDatabase.h"
#include "support/ScanFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <csignal>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class ScanWindow : public WindowFixture {
protected:
    struct DuringRun {
        bool pagesEnabled = true, menuVisible = true, progressVisible = false;
    };

    void chooseScanFolder(TForm1& f, const QString& folder)
    {
        dialogs.folders << folder;
        click(control(&f, "BtChoixRepScan"));
        ASSERT_EQ(control<QLineEdit>(&f, "EdCheminRepScan")->text(), folder);
    }

    QStringList logLines(TForm1& f) const { return control<QPlainTextEdit>(&f, "MLog")->toPlainText().split(u'\n'); }

    // Two Matroska films in `films`, the attachment option on and the log folder made.
    void twoMatroskaFilms(const QTemporaryDir& films)
    {
        writeIni("[Mkv]\nPiecesJointe=1\n");
        QDir(appDir.path()).mkdir(QStringLiteral("Logs_Filmarch"));
        for (const char* name : {"Un.mkv", "Deux.mkv"})
            QFile::copy(
                QDir(scanFolder()).filePath(QStringLiteral("Le.Film.2001.mkv")), films.filePath(QLatin1String(name)));
    }

    // Two Matroska films, and a found mkvmerge that writes its process number
    // to the file returned once it runs, then stays silent for a minute; the
    // window is open on the films with a new XML catalogue chosen.
    QString hangingToolRun(const QTemporaryDir& films)
    {
        twoMatroskaFilms(films);
        const QString started = QDir(appDir.path()).filePath(QStringLiteral("started"));
        writeFile(mkvToolFolder() + QStringLiteral("/mkvmerge"),
            "#!/bin/sh\necho $$ > '" + started.toUtf8() + "'\nexec sleep 60\n");
        TForm1& f = openWindow(true);
        chooseScanFolder(f, films.path());
        dialogs.saveChoices << CatalogueChoice {out.filePath(QStringLiteral("films.xml")), 1};
        click(control<QPushButton>(&f, "BtCherchCataloCree"));
        return started;
    }

    QTemporaryDir out;
};

} // namespace

TEST_F(ScanWindow, NewXmlCatalogueFromTheSaveDialogThenLancerLeScan)
{
    TForm1& f = openWindow();
    // The analysis handles (helper processes in the installed program) come with the first run.
    EXPECT_FALSE(f.scanRun->holdsAnalysers());
    chooseScanFolder(f, scanFolder());
    dialogs.saveChoices << CatalogueChoice {out.filePath(QStringLiteral("films")), 1};
    click(control(&f, "BtCherchCataloCree"));
    ASSERT_EQ(control<QLineEdit>(&f, "EdCheminCataloCree")->text(), out.filePath(QStringLiteral("films.xml")));

    DuringRun seen;
    QObject::connect(
        control<QProgressBar>(&progress(), "ProgressBar1"), &QProgressBar::valueChanged, &f, [&](int value) {
            if (value > 0) {
                seen.pagesEnabled = control<QTabWidget>(&f, "PCprincipal")->isEnabled();
                seen.menuVisible = control<QMenuBar>(&f, "MainMenu1")->isVisible();
                seen.progressVisible = progress().isVisible();
            }
        });
    launchScan(f);

    EXPECT_EQ(XmlCatalogue::loadFile(out.filePath(QStringLiteral("films.xml")))->movieCount(), kRootVideos);
    // Locked while it ran, restored after.
    EXPECT_FALSE(seen.pagesEnabled);
    EXPECT_FALSE(seen.menuVisible);
    EXPECT_TRUE(seen.progressVisible);
    EXPECT_TRUE(control<QTabWidget>(&f, "PCprincipal")->isEnabled());
    EXPECT_TRUE(control<QMenuBar>(&f, "MainMenu1")->isVisible());
    EXPECT_FALSE(progress().isVisible());
    EXPECT_EQ(control<QTabWidget>(&f, "PCprincipal")->currentWidget(), control(&f, "TSLogs"));
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloCree")->text().isEmpty());
    const QStringList log = logLines(f);
    EXPECT_TRUE(log.filter(QStringLiteral("Nouvelles entrées : 3         Nombre Total : 3")).size() == 1);
    EXPECT_EQ(log.last(), QString()); // the run ends with an empty line
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // They stay for a minute without a run, then go.
    EXPECT_TRUE(f.scanRun->holdsAnalysers());
    auto* idle = f.findChild<QTimer*>(QStringLiteral("helpersIdle"));
    ASSERT_TRUE(idle);
    EXPECT_TRUE(idle->isActive());
    EXPECT_EQ(idle->interval(), 60000);
    QMetaObject::invokeMethod(idle, "timeout");
    EXPECT_FALSE(f.scanRun->holdsAnalysers());

    // The new catalogue was forgotten: a second run must be told where to write.
    launchScan(f);
    EXPECT_EQ(dialogs.messages,
        QStringList {QStringLiteral("Choisir l'un des deux scans possibles : Créer catalogue ou Complèter catalogue")});
}

TEST_F(ScanWindow, CompletingAnAmcCatalogueChosenInTheOpenDialogTwice)
{
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    {
        TMovieList list;
        TMovie& m = list.Add();
        m.iNumber = 1;
        m.strURL = QStringLiteral("D:\\Films\\Le.Film.2001.mkv");
        list.SaveToFile(cat, cat, 40);
    }
    TForm1& f = openWindow();
    chooseScanFolder(f, scanFolder());
    dialogs.openChoices << CatalogueChoice {cat, 3};
    click(control(&f, "BtCherchCataloExist"));
    ASSERT_EQ(control<QLineEdit>(&f, "EdCheminCataloExistant")->text(), cat);
    EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text(), QStringLiteral("1"));

    launchScan(f);
    EXPECT_TRUE(QFileInfo::exists(cat + QStringLiteral(".bak")));
    TMovieList list;
    list.LoadFromFile(cat);
    EXPECT_EQ(list.Count(), 1 + kRootVideos - 1);
    EXPECT_TRUE(logLines(f).filter(QStringLiteral("Doublons détecté : 1")).size() == 1);

    // The completion fields keep their values: a second run loads the
    // catalogue again and finds every film already there.
    EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloExistant")->text(), cat);
    launchScan(f);
    list.LoadFromFile(cat);
    EXPECT_EQ(list.Count(), 1 + kRootVideos - 1);
    EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text(), QString::number(kRootVideos));
    EXPECT_TRUE(
        logLines(f)
            .filter(QStringLiteral("Nouvelles entrées : 0         Nombre Total : 3         Doublons détecté : 3"))
            .size()
        == 1);
}

TEST_F(ScanWindow, DroppedXmlCatalogueIsCompletedAndStopEndsTheRun)
{
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    XmlCatalogue::createNew()->saveFile(cat);
    // Only films, so that the first file of the walk, whatever the file
    // system's order, is one.
    QTemporaryDir films;
    for (const char* name : {"Un.mkv", "Deux.mkv"})
        QFile::copy(
            QDir(scanFolder()).filePath(QStringLiteral("Le.Film.2001.mkv")), films.filePath(QLatin1String(name)));
    TForm1& f = openWindow();
    chooseScanFolder(f, films.path());

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(cat)});
    const QPoint at = control<QGroupBox>(&f, "GbCataloExistant")->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control<QGroupBox>(&f, "GbCataloExistant"), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control<QGroupBox>(&f, "GbCataloExistant"), &drop);
    ASSERT_EQ(control<QLineEdit>(&f, "EdCheminCataloExistant")->text(), cat);
    EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text(), QStringLiteral("0"));

    // Stop is pressed as soon as the first file is in hand.
    bool pressed = false;
    QObject::connect(
        control<QProgressBar>(&progress(), "ProgressBar1"), &QProgressBar::valueChanged, &f, [&](int value) {
            if (value > 0 && !pressed) {
                pressed = true;
                QTest::mouseClick(control<QPushButton>(&progress(), "BtArretScan"), Qt::LeftButton);
            }
        });
    launchScan(f);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(XmlCatalogue::loadFile(cat)->movieCount(), 1);
    EXPECT_TRUE(logLines(f).filter(QStringLiteral("Le scan a été coupé par l'utilisateur")).size() == 1);
    EXPECT_TRUE(control<QPushButton>(&progress(), "BtArretScan")->isEnabled()); // ready for the next run
}

TEST_F(ScanWindow, TheRunUsesTheToolFolderFoundAtStartAndShowsItsErrorBoxes)
{
    QTemporaryDir films;
    twoMatroskaFilms(films);
    // The found mkvmerge is an empty file: it cannot be started.
    TForm1& f = openWindow(true);
    chooseScanFolder(f, films.path());
    dialogs.saveChoices << CatalogueChoice {out.filePath(QStringLiteral("films.xml")), 1};
    click(control<QPushButton>(&f, "BtCherchCataloCree"));
    launchScan(f);

    EXPECT_EQ(XmlCatalogue::loadFile(out.filePath(QStringLiteral("films.xml")))->movieCount(), 2);
    ASSERT_EQ(dialogs.errors.size(), 2) << dialogs.errors.join(u'\n').toStdString();
    for (const QString& error : std::as_const(dialogs.errors))
        EXPECT_TRUE(error.startsWith(u'"' + f.CheminMkvToolNix + QStringLiteral("mkvmerge\" -J \"") + films.path()))
            << error.toStdString();
}

TEST_F(ScanWindow, StopEndsAMatroskaToolThatHangs)
{
    QTemporaryDir films;
    const QString started = hangingToolRun(films);
    TForm1& f = *form;

    // "Stop" is pressed once the tool runs.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &f, [&] {
        if (QFile::exists(started)) {
            watch.stop();
            QTest::mouseClick(control<QPushButton>(&progress(), "BtArretScan"), Qt::LeftButton);
        }
    });
    watch.start(5);
    QElapsedTimer clock;
    clock.start();
    launchScan(f);
    EXPECT_LT(clock.elapsed(), 30000) << "the tool was not left to its minute";
    // The file was still being analysed: nothing is written for it after the stop.
    EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral("films.xml"))));
    EXPECT_EQ(logLines(f).filter(QStringLiteral("Le scan a été coupé par l'utilisateur")).size(), 1)
        << logLines(f).join(u'\n').toStdString();
    EXPECT_EQ(dialogs.errors, QStringList());
}

TEST_F(ScanWindow, TheWindowGoingInTheMiddleOfARunStopsItAndWaitsForIt)
{
    QTemporaryDir films;
    const QString started = hangingToolRun(films);
    TForm1& f = *form;
    click(control(&f, "BtLanceScan"));
    // The windows are served while the run works.
    ASSERT_TRUE(QTest::qWaitFor([&] { return readFile(started).endsWith('\n'); }, 60000));
    const pid_t tool = pid_t(readFile(started).trimmed().toInt());
    EXPECT_TRUE(f.scanUnderWay());
    EXPECT_TRUE(progress().isVisible());
    // The program ends: the run is stopped (its tool ended) and waited for.
    QElapsedTimer clock;
    clock.start();
    form.reset();
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_NE(::kill(tool, 0), 0) << "the tool was left to its minute";
    EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral("films.xml"))));
    // The catalogue's lock was given back.
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << QDir(out.path()).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
}

TEST_F(ScanWindow, TheLookupWindowIsShownForEachFilmWhileTheRunWaitsForTheDecision)
{
    FakeFilmDatabase service;
    service.addSearch("FILM", FakeSearch {FakeFilmDatabase::numberedFilms(3, 1000, 2001)});
    writeIni("[allocine]\nServeur=" + service.host().toUtf8() + "\nActive=1\nManu=1\n");
    QDir(appDir.path()).mkdir(QStringLiteral("Logs_Filmarch"));
    // The picture of a candidate without a poster.
    QFile::copy(binDir() + QStringLiteral("/Vide.jpeg"), QDir(appDir.path()).filePath(QStringLiteral("Vide.jpeg")));
    TForm1& f = openWindow();
    TFormAllocine lookup(AppPaths::beside(appDir.path()), dialogs);
    f.setManualLookup(&lookup);
    chooseScanFolder(f, scanFolder());
    dialogs.saveChoices << CatalogueChoice {out.filePath(QStringLiteral("films")), 1};
    click(control(&f, "BtCherchCataloCree"));

    // The user searches "Film" for each file and takes the second answer.
    int shown = 0;
    bool runWaited = true;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, &f, [&] {
        if (!lookup.isVisible() || lookup.requesting())
            return;
        auto* title = control<QLineEdit>(&lookup, "EdNomFilm");
        if (title->text() != QLatin1String("Film")) {
            ++shown;
            // The progress window shows the file whose decision the run waits for.
            runWaited = runWaited && progress().isVisible() && f.scanUnderWay();
            title->setText(QStringLiteral("Film"));
            control<QPushButton>(&lookup, "BtRechercher")->click();
        } else if (QRadioButton* second = lookup.ListeRadioBoutons[1]) {
            // Its details come first; then the choice is validated.
            if (!second->isChecked())
                second->click();
            else
                control<QPushButton>(&lookup, "BtValidFilm")->click();
        }
    });
    user.start(10);
    launchScan(f);
    user.stop();

    EXPECT_EQ(shown, kRootVideos);
    EXPECT_TRUE(runWaited);
    const auto doc = XmlCatalogue::loadFile(out.filePath(QStringLiteral("films.xml")));
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->movieCount(), kRootVideos);
    for (int i = 0; i < kRootVideos; ++i)
        EXPECT_EQ(doc->movieAttribute(i, QStringLiteral("TranslatedTitle")), QStringLiteral("Film 1"));
    EXPECT_EQ(dialogs.errors, QStringList());
}
