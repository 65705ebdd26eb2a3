// The web page of a catalogue, opened in headless Chromium: what a reader sees
// after a search, a sort, a filter and in a film's detail view.
#include "HeadlessChromium.h"
#include "core/ScanProgress.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFixtures.h"
#include "export/Exporter.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

const QString cardTitles =
    QStringLiteral("Array.from(document.querySelectorAll('#grille .carte .titre'), e => e.textContent)");

} // namespace

TEST(WebPageExport, FolderHoldsThePageAndScaledPostersAndIsReplacedWhole)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("diner.png")), pictureBytes(300, 450, "PNG"));
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QStringLiteral("diner.png"));
    const QString page = dir.filePath(QStringLiteral("page"));
    exportPage(dir.filePath(QStringLiteral("films.amc")), page);
    writeFile(page + QStringLiteral("/reste.txt"), "d'un export précédent");
    exportPage(dir.filePath(QStringLiteral("films.amc")), page);

    EXPECT_EQ(QDir(page).entryList(QDir::Files | QDir::NoDotAndDotDot),
        QStringList({QStringLiteral("data.js"), QStringLiteral("index.html"), QStringLiteral("page.css"),
            QStringLiteral("page.js")}));
    EXPECT_EQ(QImage(page + QStringLiteral("/affiches/1.jpg")).size(), QSize(400, 600));
    EXPECT_EQ(QImage(page + QStringLiteral("/affiches/2.jpg")).size(), QSize(300, 450)); // never scaled up
    EXPECT_FALSE(QFile::exists(page + QStringLiteral("/affiches/3.jpg")));
    // Nothing of the writing is left beside the page.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({QStringLiteral("diner.png"), QStringLiteral("films.amc"), QStringLiteral("page")}));
}

TEST(WebPageExport, SearchSortFilterAndDetailInTheBrowser)
{
    if (HeadlessChromium::executable().isEmpty())
        GTEST_SKIP() << "chromium is not installed: the page is not checked in a browser";
    QTemporaryDir dir;
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QString());
    const QString page = dir.filePath(QStringLiteral("page"));
    exportPage(dir.filePath(QStringLiteral("films.amc")), page);

    HeadlessChromium browser;
    ASSERT_TRUE(browser.started());
    browser.resize(1280, 900);
    browser.open(page + QStringLiteral("/index.html"));
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
    EXPECT_EQ(
        strings(browser.evaluate(QStringLiteral("Array.from(document.getElementById('genre').options, o => o.text)"))),
        QStringList({QStringLiteral("Tous les genres"), QStringLiteral("Comédie (2)"), QStringLiteral("Policier (1)"),
            QStringLiteral("Romance (1)")}));
    EXPECT_EQ(act("genre", QStringLiteral("'Comédie'"), "change"),
        QStringList({QStringLiteral("Le Dîner de cons"), QStringLiteral("Le Fabuleux Destin d'Amélie Poulain")}));
    EXPECT_EQ(act("pays", QStringLiteral("'Allemagne'"), "change"), amelie);
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.getElementById('compte').textContent")).toString(),
        QStringLiteral("1 sur 3 films"));

    const QString detail =
        browser
            .evaluate(QStringLiteral("new Promise(r => { addEventListener('hashchange', r, {once: true}); "
                                     "document.querySelector('#grille .carte').click(); })"
                                     ".then(() => document.getElementById('fiche').hidden ? 'caché' : "
                                     "document.getElementById('fiche-contenu').innerText)"))
            .toString();
    for (const char* part : {"Le Fabuleux Destin d'Amélie Poulain", "Amélie\n", "2001 · 2 h 02 min · Note 7,5/10",
             "Jean-Pierre Jeunet", "Audrey Tautou (Amélie Poulain), Mathieu Kassovitz (Nino \"Quincampoix\")",
             "Comédie, Romance", "France, Allemagne", "15/03/2024", "Amélie, une jeune serveuse…\nÀ Montmartre \\o/.",
             "AVC MPEG_4", "2500 kbit/s", "1920x800", "23.976 images/s", "Français, English", "1400 Mio",
             "/films/Amélie (2001).mkv", "cover.jpg\nnotes.txt", "Édition", "Collector, 2 disques"})
        EXPECT_TRUE(detail.contains(QString::fromUtf8(part))) << part << "\nin:\n" << detail.toStdString();
    keepScreenshot(browser, "fiche.png");
    EXPECT_TRUE(browser
                    .evaluate(QStringLiteral("document.dispatchEvent(new KeyboardEvent('keydown', {key: 'Escape'})); "
                                             "document.getElementById('fiche').hidden"))
                    .toBool());

    browser.resize(390, 844, true);
    act("pays", QStringLiteral("''"), "change");
    act("genre", QStringLiteral("''"), "change");
    EXPECT_TRUE(browser.evaluate(QStringLiteral("document.documentElement.scrollWidth <= 390")).toBool())
        << "the page is wider than a phone";
    keepScreenshot(browser, "telephone.png");
    EXPECT_TRUE(browser
                    .evaluate(QStringLiteral(
                        "new Promise(r => { addEventListener('hashchange', r, {once: true}); "
                        "document.querySelector('#grille .carte').click(); })"
                        ".then(() => document.querySelector('.fiche-panneau').getBoundingClientRect().width <= 390)"))
                    .toBool())
        << "the detail view is wider than a phone";
    keepScreenshot(browser, "telephone-fiche.png");
    EXPECT_EQ(browser.errors(), QStringList());
}
