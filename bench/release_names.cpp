// How many file names a second the reader of release names reads. The names
// are made here from pieces, in the shapes people's disks hold: scene names,
// French names, folders, parts, identifiers, brackets.
#include "media/ReleaseName.h"

#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <ctime>

using namespace filmarch;

namespace {

QStringList names()
{
    const char* titles[] = {"Les.Tontons.Flingueurs", "Quai des Brumes", "Le_Salaire_de_la_Peur", "1917",
        "2001.A.Space.Odyssey", "Le Cinquième Élément (The Fifth Element)", "[KLM].La.Haine.(Hate)",
        "The.French.Connection", "Taxi 2", "Jour_de_fete_Criterion_Edition", "Le Grand Bleu - The Big Blue",
        "(1) Le Mépris", "www.filmsite.com - Le Cercle Rouge", "E.T.the.Extra-Terrestrial", "Stand.by.Me"};
    const char* years[] = {".1963", " (1998)", "_(1985)", "", ".2019", " 2002"};
    const char* tails[] = {".FRENCH.720p.BluRay.x264-GRPA.mkv", ".CD2.avi", ".mkv", " [tmdbid-12345].mkv",
        ".DVDRip.[XviD.AC3.{Fr}].avi", ".MULTi.2160p.WEB-DL.DTS-HD.MA.5.1-ABC.mkv", ".tt7654321.avi",
        ".Directors.Cut.Remastered.1080p.H.264.DD5.1-KLM.mkv"};
    const char* folders[] = {"", "/data/Films/", "Films/Playtime (1967)/", "Films/Le Samouraï (1967)/CD1/"};
    QStringList list;
    for (const char* f : folders)
        for (const char* t : titles)
            for (const char* y : years)
                for (const char* e : tails)
                    list << QString::fromUtf8(f) + QString::fromUtf8(t) + QString::fromUtf8(y) + QString::fromUtf8(e);
    list << QStringLiteral("Films/Playtime (1967)/jt-pt.avi") << QStringLiteral("BDMV/STREAM/00001.m2ts");
    return list;
}

} // namespace

int main()
{
    const QStringList list = names();
    // Once to warm the word tables, then timed.
    int checksum = 0;
    for (const QString& name : list)
        checksum += readReleaseName(name).year;
    const int rounds = 20;
    // The processor time of this thread says what the reader costs even when
    // other work shares the machine; the wall time is printed beside it.
    timespec cpuStart {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < rounds; ++r)
        for (const QString& name : list)
            checksum += readReleaseName(name).title.size();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    timespec cpuEnd {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
    const double cpuSeconds = double(cpuEnd.tv_sec - cpuStart.tv_sec) + double(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9;
    const double names = double(list.size()) * rounds;
    const double perCpuSecond = names / cpuSeconds;
    std::printf("release names: %lld names x %d: %.0f names a second of processor time (target: 200000), "
                "%.0f a second of wall time (%.3f s) [%d]\n",
        static_cast<long long>(list.size()), rounds, perCpuSecond, names / seconds, seconds, checksum);
    return perCpuSecond >= 200000 ? 0 : 1;
}
