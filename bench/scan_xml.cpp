// Time per file of a whole scan into a new XML catalogue, beside the bare
// MediaInfo loop on the same files, and the memory the run keeps.
#include "media/MediaInfoDll.h"
#include "platform/Error.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

using namespace filmarch;

namespace {

constexpr int kFiles = 1000; // 600 films, 400 other files
constexpr int kRounds = 5;

qint64 cpuNanoseconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

QStringList makeFolder(const QTemporaryDir& dir, int count)
{
    const QDir d(dir.path());
    d.mkdir(QStringLiteral("modeles"));
    test::GeneratedVideo video;
    video.audioLanguages = {QStringLiteral("fre"), QStringLiteral("eng")};
    video.subtitleLanguages = {QStringLiteral("fre")};
    const QString film = d.filePath(QStringLiteral("modeles/film.mkv"));
    const QString picture = d.filePath(QStringLiteral("modeles/image.jpg"));
    test::makeVideo(film, video);
    test::makePicture(picture);
    d.mkdir(QStringLiteral("films"));
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const bool isFilm = i % 5 < 3;
        const QString name = isFilm ? QStringLiteral("films/Le.Film.Numero.%1.2004.1080p.x264.mkv").arg(i)
            : i % 2                 ? QStringLiteral("films/image%1.jpg").arg(i)
                                    : QStringLiteral("films/notes%1.txt").arg(i);
        if (isFilm || i % 2)
            QFile::copy(isFilm ? film : picture, d.filePath(name));
        else
            test::makeTextFile(d.filePath(name), "quelques notes");
        files << d.filePath(name);
    }
    return files;
}

// What the scan cannot do without: open each file and ask whether it holds video.
void bareLibrary(MesFonctionMediaInfo& media, const QStringList& files)
{
    for (const QString& file : files) {
        media.New();
        media.Open(file);
        if (!media.Get(Stream_General, 0, QStringLiteral("VideoCount")).isEmpty())
            for (const char* p : {"CompleteName", "FileName", "Duration", "FileSize"})
                media.Get(Stream_General, 0, QLatin1String(p));
        media.Delete();
    }
}

} // namespace

int main()
{
    try {
        QTemporaryDir dir, out;
        const QStringList files = makeFolder(dir, kFiles);
        const QString folder = dir.filePath(QStringLiteral("films"));
        test::ScanHarness h; // the real library, a temporary application folder
        MesFonctionMediaInfo& media = h.context->AccesFonctionsMedia;

        auto scan = [&](int round) {
            h.scanNew(folder, out.filePath(QStringLiteral("films%1.xml").arg(round)));
            h.log.clear();
            h.progress.names.clear();
        };

        bareLibrary(media, files); // warm the page cache
        qint64 bestBare = std::numeric_limits<qint64>::max(), bestRun = bestBare;
        long rssAfterFirst = 0, rssAfterLast = 0;
        for (int r = 0; r < kRounds; ++r) {
            qint64 start = cpuNanoseconds();
            bareLibrary(media, files);
            bestBare = std::min(bestBare, cpuNanoseconds() - start);
            start = cpuNanoseconds();
            scan(r);
            bestRun = std::min(bestRun, cpuNanoseconds() - start);
            (r == 0 ? rssAfterFirst : rssAfterLast) = residentKiB();
        }
        const qint64 catalogueBytes = QFileInfo(out.filePath(QStringLiteral("films0.xml"))).size();
        std::printf("%d files (%d films), best of %d rounds, processor time\n", kFiles, kFiles * 3 / 5, kRounds);
        std::printf("%-44s %8.1f us/file\n", "library New/Open/Get/Delete", bestBare / 1e3 / kFiles);
        std::printf("%-44s %8.1f us/file\n", "whole scan into a new XML catalogue", bestRun / 1e3 / kFiles);
        std::printf("%-44s %8.2f    (target: at most 1.20)\n", "ratio", double(bestRun) / bestBare);
        std::printf("%-44s %8ld KiB (catalogue file: %lld KiB)\n", "resident memory after the first run", rssAfterFirst,
            static_cast<long long>(catalogueBytes / 1024));
        std::printf(
            "%-44s %8ld KiB (%d runs later)\n", "resident memory after the last run", rssAfterLast, kRounds - 1);
        return 0;
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
