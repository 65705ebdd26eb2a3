// The lookup window against the fake film-database service: the candidate
// pages, the details of a picked film and the decision handed back.
#include "filmdb/ui/LookupWindow.h"
#include "core/Options.h"
#include "filmdb/FilmLookup.h"
#include "platform/HttpClient.h"
#include "support/Control.h"
#include "support/FakeFilmDatabase.h"
#include "support/FakeTmdb.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"
#include "support/TmdbFilms.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace filmarch;
using filmarch::test::control;
using filmarch::test::FakeFilm;
using filmarch::test::FakeFilmDatabase;
using filmarch::test::FakeSearch;

namespace {

const QString noMatch = QStringLiteral("Pas de correspondance trouve dans la base d'Allocine.");
const QString validate = QStringLiteral("Valider le film sélectionné");
const QString skip = QStringLiteral("Passer au suivant");

QStringList originals(int first, int last)
{
    QStringList names;
    for (int i = first; i <= last; ++i)
        names << QStringLiteral("Original %1").arg(i);
    return names;
}

// Page captions "1" .. "n".
QStringList pages(int n)
{
    QStringList captions;
    for (int i = 1; i <= n; ++i)
        captions << QString::number(i);
    return captions;
}

class LookupWindowTest : public ::testing::Test {
protected:
    QTemporaryDir app;
    FakeFilmDatabase service;
    HttpClient http;
    FilmLookup lookup {http, AppPaths::beside(app.path())};
    test::ScriptedDialogs dialogs;
    TFormAllocine window {AppPaths::beside(app.path()), dialogs};

    // The program's Allociné source, at the fake service unless told otherwise.
    LookupSource* allocine(const QString& host = {})
    {
        ScanOptions options;
        options.Serveur = host.isEmpty() ? service.host() : host;
        return lookup.source(options);
    }
    QPoint place;

    void SetUp() override
    {
        const QString placeholder = test::binDir() + QStringLiteral("/Vide.jpeg");
        ASSERT_TRUE(QFile::copy(placeholder, app.filePath(QStringLiteral("Vide.jpeg"))));
        QFile picture(placeholder);
        ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
        service.picture = picture.readAll().toStdString();
    }

    // The window's requests run off its thread: the answer is shown once the
    // event loop has run.
    void answered()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !window.requesting(); }, 60000));
    }

    void searchNow()
    {
        window.BtRechercherClick();
        answered();
    }

    // Shows the window for "Film" (keyword FILM) holding `films`, and searches.
    void search(std::vector<FakeFilm> films, const QString& year = QString())
    {
        service.addSearch("FILM", FakeSearch {std::move(films)});
        window.startLookUp({allocine(), QStringLiteral("Film"), year, &place});
        searchNow();
    }

    QStringList shown() const
    {
        QStringList captions;
        for (const QRadioButton* radio : window.ListeRadioBoutons)
            if (radio)
                captions << radio->text();
        return captions;
    }

    // Page buttons as they read from left to right.
    QList<QPushButton*> pageButtons() const
    {
        QList<QPushButton*> buttons;
        for (QAbstractButton* button : control<QButtonGroup>(&window, "ListeBoutons")->buttons())
            buttons << qobject_cast<QPushButton*>(button);
        std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
        return buttons;
    }

    QStringList pageCaptions() const
    {
        QStringList captions;
        for (const QPushButton* button : pageButtons())
            captions << button->text();
        return captions;
    }

    void showPage(int number)
    {
        pageButtons().at(number - 1)->click();
        answered();
    }
    void pick(int entry)
    {
        window.ListeRadioBoutons.at(entry)->click();
        answered();
    }
};

} // namespace

TEST_F(LookupWindowTest, PagesOfFiveWithTheirButtons)
{
    struct Case {
        int films;
        QStringList captions;
        int lastPage;
        QStringList lastShown;
        const char* count; // asked of the list request
    };
    const std::vector<Case> cases = {
        {12, pages(3), 3, originals(10, 11), "count=12"},
        {3, pages(1), 1, originals(0, 2), "count=3"},
        {45, pages(6), 6, originals(25, 29), "count=30"},
    };
    for (const Case& c : cases) {
        search(FakeFilmDatabase::numberedFilms(c.films));
        EXPECT_EQ(pageCaptions(), c.captions) << c.films;
        EXPECT_EQ(shown(), originals(0, std::min(c.films, 5) - 1)) << c.films;
        EXPECT_EQ(control<QPushButton>(&window, "BtValidFilm")->text(), skip) << "nothing picked yet";
        EXPECT_EQ(pageButtons().last()->geometry(), QRect(361, 635, 17, 20));
        showPage(c.lastPage);
        EXPECT_EQ(shown(), c.lastShown) << c.films;
        EXPECT_NE(service.requests().back().find(c.count), std::string::npos) << service.requests().back();
        EXPECT_EQ(window.ListeRadioBoutons[0]->objectName(), QStringLiteral("C%1").arg(1000 + (c.lastPage - 1) * 5));
        window.finishLookUp();
    }
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(LookupWindowTest, PreferredCandidateSwapsWithTheFirst)
{
    search(FakeFilmDatabase::numberedFilms(12), QStringLiteral("1997"));
    EXPECT_EQ(window.bestitem, 7);
    EXPECT_EQ(shown(), originals(7, 7) + originals(1, 4));
    showPage(2);
    EXPECT_EQ(shown(), originals(5, 6) + originals(0, 0) + originals(8, 9));

    // No year: the list as it comes.
    search(FakeFilmDatabase::numberedFilms(12));
    EXPECT_EQ(shown(), originals(0, 4));
}

TEST_F(LookupWindowTest, DetailsOfThePickedFilmAndItsValidation)
{
    std::vector<FakeFilm> films = FakeFilmDatabase::numberedFilms(3);
    films[1].releaseDate = "1991-05-02";
    films[1].cast = {{"Réalisatrice", 8002, ""}, {"Acteur", 8001, "Rôle"}};
    films[1].synopsis = "Une histoire.";
    films[1].pressRating = "3.6";
    films[1].posterHref = service.posterUrl("affiche1.jpg").toStdString();
    search(films);
    EXPECT_TRUE(QFileInfo::exists(app.filePath(QStringLiteral("images/Original 1.jpeg"))));

    control<QCheckBox>(&window, "CbAfficherDetails")->setEnabled(true);
    control<QCheckBox>(&window, "CbAfficherDetails")->click(); // checked, no details yet: only the width
    EXPECT_EQ(window.width(), TFormAllocine::wideWidth);
    EXPECT_EQ(window.MemoFilm, nullptr);

    pick(1);
    EXPECT_EQ(control<QPushButton>(&window, "BtValidFilm")->text(), validate);
    ASSERT_NE(window.MemoFilm, nullptr);
    EXPECT_EQ(window.MemoFilm->geometry(), QRect(384, 50, 329, 581));
    const QStringList lines = window.MemoFilm->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 22);
    EXPECT_EQ(lines[0], QStringLiteral("Titre : Film 1"));
    EXPECT_EQ(lines[1], QString());
    EXPECT_EQ(lines[6], QStringLiteral("Réalisé par : Réalisatrice"));
    EXPECT_EQ(lines[14], QStringLiteral("Acteurs : Acteur(Rôle)"));
    EXPECT_EQ(lines[16], QStringLiteral("Durée : 1h30min"));
    EXPECT_EQ(lines[18], QStringLiteral("Synopsis : Une histoire."));
    EXPECT_EQ(lines[20], QStringLiteral("Critiques presse : 4/5"));
    EXPECT_EQ(lines[21], QStringLiteral("Critiques spectateurs : /5"));

    // Another film: a new box in the same place, the window stays wide.
    const QPlainTextEdit* first = window.MemoFilm;
    pick(2);
    EXPECT_EQ(window.width(), TFormAllocine::wideWidth);
    EXPECT_EQ(window.findChildren<QPlainTextEdit*>().size(), 1);
    EXPECT_TRUE(window.MemoFilm->toPlainText().startsWith(QStringLiteral("Titre : Film 2")));
    EXPECT_NE(first, window.MemoFilm);
    EXPECT_EQ(window.MemoFilm->geometry(), QRect(384, 50, 329, 581));
    control<QCheckBox>(&window, "CbAfficherDetails")->click();
    EXPECT_EQ(window.width(), TFormAllocine::narrowWidth);

    pick(1);
    control<QPushButton>(&window, "BtValidFilm")->click();
    const ManualLookupDecision decision = window.finishLookUp();
    EXPECT_EQ(decision.kind, ManualLookupDecision::Validate);
    EXPECT_EQ(decision.infos[InfoTitre], QStringLiteral("Film 1"));
    EXPECT_EQ(decision.infos[InfoAnneeSortie], QStringLiteral("1991"));
    EXPECT_EQ(decision.infos[InfoRealisateur], QStringLiteral("Réalisatrice"));
    EXPECT_EQ(window.width(), TFormAllocine::savingWidth);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QFileInfo::exists(app.filePath(QStringLiteral("images")))) << "thumbnails deleted";
    EXPECT_TRUE(control<QCheckBox>(&window, "CbAfficherDetails")->isEnabled()) << "stays enabled";
}

TEST_F(LookupWindowTest, FailuresLeaveTheAnalysisDataOnly)
{
    // The service cannot be reached.
    window.startLookUp({allocine(QStringLiteral("127.0.0.1:1")), QStringLiteral("Film"), QString(), &place});
    searchNow();
    EXPECT_EQ(
        control<QLabel>(&window, "PanelFilms")->text(), QStringLiteral("Eerreur de connection à la base d'Allocine"));
    EXPECT_EQ(control<QPushButton>(&window, "BtValidFilm")->text(), skip);
    EXPECT_TRUE(pageButtons().isEmpty());
    control<QPushButton>(&window, "BtValidFilm")->click();
    ManualLookupDecision decision = window.finishLookUp();
    EXPECT_EQ(decision.kind, ManualLookupDecision::Validate);
    EXPECT_EQ(decision.infos, InfosFilmAllo());

    // No film found.
    search({});
    EXPECT_EQ(control<QLabel>(&window, "PanelFilms")->text(), noMatch);
    window.finishLookUp();

    // A film picked, then another whose details cannot be had: nothing of either is written.
    search(FakeFilmDatabase::numberedFilms(3));
    EXPECT_TRUE(control<QLabel>(&window, "PanelFilms")->text().isEmpty());
    pick(0);
    EXPECT_EQ(window.infosFilmAllo[InfoTitre], QStringLiteral("Film 0"));
    service.failMovieRequests = true;
    pick(1);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(control<QPushButton>(&window, "BtValidFilm")->text(), skip);
    EXPECT_TRUE(window.isVisible());
    control<QPushButton>(&window, "BtValidFilm")->click();
    decision = window.finishLookUp();
    EXPECT_EQ(decision.kind, ManualLookupDecision::Validate);
    EXPECT_EQ(decision.infos, InfosFilmAllo());
}

// Details without a production year or a running time could not be read: the
// box of a failed request, and validation keeps to the analysis data. A
// synopsis that cannot be read is logged when its film is picked.
TEST_F(LookupWindowTest, DetailsMissingTheirYearOrRunningTimeAreRefused)
{
    std::vector<FakeFilm> films = FakeFilmDatabase::numberedFilms(3);
    films[0].productionYear = 0;
    films[1].runtime.reset();
    films[2].synopsis = "Une <b>belle</b> histoire.";
    service.addSearch("FILM", FakeSearch {films});
    QStringList logged;
    window.startLookUp(
        {allocine(), QStringLiteral("Film"), QString(), &place, [&](const QString& line) { logged << line; }});
    searchNow();

    for (const int entry : {0, 1}) {
        pick(entry);
        EXPECT_EQ(dialogs.errors.size(), entry + 1);
        EXPECT_EQ(control<QPushButton>(&window, "BtValidFilm")->text(), skip);
        EXPECT_EQ(window.infosFilmAllo, InfosFilmAllo());
    }
    EXPECT_TRUE(logged.isEmpty());
    pick(2);
    EXPECT_EQ(control<QPushButton>(&window, "BtValidFilm")->text(), validate);
    EXPECT_EQ(logged, QStringList {QStringLiteral("Erreur de récupération du synopsis : Film 2")});
    window.close(); // the file is skipped; the line stays in the log
    EXPECT_EQ(window.finishLookUp().kind, ManualLookupDecision::Skip);
    EXPECT_EQ(logged.size(), 1);
}

TEST_F(LookupWindowTest, ThumbnailNamesStayInTheImagesFolder)
{
    std::vector<FakeFilm> films = FakeFilmDatabase::numberedFilms(2);
    films[0].originalTitle = "../../Évasion: 1/2?";
    films[0].posterHref = service.posterUrl("a.jpg").toStdString();
    search(films);
    EXPECT_EQ(shown()[0], QStringLiteral("../../Évasion: 1/2?"));
    EXPECT_EQ(QDir(app.filePath(QStringLiteral("images"))).entryList(QDir::Files | QDir::Hidden),
        QStringList {QStringLiteral("..-..-Évasion- 1-2-.jpeg")});
    EXPECT_EQ(QDir(app.path()).entryList({QStringLiteral("*.jpeg")}), QStringList {QStringLiteral("Vide.jpeg")});
    window.finishLookUp();
}

// The real modal round: the window placed, searched once, closed by the user.
TEST_F(LookupWindowTest, ModalLookUpEndsWithTheUsersChoice)
{
    service.addSearch("FILM", FakeSearch {FakeFilmDatabase::numberedFilms(12)});
    bool progressStop = true;
    // Far enough to the left for the window placed beside it to fit the screen.
    window.progressTopLeft = [] { return QPoint(-300, 50); };
    window.enableProgressStop = [&](bool on) { progressStop = on; };

    const auto lookUpWhenListed = [&](const std::function<void()>& act) {
        QTimer poll;
        QPoint seen;
        bool stopOff = false;
        bool searchLocked = false; // seen while a request ran
        // The search waits for the answer until the window has been seen busy.
        service.answers.close();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (window.requesting()) {
                searchLocked = !control<QPushButton>(&window, "BtRechercher")->isEnabled()
                    && !control<QPushButton>(&window, "BtValidFilm")->isEnabled();
                service.answers.open();
                return;
            }
            if (!window.ListeRadioBoutons[0] || !window.isVisible())
                return;
            poll.stop();
            seen = window.pos();
            stopOff = !progressStop;
            act();
        });
        poll.start(10);
        const ManualLookupDecision decision = window.lookUp({allocine(), QStringLiteral("Film"), QString(), &place});
        EXPECT_TRUE(stopOff) << "the progress window's Stop is off while the window is up";
        EXPECT_FALSE(progressStop) << "and stays off until the run ends";
        EXPECT_TRUE(searchLocked) << "the window answers during requests, with no second search possible";
        return std::make_pair(decision, seen);
    };

    // The close box skips the file; coming back to the window does not search again.
    auto [closed, firstPlace] = lookUpWhenListed([&] {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &activate);
        window.close();
    });
    EXPECT_EQ(closed.kind, ManualLookupDecision::Skip);
    EXPECT_EQ(firstPlace, QPoint(260, 50));
    const std::vector<std::string> requests = service.requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                  [](const std::string& t) { return t.rfind("/rest/v3/search", 0) == 0; }),
        2);

    // Next file: where the user left it; "Stop" ends the run.
    place = QPoint(30, 40);
    auto [stopped, secondPlace] = lookUpWhenListed([&] { control<QPushButton>(&window, "BtArret")->click(); });
    EXPECT_EQ(stopped.kind, ManualLookupDecision::Stop);
    EXPECT_EQ(secondPlace, QPoint(30, 40));
    EXPECT_FALSE(control<QPushButton>(&window, "BtArret")->isEnabled());
}

// Answers held by the service while the user moves on to the next film: the
// window answers meanwhile, a late answer is never shown for the next film,
// and the next film's search waits for the late one to end.
TEST_F(LookupWindowTest, AnAnswerComingAfterTheUserMovedOnIsDropped)
{
    std::vector<FakeFilm> films = FakeFilmDatabase::numberedFilms(12);
    films[0].synopsis = "Une <b>belle</b> histoire."; // logged when its details come
    service.addSearch("FILM", FakeSearch {films});
    QStringList logged;
    const auto lookUp = [&](const char* title) {
        window.startLookUp(
            {allocine(), QString::fromLatin1(title), QString(), &place, [&](const QString& line) { logged << line; }});
    };
    const auto nextFilmShowsItsOwnAnswer = [&] {
        lookUp("Autre"); // unknown to the service
        window.BtRechercherClick();
        EXPECT_TRUE(window.requesting());
        service.answers.open();
        answered();
        EXPECT_EQ(control<QLabel>(&window, "PanelFilms")->text(), noMatch);
        EXPECT_TRUE(shown().isEmpty());
        EXPECT_TRUE(pageButtons().isEmpty());
        EXPECT_NE(service.requests().back().find("AUTRE"), std::string::npos) << "asked last";
        window.finishLookUp();
    };

    // The search held, then "Arrêter".
    service.answers.close();
    lookUp("Film");
    window.BtRechercherClick();
    ASSERT_TRUE(window.requesting()) << "the click returned with the answer still held";
    EXPECT_FALSE(control<QPushButton>(&window, "BtRechercher")->isEnabled());
    EXPECT_FALSE(control<QPushButton>(&window, "BtValidFilm")->isEnabled());
    control<QPushButton>(&window, "BtArret")->click();
    EXPECT_EQ(window.finishLookUp().kind, ManualLookupDecision::Stop);
    nextFilmShowsItsOwnAnswer();

    // A film's details shown, another's held, then the close box.
    lookUp("Film");
    searchNow();
    pick(1);
    ASSERT_NE(window.MemoFilm, nullptr);
    service.answers.close();
    window.ListeRadioBoutons[0]->click();
    ASSERT_TRUE(window.requesting());
    window.close();
    EXPECT_EQ(window.finishLookUp().kind, ManualLookupDecision::Skip);
    nextFilmShowsItsOwnAnswer();
    EXPECT_TRUE(window.findChildren<QPlainTextEdit*>().isEmpty()) << "no details of the last file's film";
    EXPECT_TRUE(logged.isEmpty()) << logged.join(QLatin1Char('\n')).toStdString();

    EXPECT_EQ(service.mostAtOnce, 1) << "one request at a time";
}

TEST_F(LookupWindowTest, ListsTmdbCandidatesTheSameWay)
{
    test::FakeTmdb tmdb;
    tmdb.addSearch("Alien", test::alienResults);
    tmdb.addMovie(348, test::alienDetails);
    tmdb.picture = service.picture;
    ScanOptions options;
    options.CleTMDb = QString::fromStdString(tmdb.key);
    options.ServeurTMDb = tmdb.server();
    window.startLookUp({lookup.source(options), QStringLiteral("Alien"), QStringLiteral("1979"), &place});
    searchNow();
    // The film of the file name's year comes first; each shows its French
    // title, its original title when it differs, and its year.
    EXPECT_EQ(shown(),
        (QStringList {QStringLiteral("Alien, le huitième passager (Alien, 1979)"),
            QStringLiteral("Alien (remake) (Alien Again, 2024)")}));
    EXPECT_EQ(pageCaptions(), pages(1));
    EXPECT_EQ(tmdb.count("/t/p/w92/alien.jpg"), 1) << "thumbnails at a small size";
    ASSERT_FALSE(window.ListImage[1]->pixmap().isNull()) << "no poster: the placeholder";

    control<QCheckBox>(&window, "CbAfficherDetails")->setChecked(true);
    pick(0);
    ASSERT_NE(window.MemoFilm, nullptr);
    EXPECT_TRUE(window.MemoFilm->toPlainText().contains(QStringLiteral("Réalisé par : Ridley Scott")));
    EXPECT_TRUE(window.MemoFilm->toPlainText().contains(QStringLiteral("Critiques spectateurs : 4/5")));
    EXPECT_EQ(control<QPushButton>(&window, "BtValidFilm")->text(), validate);
    control<QPushButton>(&window, "BtValidFilm")->click();
    const ManualLookupDecision decision = window.finishLookUp();
    EXPECT_EQ(decision.kind, ManualLookupDecision::Validate);
    EXPECT_EQ(decision.infos[InfoTitre], QStringLiteral("Alien, le huitième passager"));
    EXPECT_EQ(decision.infos[InfoAffiche], QString::fromStdString(tmdb.imageBase()) + QStringLiteral("w500/alien.jpg"));

    // Nothing found, then the key refused: said in the window's own words.
    window.startLookUp({lookup.source(options), QStringLiteral("Inconnu"), QString(), &place});
    searchNow();
    EXPECT_EQ(control<QLabel>(&window, "PanelFilms")->text(),
        QStringLiteral("Pas de correspondance trouvée dans la base de TMDb."));
    window.finishLookUp();
    options.CleTMDb = QStringLiteral("ffffffffffffffffffffffffffffffff");
    window.startLookUp({lookup.source(options), QStringLiteral("Alien"), QString(), &place});
    searchNow();
    EXPECT_EQ(control<QLabel>(&window, "PanelFilms")->text(), QStringLiteral("Erreur de connexion à la base de TMDb"));
    EXPECT_EQ(dialogs.errors,
        QStringList {QStringLiteral("La clé TMDb est refusée par le service : vérifiez-la dans les options")});
    window.finishLookUp();
}

// Named after the film database asked; the candidates come before the buttons
// under them in the Tab order; wider with the details, the window stays on
// its screen.
TEST_F(LookupWindowTest, NamedAfterItsSourceKeyboardOrderAndOnItsScreen)
{
    search(FakeFilmDatabase::numberedFilms(3));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Recherche sur Allociné"));
    EXPECT_EQ(window.focusWidget(), window.ListeRadioBoutons[0]);
    EXPECT_EQ(pageButtons().first()->accessibleName(), QStringLiteral("Page 1"));
    EXPECT_EQ(window.ListImage[0]->accessibleName(), QStringLiteral("Affiche : Original 0"));

    QStringList order;
    QWidget* w = control(&window, "EdNomFilm");
    do {
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus))
            order << (qobject_cast<QRadioButton*>(w) ? QStringLiteral("film") : w->objectName());
        w = w->nextInFocusChain();
    } while (w != control(&window, "EdNomFilm"));
    order.removeAll(QString()); // the page button
    EXPECT_EQ(order,
        (QStringList {QStringLiteral("EdNomFilm"), QStringLiteral("BtRechercher"), QStringLiteral("CbAfficherDetails"),
            QStringLiteral("film"), QStringLiteral("BtValidFilm"), QStringLiteral("BtArret")}))
        << "the candidates are one stop, the arrows move between them";

    const QRect room = window.screen()->availableGeometry();
    window.move(room.right() - TFormAllocine::narrowWidth - 10, room.top() + 10);
    control<QCheckBox>(&window, "CbAfficherDetails")->setEnabled(true);
    control<QCheckBox>(&window, "CbAfficherDetails")->click();
    EXPECT_EQ(window.width(), TFormAllocine::wideWidth);
    EXPECT_LE(window.frameGeometry().right(), room.right());
    EXPECT_GE(window.frameGeometry().left(), room.left());
    EXPECT_GE(window.frameGeometry().top(), room.top());
    window.finishLookUp();
}
