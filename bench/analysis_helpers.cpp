// What the analysis helpers (filmarch-analyse, one process per file in hand)
// buy against the analysis in the program (one library handle per file in
// hand, all in this process), with 1, 2 and N files analysed at once: the
// wall time of a worker's whole analysis of each file (every value an entry
// takes and the title), handles and helpers started inside the time as a run
// starts them, and helpers already running beside. Real generated films of the three containers the program meets
// most, small (the library's fixed cost per file) and longer (more to read).
// Each figure is the best of three.
#include "BestOfThree.h"
#include "core/Options.h"
#include "media/MediaInfoDll.h"
#include "media/RemoteMediaInfo.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "scan/ScanRun.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace filmarch;

namespace {

// `copies` of one generated film in each of .mkv, .mp4 and .avi.
QStringList makeFilms(const QString& folder, const test::GeneratedVideo& model, int copies)
{
    QDir().mkpath(folder);
    QStringList films;
    for (const char* extension : {"mkv", "mp4", "avi"}) {
        const QString first = folder + QStringLiteral("/modele.") + QLatin1String(extension);
        test::GeneratedVideo video = model;
        if (QLatin1String(extension) == QLatin1String("avi"))
            video.subtitleLanguages.clear(); // the container has none
        test::makeVideo(first, video);
        for (int i = 0; i < copies; ++i) {
            const QString film = folder
                + QStringLiteral("/Le.Film.%1.2004.1080p.%2")
                      .arg(i, 3, 10, QLatin1Char('0'))
                      .arg(QLatin1String(extension));
            if (!QFile::copy(first, film))
                throw Error(QStringLiteral("Copie impossible : ") + film);
            films << film;
        }
        QFile::remove(first);
    }
    return films;
}

using MakeHandle = std::function<std::unique_ptr<MesFonctionMediaInfo>()>;
using Handles = std::vector<std::unique_ptr<MesFonctionMediaInfo>>;

// One handle per file in hand, made on this thread as a run makes them.
Handles makeHandles(int atOnce, const MakeHandle& makeHandle)
{
    Handles handles;
    for (int t = 0; t < atOnce; ++t)
        handles.push_back(makeHandle());
    return handles;
}

// Each handle's thread takes the next film and analyses it as a scan's
// worker does; true when every film had its video.
bool analyseAll(const QStringList& films, Handles& handles)
{
    const TTraitement::TitleFilter filter = [] { return defaultFiltreTitre(); };
    std::atomic<int> next {0};
    std::atomic<bool> allVideo {true};
    std::vector<std::thread> threads;
    for (auto& handle : handles)
        threads.emplace_back([&, media = handle.get()] {
            for (int i = next++; i < films.size(); i = next++) {
                media->New();
                if (!media->Open(films[i])) {
                    media->Delete();
                    allVideo = false;
                    continue;
                }
                TTraitement film(films[i], false, *media, filter);
                if (!film.TestVideo) {
                    allVideo = false;
                    continue;
                }
                film.Titre();
                film.readEveryValue();
            }
        });
    for (std::thread& t : threads)
        t.join();
    return allVideo;
}

void compare(const char* what, const QStringList& films)
{
    const QString library = test::mediaInfoLibrary();
    const QString helper = test::binDir() + QStringLiteral("/filmarch-analyse");
    const MakeHandle here = [&] { return std::make_unique<MesFonctionMediaInfo>(library); };
    const MakeHandle helped = [&] { return std::make_unique<RemoteMediaInfo>(helper, library); };
    // The page cache is warm for every figure.
    Handles warm = makeHandles(1, here);
    if (!analyseAll(films, warm))
        throw Error(QStringLiteral("Un film généré n'a pas de vidéo"));
    std::printf("%lld %s (wall time, best of 3)\n", static_cast<long long>(films.size()), what);
    std::printf("  %-8s %14s %14s %14s   %s\n", "at once", "in the program", "helpers", "helpers ready",
        "in the program / helpers, / helpers ready");
    const int n = defaultTaches();
    std::vector<int> counts {1, 2};
    if (n > 2)
        counts.push_back(n);
    for (const int atOnce : counts) {
        bool allVideo = true;
        // Handles and helpers made inside the time, as a run starts them...
        const auto started = [&](const MakeHandle& make) {
            return bench::bestOfThree([&] {
                Handles handles = makeHandles(atOnce, make);
                allVideo = analyseAll(films, handles) && allVideo;
            });
        };
        const double inProgram = started(here);
        const double withHelpers = started(helped);
        // ...and helpers already running, as a window keeps them between runs.
        Handles ready = makeHandles(atOnce, helped);
        const QStringList one {films.first()};
        for (auto& handle : ready) {
            Handles single;
            single.push_back(std::move(handle));
            analyseAll(one, single);
            handle = std::move(single.front());
        }
        const double withReady = bench::bestOfThree([&] { allVideo = analyseAll(films, ready) && allVideo; });
        if (!allVideo)
            throw Error(QStringLiteral("Une analyse n'a pas vu la vidéo d'un film"));
        std::printf("  %-8d %12.2f s %12.2f s %12.2f s   %.2f, %.2f\n", atOnce, inProgram, withHelpers, withReady,
            inProgram / withHelpers, inProgram / withReady);
    }
}

} // namespace

int main()
{
    try {
        QTemporaryDir dir;
        test::GeneratedVideo small;
        small.audioLanguages = {QStringLiteral("fre"), QStringLiteral("eng")};
        small.subtitleLanguages = {QStringLiteral("fre")};
        small.titleTag = QStringLiteral("Le Film (The Film) 2003");
        compare("small films of 1 s, mkv/mp4/avi", makeFilms(dir.filePath(QStringLiteral("petits")), small, 64));
        test::GeneratedVideo longer = small;
        longer.seconds = 120;
        longer.width = 640;
        longer.height = 360;
        longer.frameRate = 25;
        compare("films of 2 min at 640x360, mkv/mp4/avi", makeFilms(dir.filePath(QStringLiteral("longs")), longer, 32));
        std::printf("N = %d, the default number of files in hand (twice the cores)\n", defaultTaches());
        return 0;
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
