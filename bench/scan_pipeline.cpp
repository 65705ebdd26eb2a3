// Wall time of a scan with several files in hand against one at a time:
//  - 224 small films into a new XML catalogue by filmarch-cli (with its
//    analysis helper, and without it), beside the mediainfo program run two
//    at a time over the same files (xargs -P2);
//  - 40 films looked up automatically on a loopback service that answers every
//    request after 200 ms.
// Each figure is the best of three runs, measured in this one run of the program.
#include "BestOfThree.h"
#include "support/FakeFilmDatabase.h"
#include "support/FileBytes.h"
#include "support/ScanHarness.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace filmarch;

namespace {

void runOrDie(const QString& program, const QStringList& arguments, const QString& workingFolder = {})
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    if (!workingFolder.isEmpty())
        p.setWorkingDirectory(workingFolder);
    p.start(program, arguments);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        std::exit(1);
    }
}

void smallFilms(const QTemporaryDir& dir)
{
    const QDir d(dir.path());
    d.mkpath(QStringLiteral("films"));
    const QString model = dir.filePath(QStringLiteral("model.mp4"));
    test::GeneratedVideo video;
    video.audioLanguages = {QStringLiteral("fre")};
    test::makeVideo(model, video);
    for (int i = 0; i < 224; ++i)
        QFile::copy(model, dir.filePath(QStringLiteral("films/Le.Film.%1.2004.mp4").arg(i, 3, 10, QLatin1Char('0'))));
    // filmarch-cli in a folder of its own, with the default options, with its
    // analysis helper as installed, and without it (analysis in the program).
    for (const QString& name : {QStringLiteral("app"), QStringLiteral("alone")}) {
        const QString app = dir.filePath(name);
        QDir(dir.path()).mkpath(name);
        QFile::copy(test::binDir() + QStringLiteral("/filmarch-cli"), app + QStringLiteral("/filmarch-cli"));
        QFile::link(test::mediaInfoLibrary(), app + QStringLiteral("/libmediainfo.so.0"));
        if (name == QLatin1String("app"))
            test::placeAnalysisHelper(app);
    }
}

void scanBench()
{
    QTemporaryDir dir;
    smallFilms(dir);
    const QString films = dir.filePath(QStringLiteral("films"));
    const QString cli = dir.filePath(QStringLiteral("app/filmarch-cli"));
    const QString cat = dir.filePath(QStringLiteral("films.xml"));
    const auto scan = [&](const QStringList& jobs, const QString& program) {
        return bench::bestOfThree([&] {
            QFile::remove(cat);
            runOrDie(program, jobs + QStringList {films, cat});
        });
    };
    const QString alone = dir.filePath(QStringLiteral("alone/filmarch-cli"));
    // The page cache is warm for every figure.
    scan({QStringLiteral("-j"), QStringLiteral("1")}, cli);
    const double one = scan({QStringLiteral("-j"), QStringLiteral("1")}, cli);
    const double many = scan({}, cli);
    const double oneAlone = scan({QStringLiteral("-j"), QStringLiteral("1")}, alone);
    const double manyAlone = scan({}, alone);
    const double mediainfo = bench::bestOfThree([&] {
        runOrDie(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("ls | xargs -P2 -n112 mediainfo --Output=XML")}, films);
    });
    std::printf("224 small films into a new XML catalogue (wall time, best of 3)\n");
    std::printf("  %-48s %7.2f s\n", "filmarch-cli -j 1", one);
    std::printf("  %-48s %7.2f s\n", "filmarch-cli (default -j, 2 x cores)", many);
    std::printf("  %-48s %7.2f s\n", "the same without the helper: -j 1", oneAlone);
    std::printf("  %-48s %7.2f s\n", "the same without the helper: default -j", manyAlone);
    std::printf("  %-48s %7.2f s\n", "xargs -P2 -n112 mediainfo --Output=XML", mediainfo);
    std::printf("  default / mediainfo: %.2f (target at most 1.0)   -j 1 / default: %.2f (target at least 1.8)\n",
        many / mediainfo, one / many);
}

void lookupBench()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("films"));
    const QString model = dir.filePath(QStringLiteral("model.mp4"));
    test::makeVideo(model);
    for (int i = 0; i < 40; ++i)
        QFile::copy(model, dir.filePath(QStringLiteral("films/Film %1.mp4").arg(i)));
    const auto scan = [&](int taches) {
        return bench::bestOfThree([&] {
            // A service that meets this client for the first time.
            test::FakeFilmDatabase service;
            service.latencyMilliseconds = 200;
            for (int i = 0; i < 40; ++i) {
                test::FakeSearch search;
                search.films = test::FakeFilmDatabase::numberedFilms(2, 1000 + 10 * i);
                service.addSearch("FILM+" + std::to_string(i), search);
            }
            ScanOptions o;
            o.CbAlloAuto = true;
            o.Serveur = service.host();
            o.EdRepAffiche = dir.filePath(QStringLiteral("affiches"));
            test::ScanHarness h(o, [taches](ScanFrontEnd& f) { f.taches = taches; });
            const QString cat = dir.filePath(QStringLiteral("films.xml"));
            QFile::remove(cat);
            if (h.scanNew(dir.filePath(QStringLiteral("films")), cat) != ScanOutcome::Finished
                || h.messages().filter(QStringLiteral("Fichier non traité")).size() != 0) {
                std::fprintf(stderr, "the lookup run failed:\n%s\n", qPrintable(h.messages().join(u'\n')));
                std::exit(1);
            }
        });
    };
    const double one = scan(1);
    const double many = scan(defaultTaches());
    std::printf("40 films looked up automatically, the service answering each request after 200 ms\n");
    std::printf("  %-48s %7.2f s\n", "-j 1", one);
    std::printf("  %-48s %7.2f s\n", qPrintable(QStringLiteral("-j %1 (default)").arg(defaultTaches())), many);
    std::printf("  default / -j 1: %.2f (target at most 0.35)\n", many / one);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    scanBench();
    lookupBench();
    return 0;
}
