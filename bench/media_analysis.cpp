// Files per second for the bare MediaInfo loop and for the full analysis of each
// file (every catalogue value and the title), on 200 generated films.
#include "core/Options.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>
#include <vector>

using namespace filmarch;

namespace {

constexpr int fileCount = 200;
constexpr int rounds = 9;

// Processor time of this thread: the other programs sharing the machine do not count.
qint64 cpuNanoseconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

QStringList makeFolder(const QTemporaryDir& dir)
{
    test::GeneratedVideo video;
    video.audioLanguages = {QStringLiteral("fre"), QStringLiteral("eng")};
    video.subtitleLanguages = {QStringLiteral("fre")};
    video.titleTag = QStringLiteral("Le Film (The Film) 2003");
    const QString model = dir.filePath(QStringLiteral("modele.mkv"));
    test::makeVideo(model, video);
    QStringList files;
    for (int i = 0; i < fileCount; ++i) {
        const QString file = dir.filePath(
            QStringLiteral("Le.Film.Numero.%1.2004.1080p.BluRay.x264-TEAM.mkv").arg(i, 3, 10, QLatin1Char('0')));
        if (!QFile::copy(model, file))
            throw Error(QStringLiteral("Copie impossible : ") + file);
        files << file;
    }
    return files;
}

qint64 bareLibrary(MesFonctionMediaInfo& media, const QStringList& files)
{
    qint64 sink = 0;
    for (const QString& file : files) {
        media.New();
        media.Open(file);
        for (const char* parameter : {"VideoCount", "CompleteName", "FileName", "Duration", "FileSize"})
            sink += media.Get(Stream_General, 0, QLatin1String(parameter)).size();
        media.Delete();
    }
    return sink;
}

// The library answering every query the analysis makes, with nothing done on the answers.
qint64 sameQueries(MesFonctionMediaInfo& media, const QStringList& files)
{
    static const struct {
        TMIStreamKind kind;
        int number;
        const char* parameter;
    } queries[] = {
        {Stream_General, 0, "VideoCount"},
        {Stream_General, 0, "CompleteName"},
        {Stream_Video, 0, "Width"},
        {Stream_Video, 0, "Height"},
        {Stream_Video, 0, "FrameRate"},
        {Stream_Video, 0, "CodecID"},
        {Stream_Video, 0, "Format"},
        {Stream_General, 0, "AudioCount"},
        {Stream_Audio, 0, "CodecID/Hint"},
        {Stream_Audio, 0, "CodecID"},
        {Stream_Audio, 0, "Channel(s)/String"},
        {Stream_Audio, 1, "CodecID/Hint"},
        {Stream_Audio, 1, "CodecID"},
        {Stream_Audio, 1, "Channel(s)/String"},
        {Stream_General, 0, "AudioCount"},
        {Stream_Audio, 0, "Language/String"},
        {Stream_Audio, 1, "Language/String"},
        {Stream_General, 0, "TextCount"},
        {Stream_Text, 0, "Language/String"},
        {Stream_Video, 0, "Duration"},
        {Stream_General, 0, "FileSize"},
        {Stream_Video, 0, "BitRate_Nominal/String"},
        {Stream_Video, 0, "BitRate/String"},
        {Stream_Audio, 0, "BitRate_Nominal/String"},
        {Stream_Audio, 0, "BitRate/String"},
        {Stream_General, 0, "FileName"},
        {Stream_General, 0, "Movie"},
    };
    qint64 sink = 0;
    for (const QString& file : files) {
        media.New();
        media.Open(file);
        for (const auto& q : queries)
            sink += media.Get(q.kind, q.number, QLatin1String(q.parameter)).size();
        media.Delete();
    }
    return sink;
}

qint64 fullAnalysis(MesFonctionMediaInfo& media, const QStringList& files, const TTraitement::TitleFilter& titleFilter)
{
    qint64 sink = 0;
    for (const QString& file : files) {
        media.New();
        media.Open(file);
        TTraitement t(file, false, media, titleFilter);
        if (!t.TestVideo)
            throw Error(QStringLiteral("Pas de vidéo : ") + file);
        const QString values[] = {t.VideoFormat(), t.ListeFormatAudio(), t.ListeLanguagesAudio(),
            t.ListeLangauagesSousTitre(), t.Lengths(), t.size(), t.VideoBitrate(), t.AudioBitrate(), t.Titre(),
            t.TitreOriginal, t.Annee};
        for (const QString& v : values)
            sink += v.size();
    }
    return sink;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    try {
        QTemporaryDir dir;
        const QStringList files = makeFolder(dir);
        MesFonctionMediaInfo media(test::mediaInfoLibrary());
        const TTraitement::TitleFilter titleFilter = [] { return defaultFiltreTitre(); };

        // The rates are the best round of each loop (the machine's other work
        // only ever adds time); the overheads compare the loops of one round
        // and take the median, so a slow spell does not favour either side.
        // A first pass warms the page cache.
        qint64 bestBare = std::numeric_limits<qint64>::max(), bestSame = bestBare, bestFull = bestBare, sink = 0;
        std::vector<double> fullOverSame, sameOverBare, fullOverBare; // per round, paired
        bareLibrary(media, files);
        for (int r = 0; r < rounds; ++r) {
            // Each loop takes each place in turn, so that none pays for coming after another.
            qint64 bare = 0, same = 0, full = 0;
            for (int slot = 0; slot < 3; ++slot) {
                const int which = (r + slot) % 3;
                const qint64 start = cpuNanoseconds();
                if (which == 0)
                    sink += bareLibrary(media, files);
                else if (which == 1)
                    sink += sameQueries(media, files);
                else
                    sink += fullAnalysis(media, files, titleFilter);
                const qint64 elapsed = cpuNanoseconds() - start;
                (which == 0 ? bare : which == 1 ? same : full) = elapsed;
                qint64& best = which == 0 ? bestBare : which == 1 ? bestSame : bestFull;
                best = std::min(best, elapsed);
            }
            fullOverBare.push_back(100.0 * (full - bare) / bare);
            sameOverBare.push_back(100.0 * (same - bare) / bare);
            fullOverSame.push_back(100.0 * (full - same) / same);
        }
        const double bareRate = fileCount / (bestBare / 1e9);
        const double sameRate = fileCount / (bestSame / 1e9);
        const double fullRate = fileCount / (bestFull / 1e9);
        std::printf("%d files, best of %d rounds, processor time\n", fileCount, rounds);
        std::printf("%-40s %10.1f files/s\n", "library New/Open/Get/Delete", bareRate);
        std::printf("%-40s %10.1f files/s\n", "TTraitement, all values and Titre", fullRate);
        std::printf("%-40s %10.1f files/s\n", "library, the analysis's 27 queries", sameRate);
        std::printf(
            "%-40s %10.1f %%  (target: under 10 %%)\n", "analysis overhead (median of rounds)", median(fullOverBare));
        std::printf("%-40s %10.1f %%\n", "  the library's extra queries", median(sameOverBare));
        std::printf("%-40s %10.1f %%\n", "  the analysis's own work", median(fullOverSame));
        std::printf("(checksum %lld)\n", static_cast<long long>(sink));
        return 0;
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
