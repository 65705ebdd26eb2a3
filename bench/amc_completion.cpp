// Completion of an AMC catalogue by 20 films, as a run does it (real analysis,
// load, backup, one save per entry): a 10-entry catalogue and a 20,000-entry
// one (3.5 layout, a 20 KB picture in every entry, about 408 MB), side by side.
// Each completion runs in a child process, whose peak memory is its own.
//   bench_amc_completion [folder] [entries]   (default: the current folder, so a real disk; 20000)
#include "catalog/MovieList.h"
#include "platform/SafeFile.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace filmarch;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kNewFilms = 20;

void fill(TMovie& m, int i)
{
    m.iNumber = i;
    m.bChecked = true;
    m.iYear = 1950 + i % 70;
    m.iLength = 90 + i % 60;
    m.strOriginalTitle = QStringLiteral("Original title number %1").arg(i);
    m.strTranslatedTitle = QStringLiteral("Titre traduit numéro %1").arg(i);
    m.strDirector = QStringLiteral("Réalisateur %1").arg(i % 300);
    m.strActors = QStringLiteral("Acteur Un, Actrice Deux, Acteur Trois, Actrice Quatre");
    m.strURL = QStringLiteral("/home/user/Films/Titre traduit numéro %1.mkv").arg(i);
    m.strDescription = QString(400, u'é');
    m.strResolution = QStringLiteral("1920x1080");
    m.strPicture = QStringLiteral(".jpg");
    m.Picture = QByteArray(20 * 1024, char('a' + i % 26));
}

// Written entry by entry, so that the parent stays small before each child.
qint64 writeCatalogue(const QString& path, int entries)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::exit(1);
    TMovieList list;
    f.write(list.SaveToBytes(35));
    for (int i = 1; i <= entries; ++i) {
        TMovie& m = list.Add();
        fill(m, i);
        f.write(list.EntryBytes(m, 35));
        list.Clear();
    }
    return f.size();
}

struct Result {
    double seconds = 0;
    long peakKb = 0;
    qint64 fileBytes = 0;
};

Result complete(const QString& films, const QString& catalogue)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        std::exit(1);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        test::ScanHarness h;
        const auto start = Clock::now();
        const bool ran = h.scanExisting(films, catalogue) == ScanOutcome::Finished;
        const double s = std::chrono::duration<double>(Clock::now() - start).count();
        if (!ran || h.messages().filter(QStringLiteral("Nouvelles entrées : %1 ").arg(kNewFilms)).size() != 1)
            ::_exit(2);
        if (::write(pipeFds[1], &s, sizeof s) != ssize_t(sizeof s))
            ::_exit(3);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    Result r;
    if (::read(pipeFds[0], &r.seconds, sizeof r.seconds) != ssize_t(sizeof r.seconds))
        r.seconds = -1;
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage {};
    ::wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the completion of %s failed\n", qPrintable(catalogue));
        std::exit(1);
    }
    r.peakKb = usage.ru_maxrss;
    r.fileBytes = QFileInfo(catalogue).size();
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const int largeEntries = argc > 2 ? std::atoi(argv[2]) : 20000;
    QTemporaryDir dir(base + QStringLiteral("/bench_amc_completion-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(base));
        return 1;
    }
    QDir(dir.path()).mkdir(QStringLiteral("films"));
    const QString films = dir.filePath(QStringLiteral("films"));
    test::makeVideo(films + QStringLiteral("/Film.00.mp4"));
    for (int i = 1; i < kNewFilms; ++i)
        QFile::copy(films + QStringLiteral("/Film.00.mp4"),
            films + QStringLiteral("/Film.%1.mp4").arg(i, 2, 10, QLatin1Char('0')));

    const int sizes[] = {10, largeEntries};
    Result results[2];
    for (int k = 0; k < 2; ++k) {
        const QString cat = dir.filePath(QStringLiteral("films%1.amc").arg(k));
        const qint64 before = writeCatalogue(cat, sizes[k]);
        results[k] = complete(films, cat);
        results[k].fileBytes = before;
    }
    std::printf("completing an AMC 3.5 catalogue (20 KB picture per entry) with %d films\n", kNewFilms);
    std::printf("%10s %12s %10s %14s %16s\n", "entries", "file (MB)", "time (s)", "peak RSS (MB)", "RSS / file size");
    for (int k = 0; k < 2; ++k)
        std::printf("%10d %12.1f %10.3f %14.1f %16.2f\n", sizes[k], results[k].fileBytes / 1e6, results[k].seconds,
            results[k].peakKb / 1024.0, results[k].peakKb * 1024.0 / double(results[k].fileBytes));
    // What the completion is held against: reading the file once and copying it once.
    const QString large = dir.filePath(QStringLiteral("films1.amc"));
    const auto start = Clock::now();
    {
        QFile f(large);
        f.open(QIODevice::ReadOnly);
        while (!f.read(1 << 20).isEmpty()) {}
    }
    copyFile(large, large + QStringLiteral(".copie"), QFileInfo(large).size());
    const double readAndCopy = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("time large / small: %.2f   peak RSS / file size of the large one: %.2f (target: at most 0.15)\n",
        results[1].seconds / results[0].seconds, results[1].peakKb * 1024.0 / double(results[1].fileBytes));
    std::printf("reading the large file once and copying it once: %.3f s; completion / that: %.2f (target: at most "
                "1.5)\n",
        readAndCopy, results[1].seconds / readAndCopy);
    return 0;
}
