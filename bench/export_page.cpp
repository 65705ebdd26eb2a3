// The web page of a 20,000-entry catalogue: the export itself, then, in
// headless Chromium, the page's first render and one search. Half the entries
// carry a stored poster; texts are as long as a film database gives them.
#include "HeadlessChromium.h"
#include "catalog/MovieList.h"
#include "core/ScanProgress.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFixtures.h"
#include "export/Exporter.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonObject>
#include <cstdio>

using namespace filmarch;
using namespace filmarch::test;

namespace {

constexpr int kEntries = 20000;

const char* const genres[] = {"Comédie", "Drame", "Policier", "Science-fiction", "Animation", "Documentaire",
    "Thriller", "Western", "Aventure", "Romance", "Horreur", "Musical", "Guerre", "Fantastique", "Biopic"};
const char* const countries[] = {"France", "États-Unis", "Italie", "Japon", "Royaume-Uni", "Allemagne", "Espagne",
    "Belgique", "Canada", "Corée du Sud"};

QByteArray catalogueBytes()
{
    TMovieList list;
    std::vector<QByteArray> posters;
    for (int k = 0; k < 16; ++k)
        posters.push_back(pictureBytes(300 + k, 450 + k));
    const QString synopsis = QStringLiteral("Une histoire où l'on suit des personnages attachants à travers des "
                                            "épreuves, des rencontres et des révélations, ")
                                 .repeated(3);
    for (int i = 0; i < kEntries; ++i) {
        TMovie& m = list.Add();
        m.iNumber = i + 1;
        m.iDate = 45000 + i % 900;
        m.iRating = (i * 7) % 101;
        m.iYear = 1930 + i % 95;
        m.iLength = 80 + i % 100;
        m.strTranslatedTitle = QStringLiteral("Le Film numéro %1 de l'été").arg(i);
        m.strOriginalTitle = QStringLiteral("Film number %1").arg(i);
        m.strDirector = QStringLiteral("Réalisatrice %1").arg(i % 2000);
        m.strActors = QStringLiteral("Acteur %1(Rôle principal), Actrice %2(Rôle second), Acteur %3(Ami)")
                          .arg(i % 3000)
                          .arg((i * 3) % 3000)
                          .arg((i * 7) % 3000);
        m.strCategory =
            QString::fromUtf8(genres[i % 15]) + QStringLiteral(", ") + QString::fromUtf8(genres[(i / 15) % 15]);
        m.strCountry = QString::fromUtf8(countries[i % 10]);
        m.strDescription = synopsis + QString::number(i);
        m.strURL = QStringLiteral("/films/dossier %1/Le Film numéro %2 (%3).mkv").arg(i % 50).arg(i).arg(m.iYear);
        m.strVideoFormat = QStringLiteral("AVC  MPEG_4");
        m.strResolution = QStringLiteral("1920x1080");
        m.strAudioFormat = QStringLiteral("AAC  2 channels");
        m.strLanguages = QStringLiteral("Français");
        m.strSize = QString::number(700 + i % 3000);
        if (i % 2 == 0) {
            m.strPicture = QStringLiteral(".jpg");
            m.Picture = posters[size_t(i % 16)];
        }
    }
    list.GetItem(12345).strTranslatedTitle = QStringLiteral("Amélie au pays des merveilles");
    return list.SaveToBytes(41);
}

qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    writeFile(catalogue, catalogueBytes());
    const QString page = dir.filePath(QStringLiteral("page"));

    QElapsedTimer clock;
    clock.start();
    const ExportCatalogue read = ExportCatalogue::read(catalogue);
    const qint64 readMs = clock.restart();
    NullProgress progress;
    writeExport(read, catalogue, ExportFormat::Html, page, progress);
    const qint64 writeMs = clock.elapsed();
    std::printf("export of %d entries (%d posters): read %lld ms, page written %lld ms; data.js %.1f MB, "
                "folder %.1f MB\n",
        kEntries, kEntries / 2, readMs, writeMs, QFileInfo(page + QStringLiteral("/data.js")).size() / 1e6,
        folderBytes(page) / 1e6);

    if (HeadlessChromium::executable().isEmpty()) {
        std::printf("chromium is not installed: no timing in the browser\n");
        return 0;
    }
    for (int round = 0; round < 3; ++round) {
        HeadlessChromium browser;
        browser.resize(1280, 900);
        browser.open(page + QStringLiteral("/index.html"));
        // Navigation start to the load event, which comes after the script drew the first cards,
        // then to the first painted frame with them.
        const QJsonObject first =
            browser
                .evaluate(QStringLiteral("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(() => r({"
                                         "load: performance.getEntriesByType('navigation')[0].loadEventEnd,"
                                         "script: performance.getEntriesByName('filmarch-page')[0].duration,"
                                         "data: performance.getEntriesByName('filmarch-debut')[0].startTime,"
                                         "paint: performance.now(),"
                                         "cards: document.querySelectorAll('.carte').length}))))"))
                .toObject();
        const QJsonObject search =
            browser
                .evaluate(QStringLiteral("new Promise(r => { const t = performance.now();"
                                         "const e = document.getElementById('recherche'); e.value = 'amelie';"
                                         "e.dispatchEvent(new Event('input'));"
                                         "const found = document.querySelectorAll('.carte').length;"
                                         "requestAnimationFrame(() => requestAnimationFrame(() => "
                                         "r({ms: performance.now() - t, found}))); })"))
                .toObject();
        std::printf("round %d: data.js read by %.0f ms, page script %.0f ms, load event %.0f ms, first frame with %d "
                    "cards by %.0f ms; search \"amelie\" "
                    "(%d found) to the next frame %.0f ms; console errors: %lld\n",
            round + 1, first[QStringLiteral("data")].toDouble(), first[QStringLiteral("script")].toDouble(),
            first[QStringLiteral("load")].toDouble(), first[QStringLiteral("cards")].toInt(),
            first[QStringLiteral("paint")].toDouble(), search[QStringLiteral("found")].toInt(),
            search[QStringLiteral("ms")].toDouble(), static_cast<long long>(browser.errors().size()));
    }
    return 0;
}
