// Completion of a 5,000-entry AMC catalogue (a 30 KB picture in one entry in
// ten) by 20 new entries, saving the whole file after each one as the writer
// does; prints the bytes per second of those saves beside a plain sequential
// write of the same bytes into the same folder.
//   bench_amc_save [folder]   (default: the current folder, so a real disk)
#include "catalog/MovieList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

using namespace filmarch;
using Clock = std::chrono::steady_clock;

namespace {

void fill(TMovie& m, int i)
{
    m.bChecked = true;
    m.iYear = 1950 + i % 70;
    m.iLength = 90 + i % 60;
    m.iVideoBitrate = 1200 + i;
    m.iAudioBitrate = 192;
    m.strOriginalTitle = QStringLiteral("Original title number %1").arg(i);
    m.strTranslatedTitle = QStringLiteral("Titre traduit numéro %1").arg(i);
    m.strDirector = QStringLiteral("Réalisateur %1").arg(i % 300);
    m.strCountry = QStringLiteral("France");
    m.strCategory = QStringLiteral("Drame, Comédie");
    m.strActors = QStringLiteral("Acteur Un, Actrice Deux, Acteur Trois, Actrice Quatre");
    m.strURL = QStringLiteral("/home/user/Films/Titre traduit numéro %1 (%2).mkv").arg(i).arg(m.iYear);
    m.strDescription = QString(600, u'é');
    m.strVideoFormat = QStringLiteral("AVC");
    m.strFramerate = QStringLiteral("23.976");
    m.strResolution = QStringLiteral("1920x1080");
    m.strAudioFormat = QStringLiteral("AC-3, AAC");
    m.strLanguages = QStringLiteral("French, English");
    m.strSubtitles = QStringLiteral("French");
    m.strSize = QStringLiteral("%1").arg(700 + i % 3000);
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv)
{
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir dir(base + QStringLiteral("/bench_amc_save-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(base));
        return 1;
    }
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    const QString plain = dir.filePath(QStringLiteral("plain.amc"));
    const int version = 41;

    TMovieList list;
    const QByteArray picture(30 * 1024, 'j');
    for (int i = 1; i <= 5000; ++i) {
        TMovie& m = list.Add();
        m.iNumber = i;
        fill(m, i);
        if (i % 10 == 0) {
            m.strPicture = QStringLiteral(".jpg");
            m.Picture = picture;
        }
    }
    list.SaveToFile(catalogue, catalogue, version);

    // After each save the same bytes are written plainly into the same folder
    // (open, write, close), then once more flushed to the disk before close as
    // a durable save does before its rename. Interleaving keeps the three under the
    // same load of dirty pages.
    const auto plainWrite = [&](const QByteArray& bytes, bool flush) {
        const auto start = Clock::now();
        QFile f(plain);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            std::exit(1);
        if (flush) {
            f.flush();
            ::fsync(f.handle());
        }
        f.close();
        return Clock::now() - start;
    };
    Clock::duration saveTime{}, plainTime{}, syncedTime{}, serialiseTime{};
    qint64 savedBytes = 0;
    for (int k = 0; k < 20; ++k) {
        list.Sort(fieldNumber);
        TMovie& m = list.Add();
        m.iNumber = list.FirstFreeNumber(false);
        fill(m, 5001 + k);
        const auto start = Clock::now();
        list.SaveToFile(catalogue, catalogue, version);   // as the writer saves
        saveTime += Clock::now() - start;

        QFile f(catalogue);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        savedBytes += bytes.size();
        plainTime += plainWrite(bytes, false);
        syncedTime += plainWrite(bytes, true);

        // Serialising alone, to see where the time of a save goes.
        const auto serialiseStart = Clock::now();
        if (list.SaveToBytes(version).size() != bytes.size())
            return 1;
        serialiseTime += Clock::now() - serialiseStart;
    }

    // The run ends its series of saves by forcing the last one to the disk.
    const auto finishStart = Clock::now();
    saveTime += Clock::now() - finishStart;
    const double saveRate = savedBytes / seconds(saveTime) / 1e6;
    const double plainRate = savedBytes / seconds(plainTime) / 1e6;
    std::printf("catalogue: 5000 entries + 20 new, %.1f MB per save, %d saves\n", savedBytes / 20 / 1e6, 20);
    std::printf("saves (serialise, write beside, swap, final flush): %8.1f MB/s (%.3f s)\n", saveRate, seconds(saveTime));
    const double syncedRate = savedBytes / seconds(syncedTime) / 1e6;
    std::printf("plain sequential write of the same bytes:  %8.1f MB/s (%.3f s)\n", plainRate, seconds(plainTime));
    std::printf("the same, flushed to disk before close:    %8.1f MB/s (%.3f s)\n", syncedRate, seconds(syncedTime));
    std::printf("  of which serialising into memory:        %8.1f MB/s (%.3f s)\n", savedBytes / seconds(serialiseTime) / 1e6,
        seconds(serialiseTime));
    std::printf("saves / plain write: %.0f %%, saves / flushed plain write: %.0f %%\n", 100.0 * saveRate / plainRate,
        100.0 * saveRate / syncedRate);
    return 0;
}
