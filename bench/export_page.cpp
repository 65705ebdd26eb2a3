// The web page of a 20,000-entry catalogue: the export itself on one core and
// on every core, then, in headless Chromium, the first cards, the memory after
// scrolling to the last card against the memory after load, and the search a
// keystroke at a time. Half the entries carry a stored poster of 800x1200;
// texts are as long as a film database gives them.
#include "HeadlessChromium.h"
#include "catalog/MovieList.h"
#include "core/ScanProgress.h"
#include "export/EveryCore.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFixtures.h"
#include "export/Exporter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonObject>
#include <cstdio>
#include <sched.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

constexpr int kEntries = 20000;

const char* const genres[] = {"Comédie", "Drame", "Policier", "Science-fiction", "Animation", "Documentaire",
    "Thriller", "Western", "Aventure", "Romance", "Horreur", "Musical", "Guerre", "Fantastique", "Biopic"};
const char* const countries[] = {"France", "États-Unis", "Italie", "Japon", "Royaume-Uni", "Allemagne", "Espagne",
    "Belgique", "Canada", "Corée du Sud"};

// Half the entries link to one of 16 poster files beside the catalogue (as a
// catalogue keeps them when its pictures are files): the catalogue stays small
// while every poster is read, decoded and scaled.
QByteArray catalogueBytes(const QDir& folder)
{
    TMovieList list;
    // Posters as a film database gives them: 800x1200, with detail (not flat colours) so
    // that decoding and scaling cost what they do with real ones.
    for (int k = 0; k < 16; ++k) {
        QImage image(800, 1200, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb((x * 7 + y * 3 + k * 40) % 256, (x ^ y) % 256, (x * y / 97 + k) % 256);
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG", 88);
        writeFile(folder.filePath(QStringLiteral("affiche-%1.jpg").arg(k)), bytes);
    }
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
            m.strPicture = QStringLiteral("affiche-%1.jpg").arg(i % 16);
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

// Writes the page with the process held to `cores` processors; the time in ms.
qint64 timedExport(const ExportCatalogue& read, const QString& catalogue, const QString& page, int cores)
{
    cpu_set_t all, held;
    ::sched_getaffinity(0, sizeof all, &all);
    CPU_ZERO(&held);
    for (int c = 0, n = 0; c < CPU_SETSIZE && n < cores; ++c)
        if (CPU_ISSET(c, &all)) {
            CPU_SET(c, &held);
            ++n;
        }
    ::sched_setaffinity(0, sizeof held, &held);
    QElapsedTimer clock;
    clock.start();
    NullProgress progress;
    writeExport(read, catalogue, ExportFormat::Html, page, progress);
    const qint64 ms = clock.elapsed();
    ::sched_setaffinity(0, sizeof all, &all);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    writeFile(catalogue, catalogueBytes(QDir(dir.path())));
    const QString page = dir.filePath(QStringLiteral("page"));

    QElapsedTimer clock;
    clock.start();
    const ExportCatalogue read = ExportCatalogue::read(catalogue);
    const qint64 readMs = clock.restart();
    const int cores = usableCores();
    const qint64 oneCore = timedExport(read, catalogue, page, 1);
    const qint64 everyCore = cores > 1 ? timedExport(read, catalogue, page, cores) : oneCore;
    std::printf(
        "export of %d entries (%d posters of 800x1200): read %lld ms; page written in %lld ms on 1 core, "
        "%lld ms on %d cores (%.2fx, target 1.7x on 2 cores); data.js %.1f MB, fiches.js %.1f MB, folder %.1f MB\n",
        kEntries, kEntries / 2, readMs, oneCore, everyCore, cores, double(oneCore) / qMax<qint64>(1, everyCore),
        QFileInfo(page + QStringLiteral("/data.js")).size() / 1e6,
        QFileInfo(page + QStringLiteral("/fiches.js")).size() / 1e6, folderBytes(page) / 1e6);

    if (HeadlessChromium::executable().isEmpty()) {
        std::printf("chromium is not installed: no timing in the browser\n");
        return 0;
    }
    for (int round = 0; round < 3; ++round) {
        HeadlessChromium browser;
        browser.resize(1280, 900);
        browser.open(page + QStringLiteral("/index.html"));
        // Navigation start to the first frame with cards drawn: the task after
        // the frame in which they are first seen.
        const QJsonObject first =
            browser
                .evaluate(QStringLiteral("new Promise(r => { const ready = () => document.querySelector('.carte')"
                                         " ? setTimeout(() => r({"
                                         "script: performance.getEntriesByName('filmarch-page')[0].duration,"
                                         "paint: performance.now(),"
                                         "cards: document.querySelectorAll('.carte').length}))"
                                         " : requestAnimationFrame(ready); ready(); })"))
                .toObject();
        // The details read and the posters decoded.
        browser.evaluate(QStringLiteral("new Promise(r => { const ready = () => document.documentElement.dataset.pret"
                                        " ? setTimeout(r, 500) : requestAnimationFrame(ready); ready(); })"));
        const QJsonObject loaded = browser.metrics();
        // Down to the last card, a screen at a time as a reader scrolling fast.
        const QJsonObject scrolled =
            browser
                .evaluate(QStringLiteral("new Promise(r => { const step = () => {"
                                         "window.scrollBy(0, innerHeight);"
                                         "if (innerHeight + scrollY >= document.documentElement.scrollHeight - 2)"
                                         " requestAnimationFrame(() => r({cards: document.querySelectorAll('.carte')"
                                         ".length, last: Array.from(document.querySelectorAll('.carte .titre')).pop()"
                                         ".textContent}));"
                                         "else requestAnimationFrame(step); }; step(); })"))
                .toObject();
        browser.evaluate(QStringLiteral("new Promise(r => setTimeout(r, 500))"));
        browser.evaluate(QStringLiteral("window.gc && gc()"));
        const QJsonObject atEnd = browser.metrics();
        // One keystroke at a time, each to its next frame.
        const QJsonObject search =
            browser
                .evaluate(QStringLiteral("(async () => { const e = document.getElementById('recherche');"
                                         "let worst = 0, found = 0; for (const text of ['a', 'am', 'ame', 'amel', "
                                         "'ameli', 'amelie', 'ameli', 'ame', '', 'rea', 'realisatrice 1']) {"
                                         "const t = performance.now(); e.value = text; "
                                         "e.dispatchEvent(new Event('input'));"
                                         "await new Promise(r => requestAnimationFrame(r));"
                                         "worst = Math.max(worst, performance.now() - t); found = "
                                         "document.getElementById('compte').textContent; }"
                                         "return {worst, found}; })()"))
                .toObject();
        const double heapLoaded = loaded[QStringLiteral("JSHeapUsedSize")].toDouble() / 1e6;
        const double heapEnd = atEnd[QStringLiteral("JSHeapUsedSize")].toDouble() / 1e6;
        std::printf("round %d: first frame with %d cards at %.0f ms (page script %.0f ms; target 1500 ms); "
                    "after load %.0f nodes, JS heap %.1f MB; at the last card (\"%s\", %d cards in the document) "
                    "%.0f nodes, JS heap %.1f MB (%.2fx, target 1.2x); slowest keystroke of search to its frame "
                    "%.0f ms (target 50 ms), last count \"%s\"; console errors: %lld\n",
            round + 1, first[QStringLiteral("cards")].toInt(), first[QStringLiteral("paint")].toDouble(),
            first[QStringLiteral("script")].toDouble(), loaded[QStringLiteral("Nodes")].toDouble(), heapLoaded,
            scrolled[QStringLiteral("last")].toString().toUtf8().constData(), scrolled[QStringLiteral("cards")].toInt(),
            atEnd[QStringLiteral("Nodes")].toDouble(), heapEnd, heapEnd / qMax(0.001, heapLoaded),
            search[QStringLiteral("worst")].toDouble(), search[QStringLiteral("found")].toString().toUtf8().constData(),
            static_cast<long long>(browser.errors().size()));
    }
    return 0;
}
