// Scans with the manual lookup: the real window, driven as a user would,
// against the fake film-database service; the decisions end up in the catalogue.
#include "catalog/Movie.h"
#include "catalog/MovieList.h"
#include "filmdb/ui/LookupWindow.h"
#include "support/Control.h"
#include "support/FakeFilmDatabase.h"
#include "support/ScanFolder.h"
#include "support/ScanHarness.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

enum class Act {
    PickSecond, // then validates once its details are shown
    CloseBox,
    Skip,
    Stop,
    SpaceThenValidate,
    Validate, // what the two picks do next
};

struct ManualScan {
    FakeFilmDatabase service;
    ScanHarness h;
    TFormAllocine window {AppPaths::beside(h.app.path()), h.dialogs};
    QStringList titlesShown;
    // The buttons clicked, in turn, in the questions the window asks.
    QStringList answers;
    QStringList questions;
    QStringList focusOnList; // where the keys went when each list came

    ManualScan()
    {
        std::vector<FakeFilm> films = FakeFilmDatabase::numberedFilms(6);
        films[1].cast = {{"Realisateur", 8002, ""}};
        service.addSearch("FILM", FakeSearch {films});
        h.options.values.CbAlloManu = true;
        h.options.values.Serveur = service.host();
        h.run->setManualLookup(&window);
        QFile::copy(binDir() + QStringLiteral("/Vide.jpeg"), h.app.filePath(QStringLiteral("Vide.jpeg")));
    }

    // Runs `scan` while a user searches "Film" for each file and then does the next act.
    template <typename Scan>
    void run(QList<Act> acts, Scan scan)
    {
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                questions << question->text();
                const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
                for (QAbstractButton* button : question->buttons())
                    if (button->text() == answer)
                        button->click();
                return;
            }
            if (!window.isVisible() || window.requesting() || acts.isEmpty())
                return;
            if (control<QLineEdit>(&window, "EdNomFilm")->text() != QLatin1String("Film")) {
                titlesShown << control<QLineEdit>(&window, "EdNomFilm")->text();
                control<QLineEdit>(&window, "EdNomFilm")->setText(QStringLiteral("Film"));
                control<QPushButton>(&window, "BtRechercher")->click();
                return;
            }
            if (!window.ListeRadioBoutons[1])
                return;
            const Act act = acts.takeFirst();
            if (act != Act::Validate) {
                QWidget* focus = window.focusWidget();
                focusOnList << (qobject_cast<QRadioButton*>(focus) ? QStringLiteral("candidat")
                        : focus                                    ? focus->objectName()
                                                                   : QStringLiteral("rien"));
            }
            switch (act) {
            case Act::PickSecond:
                window.ListeRadioBoutons[1]->click();
                acts.prepend(Act::Validate);
                break;
            case Act::Validate: control<QPushButton>(&window, "BtValidFilm")->click(); break;
            case Act::CloseBox: window.close(); break;
            case Act::Skip: control<QPushButton>(&window, "BtValidFilm")->click(); break;
            case Act::Stop:
                // Clicked once this handler has returned: the question it may
                // ask is answered by the next rounds of this timer.
                QTimer::singleShot(0, &window, [this] { control<QPushButton>(&window, "BtArret")->click(); });
                break;
            case Act::SpaceThenValidate:
                // The key a user presses after a validation, meant for the next film.
                QTest::keyClick(window.focusWidget(), Qt::Key_Space);
                acts.prepend(Act::Validate);
                break;
            }
        });
        user.start(10);
        scan();
        EXPECT_TRUE(acts.isEmpty());
    }
};

} // namespace

TEST(ManualScan, DecisionsWrittenIntoAnXmlCatalogue)
{
    ManualScan s;
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    s.run({Act::PickSecond, Act::CloseBox, Act::Skip},
        [&] { EXPECT_EQ(s.h.scanNew(scanFolder(), cat), ScanOutcome::Finished); });
    EXPECT_EQ(s.titlesShown.size(), kRootVideos);
    EXPECT_TRUE(s.titlesShown.contains(QStringLiteral("Les Visiteurs"))) << "the title read in the name, alone";

    QFile file(cat);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_EQ(xml.count("<Movie "), 2) << "the closed window wrote nothing";
    EXPECT_EQ(xml.count("TranslatedTitle=\"Film 1\""), 1);
    EXPECT_EQ(xml.count("Director=\"Realisateur\""), 1);
}

TEST(ManualScan, StopEndsTheRunIntoAnAmcCatalogue)
{
    ManualScan s;
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.amc"));
    s.answers = {QStringLiteral("&Arrêter le scan")};
    s.run({Act::PickSecond, Act::Stop}, [&] { EXPECT_EQ(s.h.scanNew(scanFolder(), cat), ScanOutcome::Stopped); });
    EXPECT_EQ(s.titlesShown.size(), 2) << "no file after the stop";
    ASSERT_EQ(s.questions.size(), 1) << "files were left: the stop was confirmed";
    EXPECT_TRUE(s.questions[0].startsWith(QStringLiteral("Arrêter le scan ?"))) << s.questions[0].toStdString();
    EXPECT_EQ(
        s.h.log.filter(QStringLiteral("Le scan a été arrêté par l'utilisateur depuis la fenêtre de recherche.")).size(),
        1)
        << s.h.log.join(QLatin1Char('\n')).toStdString();

    TMovieList list;
    list.LoadFromFile(cat);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetItem(0).strTranslatedTitle, QStringLiteral("Film 1"));
    EXPECT_EQ(list.GetItem(0).strDirector, QStringLiteral("Realisateur"));
    EXPECT_FALSE(s.h.run->stopRequested()) << "cleared when the run ended";
}

// After a validation the keys go to the next film's candidates: a Space meant
// for the previous film picks a film and never stops the run, and a stop that
// would leave films out is asked first.
TEST(ManualScan, TheKeysGoToTheCandidatesAndAStopIsAskedFirst)
{
    ManualScan s;
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    s.answers = {QStringLiteral("&Continuer")};
    s.run({Act::PickSecond, Act::Stop, Act::SpaceThenValidate, Act::CloseBox},
        [&] { EXPECT_EQ(s.h.scanNew(scanFolder(), cat), ScanOutcome::Finished); });
    EXPECT_EQ(s.questions.size(), 1);
    EXPECT_EQ(s.focusOnList, QStringList(4, QStringLiteral("candidat")));

    QFile file(cat);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_EQ(xml.count("<Movie "), 2) << "the film picked by the Space was written";
    EXPECT_FALSE(s.h.log.join(QLatin1Char('\n')).contains(QStringLiteral("arrêté")));
}
