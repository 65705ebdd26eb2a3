// The web page of a catalogue, opened in headless Chromium: what a reader sees
// after a search, a sort, a filter and in a film's detail view.
#include "HeadlessChromium.h"
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "core/ScanProgress.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFixtures.h"
#include "export/Exporter.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonValue>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace filmarch;
using namespace filmarch::test;

namespace {

void exportPage(const QString& catalogue, const QString& folder)
{
    NullProgress progress;
    writeExport(ExportCatalogue::read(catalogue), catalogue, ExportFormat::Html, folder, progress);
}

QStringList strings(const QJsonValue& value)
{
    QStringList out;
    for (const QJsonValue& v : value.toArray())
        out << v.toString();
    return out;
}

// Screenshots for a look by hand when FILMARCH_SCREENSHOTS names a folder.
void keepScreenshot(HeadlessChromium& browser, const char* name)
{
    const QString folder = qEnvironmentVariable("FILMARCH_SCREENSHOTS");
    if (!folder.isEmpty())
        writeFile(QDir(folder).filePath(QString::fromLatin1(name)), browser.screenshot());
}

// Opens the page and waits until it has read its films.
void openPage(HeadlessChromium& browser, const QString& folder)
{
    browser.open(folder + QStringLiteral("/index.html"));
    browser.evaluate(QStringLiteral("new Promise(r => { const ready = () => document.documentElement.dataset.pret "
                                    "? r(true) : requestAnimationFrame(ready); ready(); })"));
}

// Clicks the first card shown and returns the detail view's text.
const QString openFirstCard = QStringLiteral(
    "(() => { document.querySelector('#grille .carte').click(); return document.getElementById('fiche').hidden ? "
    "'caché' : document.getElementById('fiche-contenu').innerText; })()");

// Tests of the page in headless Chromium, skipped where it is not installed.
class PageInBrowser : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (HeadlessChromium::executable().isEmpty())
            GTEST_SKIP() << "chromium is not installed: the page is not checked in a browser";
        chromium = std::make_unique<HeadlessChromium>();
        ASSERT_TRUE(chromium->started());
        chromium->resize(1280, 900);
    }
    std::unique_ptr<HeadlessChromium> chromium;
};

const QString cardTitles =
    QStringLiteral("Array.from(document.querySelectorAll('#grille .carte .titre'), e => e.textContent)");

} // namespace

TEST(WebPageExport, FolderHoldsThePageAndScaledPostersAndIsReplacedWhole)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("diner.png")), pictureBytes(300, 450, "PNG"));
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QStringLiteral("diner.png"));
    const QString page = dir.filePath(QStringLiteral("page"));
    exportPage(dir.filePath(QStringLiteral("films.amc")), page + QLatin1Char('/')); // as tab completion gives it
    // An earlier export had a ninth poster.
    writeFile(page + QStringLiteral("/affiches/9.jpg"), "an earlier export's poster");
    writeFile(page + QStringLiteral("/.filmarch-export"),
        readFile(page + QStringLiteral("/.filmarch-export")) + "affiches/9.jpg\n");
    exportPage(dir.filePath(QStringLiteral("films.amc")), page);

    EXPECT_EQ(QDir(page).entryList(QDir::Files | QDir::NoDotAndDotDot),
        QStringList({QStringLiteral("data.js"), QStringLiteral("fiches.js"), QStringLiteral("index.html"),
            QStringLiteral("page.css"), QStringLiteral("page.js")}));
    EXPECT_EQ(QImage(page + QStringLiteral("/affiches/1.jpg")).size(), QSize(400, 600));
    EXPECT_EQ(QImage(page + QStringLiteral("/affiches/2.jpg")).size(), QSize(300, 450)); // never scaled up
    EXPECT_FALSE(QFile::exists(page + QStringLiteral("/affiches/3.jpg")));
    EXPECT_FALSE(QFile::exists(page + QStringLiteral("/affiches/9.jpg")));
    // Nothing of the writing is left beside the page.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({QStringLiteral("diner.png"), QStringLiteral("films.amc"), QStringLiteral("page")}));
}

// What the user put into the folder of an earlier export stays; what killed
// exports left beside it goes, the user's files it held put back.
TEST(WebPageExport, ReExportKeepsTheUsersFilesAndClearsKilledExports)
{
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
    writeAmcCatalogue(path("films.amc"), QString());
    const QString page = path("page");
    exportPage(path("films.amc"), page);
    writeFile(page + QStringLiteral("/notes.txt"), "mes notes");
    QDir(page).mkpath(QStringLiteral("photos/2024"));
    writeFile(page + QStringLiteral("/photos/2024/salle.jpg"), "photo");
    writeFile(page + QStringLiteral("/affiches/ma-version.jpg"), "mon affiche");
    // A killed export that was writing, and one killed just after putting its page in place.
    QDir(dir.path()).mkpath(QStringLiteral(".page.ecriture-mort/affiches"));
    writeFile(path(".page.ecriture-mort/affiches/1.jpg"), QByteArray(1 << 20, 'x'));
    QDir(dir.path()).mkpath(QStringLiteral(".page.ecriture-tue"));
    writeFile(path(".page.ecriture-tue/.filmarch-export"), "Export Filmarch\nindex.html\n");
    writeFile(path(".page.ecriture-tue/index.html"), "old page");
    writeFile(path(".page.ecriture-tue/lettre.txt"), "à garder");

    NullProgress progress;
    const ExportReport report =
        writeExport(ExportCatalogue::read(path("films.amc")), path("films.amc"), ExportFormat::Html, page, progress);

    EXPECT_EQ(readFile(page + QStringLiteral("/notes.txt")), "mes notes");
    EXPECT_EQ(readFile(page + QStringLiteral("/photos/2024/salle.jpg")), "photo");
    EXPECT_EQ(readFile(page + QStringLiteral("/affiches/ma-version.jpg")), "mon affiche");
    EXPECT_EQ(readFile(page + QStringLiteral("/lettre.txt")), "à garder");
    EXPECT_TRUE(QFile::exists(page + QStringLiteral("/affiches/1.jpg")));
    EXPECT_EQ(report.kept,
        QStringList({QStringLiteral("lettre.txt"), QStringLiteral("affiches/ma-version.jpg"),
            QStringLiteral("notes.txt"), QStringLiteral("photos")}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({QStringLiteral("films.amc"), QStringLiteral("page")}));
    // The marker lists what the export wrote, and nothing of the user's.
    const QString marker = QString::fromUtf8(readFile(page + QStringLiteral("/.filmarch-export")));
    EXPECT_TRUE(marker.contains(QStringLiteral("\naffiches/1.jpg\n")));
    EXPECT_TRUE(marker.contains(QStringLiteral("\nindex.html\n")));
    EXPECT_FALSE(marker.contains(QStringLiteral("notes.txt")));
}

// A photo taken on its side is turned upright, as every viewer shows it, and
// then scaled to the poster's width (it is decoded at the smaller size).
TEST(WebPageExport, PostersTurnedByTheirExifOrientation)
{
    QTemporaryDir dir;
    QByteArray jpeg = pictureBytes(1200, 800);
    // An EXIF block saying "turn a quarter clockwise" (orientation 6) right after the start marker.
    const QByteArray exif = QByteArray("\xFF\xE1\x00\x22"
                                       "Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0",
        36);
    jpeg.insert(2, exif);
    writeFile(dir.filePath(QStringLiteral("couchee.jpg")), jpeg);
    ASSERT_EQ(QImageReader(dir.filePath(QStringLiteral("couchee.jpg"))).transformation(),
        QImageIOHandler::TransformationRotate90);
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QStringLiteral("couchee.jpg"));
    exportPage(dir.filePath(QStringLiteral("films.amc")), dir.filePath(QStringLiteral("page")));
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("page/affiches/2.jpg"))).size(), QSize(400, 600));
}

TEST_F(PageInBrowser, SearchSortFilterAndDetailInTheBrowser)
{
    QTemporaryDir dir;
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QString());
    const QString page = dir.filePath(QStringLiteral("page"));
    exportPage(dir.filePath(QStringLiteral("films.amc")), page);

    HeadlessChromium& browser = *chromium;
    openPage(browser, page);
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.getElementById('compte').textContent")).toString(),
        QStringLiteral("3 films"));
    EXPECT_EQ(strings(browser.evaluate(cardTitles)),
        QStringList({QStringLiteral("Le Dîner de cons"), QStringLiteral("Le Fabuleux Destin d'Amélie Poulain"),
            QStringLiteral("Zodiac")}));
    // The stored poster is shown; the others get a placeholder bearing their title.
    EXPECT_TRUE(
        browser
            .evaluate(QStringLiteral("Promise.all(Array.from(document.images, i => i.decode()))"
                                     ".then(() => Array.from(document.images).every(i => i.naturalWidth === 400))"))
            .toBool());
    EXPECT_EQ(strings(browser.evaluate(
                  QStringLiteral("Array.from(document.querySelectorAll('.sans-affiche'), e => e.textContent)"))),
        QStringList({QStringLiteral("Le Dîner de cons"), QStringLiteral("Zodiac")}));
    keepScreenshot(browser, "grille.png");

    const auto act = [&](const char* id, const QString& value, const char* event) {
        return strings(
            browser.evaluate(QStringLiteral("(() => { const e = document.getElementById('%1'); e.value = %2; "
                                            "e.dispatchEvent(new Event('%3')); return %4; })()")
                                 .arg(QString::fromLatin1(id), value, QString::fromLatin1(event), cardTitles)));
    };
    const QStringList amelie {QStringLiteral("Le Fabuleux Destin d'Amélie Poulain")};
    EXPECT_EQ(act("recherche", QStringLiteral("'amelie'"), "input"), amelie);
    EXPECT_EQ(act("recherche", QStringLiteral("'KASSOVITZ'"), "input"), amelie);         // an actor
    EXPECT_EQ(act("recherche", QStringLiteral("'amélie (2001).mkv'"), "input"), amelie); // the file
    EXPECT_EQ(act("recherche", QStringLiteral("'jeunet poulain'"), "input"), amelie);    // every word
    EXPECT_EQ(act("recherche", QStringLiteral("'policier'"), "input"), QStringList {QStringLiteral("Zodiac")});
    EXPECT_EQ(act("recherche", QStringLiteral("'etats-unis'"), "input"), QStringList {QStringLiteral("Zodiac")});
    EXPECT_EQ(act("recherche", QStringLiteral("'1998'"), "input"), QStringList {QStringLiteral("Le Dîner de cons")});
    EXPECT_EQ(act("recherche", QStringLiteral("'tarkovski'"), "input"), QStringList());
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.querySelector('#grille .vide').textContent")).toString(),
        QStringLiteral("Aucun film ne correspond."));
    act("recherche", QStringLiteral("''"), "input");
    EXPECT_EQ(act("tri", QStringLiteral("'annee'"), "change"),
        QStringList({QStringLiteral("Zodiac"), QStringLiteral("Le Fabuleux Destin d'Amélie Poulain"),
            QStringLiteral("Le Dîner de cons")}));
    EXPECT_EQ(act("tri", QStringLiteral("'note'"), "change"),
        QStringList({QStringLiteral("Le Dîner de cons"), QStringLiteral("Le Fabuleux Destin d'Amélie Poulain"),
            QStringLiteral("Zodiac")}));
    EXPECT_EQ(act("tri", QStringLiteral("'realisateur'"), "change"),
        QStringList({QStringLiteral("Le Fabuleux Destin d'Amélie Poulain"), QStringLiteral("Le Dîner de cons"),
            QStringLiteral("Zodiac")}));
    EXPECT_EQ(act("tri", QStringLiteral("'taille'"), "change").value(0),
        QStringLiteral("Le Fabuleux Destin d'Amélie Poulain"));
    act("tri", QStringLiteral("'titre'"), "change");
    EXPECT_EQ(act("annee", QStringLiteral("'d2000'"), "change"),
        QStringList({QStringLiteral("Le Fabuleux Destin d'Amélie Poulain"), QStringLiteral("Zodiac")}));
    EXPECT_EQ(act("annee", QStringLiteral("'a1998'"), "change"), QStringList {QStringLiteral("Le Dîner de cons")});
    act("annee", QStringLiteral("''"), "change");
    act("tri", QStringLiteral("'note'"), "change");
    EXPECT_EQ(
        strings(browser.evaluate(QStringLiteral("Array.from(document.getElementById('genre').options, o => o.text)"))),
        QStringList({QStringLiteral("Tous les genres"), QStringLiteral("Comédie (2)"), QStringLiteral("Policier (1)"),
            QStringLiteral("Romance (1)")}));
    EXPECT_EQ(act("genre", QStringLiteral("'comedie'"), "change"),
        QStringList({QStringLiteral("Le Dîner de cons"), QStringLiteral("Le Fabuleux Destin d'Amélie Poulain")}));
    EXPECT_EQ(act("pays", QStringLiteral("'allemagne'"), "change"), amelie);
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.getElementById('compte').textContent")).toString(),
        QStringLiteral("1 sur 3 films"));

    const int history = browser.evaluate(QStringLiteral("history.length")).toInt();
    const QString detail = browser.evaluate(openFirstCard).toString();
    for (const char* part : {"Le Fabuleux Destin d'Amélie Poulain", "Amélie\n", "2001 · 2 h 02 min · Note 7,5/10",
             "Jean-Pierre Jeunet", "Audrey Tautou (Amélie Poulain), Mathieu Kassovitz (Nino \"Quincampoix\")",
             "Comédie, Romance", "France, Allemagne", "15/03/2024", "Amélie, une jeune serveuse…\nÀ Montmartre \\o/.",
             "AVC MPEG_4", "2500 kbit/s", "1920x800", "23.976 images/s", "Français, English", "1400 Mio",
             "/films/Amélie (2001).mkv", "cover.jpg\nnotes.txt", "Édition", "Collector, 2 disques"})
        EXPECT_TRUE(detail.contains(QString::fromUtf8(part))) << part << "\nin:\n" << detail.toStdString();
    keepScreenshot(browser, "fiche.png");
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.querySelector('#fiche a.chemin').href")).toString(),
        QStringLiteral("file:///films/Am%C3%A9lie%20(2001).mkv"));
    // Tab goes round the film view: from its last link to the close button, and back.
    const QString tab = QStringLiteral("document.dispatchEvent(new KeyboardEvent('keydown', {key: 'Tab', shiftKey: %1, "
                                       "bubbles: true, cancelable: true})); document.activeElement.%2");
    browser.evaluate(QStringLiteral("document.querySelector('#fiche a.chemin').focus()"));
    EXPECT_EQ(browser.evaluate(tab.arg(QStringLiteral("false"), QStringLiteral("className"))).toString(),
        QStringLiteral("fermer"));
    EXPECT_EQ(browser.evaluate(tab.arg(QStringLiteral("true"), QStringLiteral("className"))).toString(),
        QStringLiteral("chemin"));
    // Closing gives the focus back to the card, and takes back the history entry the opening made.
    EXPECT_TRUE(browser
                    .evaluate(QStringLiteral("new Promise(r => { addEventListener('popstate', r, {once: true}); "
                                             "document.dispatchEvent(new KeyboardEvent('keydown', {key: 'Escape'})); "
                                             "}).then(() => document.getElementById('fiche').hidden)"))
                    .toBool());
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.activeElement.className + ' ' + location.hash")).toString(),
        QStringLiteral("carte "));
    browser.evaluate(openFirstCard);
    browser.evaluate(QStringLiteral("new Promise(r => { addEventListener('popstate', r, {once: true}); "
                                    "document.querySelector('#fiche .fermer').click(); })"));
    EXPECT_EQ(browser.evaluate(QStringLiteral("history.length")).toInt(), history + 1);
    EXPECT_EQ(browser.evaluate(QStringLiteral("history.state")), QJsonValue(QJsonValue::Null));

    browser.resize(390, 844, true);
    act("pays", QStringLiteral("''"), "change");
    act("genre", QStringLiteral("''"), "change");
    EXPECT_TRUE(browser.evaluate(QStringLiteral("document.documentElement.scrollWidth <= 390")).toBool())
        << "the page is wider than a phone";
    keepScreenshot(browser, "telephone.png");
    browser.evaluate(openFirstCard);
    EXPECT_TRUE(
        browser
            .evaluate(QStringLiteral("document.querySelector('.fiche-panneau').getBoundingClientRect().width <= 390"))
            .toBool())
        << "the detail view is wider than a phone";
    keepScreenshot(browser, "telephone-fiche.png");
    EXPECT_EQ(browser.errors(), QStringList());
}

// However long the catalogue, only the cards near the screen are in the
// document; scrolling moves them, to the very last film.
TEST_F(PageInBrowser, AWindowOfCardsMovedByScrolling)
{
    QTemporaryDir dir;
    TMovieList list;
    for (int i = 0; i < 3000; ++i) {
        TMovie& movie = list.Add();
        movie.strTranslatedTitle = QStringLiteral("Film %1").arg(i, 4, 10, QLatin1Char('0'));
        movie.iYear = 1950 + i % 70;
    }
    list.GetItem(7).strTranslatedTitle = QStringLiteral("Film 0007 ") + QStringLiteral("très long titre ").repeated(30);
    writeFile(dir.filePath(QStringLiteral("films.amc")), list.SaveToBytes(41));
    const QString page = dir.filePath(QStringLiteral("page"));
    exportPage(dir.filePath(QStringLiteral("films.amc")), page);

    HeadlessChromium& browser = *chromium;
    openPage(browser, page);
    const QString cards = QStringLiteral("document.querySelectorAll('#grille .carte').length");
    const int atLoad = browser.evaluate(cards).toInt();
    EXPECT_GT(atLoad, 20);
    EXPECT_LT(atLoad, 300);
    // A very long title does not make its row taller than the others.
    EXPECT_TRUE(browser
                    .evaluate(QStringLiteral("new Set(Array.from(document.querySelectorAll('#grille .carte'), "
                                             "c => c.getBoundingClientRect().height)).size === 1"))
                    .toBool());
    const QString scrollToEnd =
        QStringLiteral("new Promise(r => { window.scrollTo(0, document.documentElement.scrollHeight); "
                       "requestAnimationFrame(() => requestAnimationFrame(() => r(%1))); })");
    const QStringList last = strings(browser.evaluate(scrollToEnd.arg(cardTitles)));
    EXPECT_EQ(last.value(last.size() - 1), QStringLiteral("Film 2999"));
    EXPECT_LT(browser.evaluate(cards).toInt(), 300);
    // The last card is on the screen.
    EXPECT_TRUE(browser
                    .evaluate(QStringLiteral(
                        "(() => { const c = Array.from(document.querySelectorAll('#grille .carte'))"
                        ".pop().getBoundingClientRect(); return c.bottom <= innerHeight && c.top >= 0; })()"))
                    .toBool());
    keepScreenshot(browser, "fin-de-grille.png");
    EXPECT_EQ(browser.errors(), QStringList());
}

TEST_F(PageInBrowser, EmptyCatalogueAndRatingsThatAreNone)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("vide.amc")), TMovieList().SaveToBytes(41));
    exportPage(dir.filePath(QStringLiteral("vide.amc")), dir.filePath(QStringLiteral("vide")));
    auto xml = XmlCatalogue::createNew();
    auto movie = xml->appendMovie();
    movie.setAttribute(QStringLiteral("TranslatedTitle"), QStringLiteral("Note folle"));
    movie.setAttribute(QStringLiteral("Rating"), QStringLiteral("55"));
    writeFile(dir.filePath(QStringLiteral("notes.xml")), xml->toBytes());
    exportPage(dir.filePath(QStringLiteral("notes.xml")), dir.filePath(QStringLiteral("notes")));

    HeadlessChromium& browser = *chromium;
    openPage(browser, dir.filePath(QStringLiteral("vide")));
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.querySelector('#grille .vide').textContent")).toString(),
        QStringLiteral("Le catalogue est vide."));
    // Across the whole grid, not in its first column.
    EXPECT_GT(browser.evaluate(QStringLiteral("document.querySelector('#grille .vide').getBoundingClientRect().width"))
                  .toDouble(),
        1000);
    openPage(browser, dir.filePath(QStringLiteral("notes")));
    const QString detail = browser.evaluate(openFirstCard).toString();
    EXPECT_TRUE(detail.contains(QStringLiteral("Note folle")));
    EXPECT_FALSE(detail.contains(QStringLiteral("Note 55"))) << detail.toStdString();
    EXPECT_EQ(browser.errors(), QStringList());
}

// What the reader sees while the films are read: the page before its script has run.
TEST_F(PageInBrowser, LoadingStateShownFirst)
{
    QTemporaryDir dir;
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QString());
    const QString page = dir.filePath(QStringLiteral("page"));
    exportPage(dir.filePath(QStringLiteral("films.amc")), page);
    const QString still = dir.filePath(QStringLiteral("avant-le-script"));
    QDir().mkdir(still);
    for (const char* name : {"index.html", "page.css"})
        QFile::copy(page + QLatin1Char('/') + QLatin1String(name), still + QLatin1Char('/') + QLatin1String(name));
    writeFile(still + QStringLiteral("/page.js"), "");

    HeadlessChromium& browser = *chromium;
    browser.open(still + QStringLiteral("/index.html"));
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.getElementById('grille').innerText")).toString(),
        QStringLiteral("Chargement…"));
    keepScreenshot(browser, "chargement.png");
}
