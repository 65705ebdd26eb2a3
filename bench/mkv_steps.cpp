// Cost of the writers' Matroska steps on 100 films with attachments (a scan
// with the poster and attachment options on, less the same scan with them
// off), beside a shell loop running mkvmerge -J and mkvextract on the same files.
#include "platform/Error.h"
#include "platform/ToolLocator.h"
#include "support/CoreApplication.h"
#include "support/MatroskaFixtures.h"
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

using namespace filmarch;

namespace {

constexpr int kFiles = 100;
constexpr int kRounds = 3;

QString makeFolder(const QTemporaryDir& dir)
{
    const QDir d(dir.path());
    const QString plain = d.filePath(QStringLiteral("plain.mkv"));
    const QString model = d.filePath(QStringLiteral("model.mkv"));
    test::makeVideo(plain);
    test::attachFiles(plain, model,
        {test::picture(QStringLiteral("cover.png")), test::picture(QStringLiteral("front.jpg")),
            {QStringLiteral("notes.txt"), QStringLiteral("text/plain"), "notes"}});
    d.mkdir(QStringLiteral("films"));
    for (int i = 0; i < kFiles; ++i)
        QFile::copy(model, d.filePath(QStringLiteral("films/Film.Numero.%1.mkv").arg(i)));
    return d.filePath(QStringLiteral("films"));
}

// What the steps cannot do without: both tools once per file, from a shell.
qint64 shellLoop(const QString& tools, const QString& folder, const QString& posters)
{
    QProcess sh;
    sh.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sh.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    sh.start(QStringLiteral("sh"),
        {QStringLiteral("-c"),
            QStringLiteral("for f in \"$1\"/*.mkv; do \"$2mkvmerge\" -J \"$f\"; "
                           "\"$2mkvextract\" attachments \"$f\" 2:\"$3/$(basename \"$f\" .mkv).jpg\"; done"),
            QStringLiteral("sh"), folder, tools, posters});
    if (!sh.waitForFinished(-1) || sh.exitCode() != 0)
        throw Error(QStringLiteral("la boucle du shell a échoué"));
    return clock.nsecsElapsed();
}

qint64 scan(const QString& folder, const QString& catalogue, bool mkvOptions, const QString& posters)
{
    ScanOptions o;
    o.CbAffiche = mkvOptions;
    o.CbPieceJointe = mkvOptions;
    o.EdRepAffiche = posters;
    test::ScanHarness h(o);
    QElapsedTimer clock;
    clock.start();
    if (h.scanNew(folder, catalogue) != ScanOutcome::Finished)
        throw Error(QStringLiteral("le scan a échoué"));
    return clock.nsecsElapsed();
}

} // namespace

int main()
{
    try {
        test::ensureCoreApplication();
        const QString tools = ToolLocator::system().findMkvToolNix();
        if (tools.isEmpty())
            throw Error(QStringLiteral("MKVToolNix est introuvable"));
        QTemporaryDir dir, out;
        const QString folder = makeFolder(dir);

        qint64 bestShell = std::numeric_limits<qint64>::max(), bestOn[2] = {bestShell, bestShell},
               bestOff[2] = {bestShell, bestShell};
        const char* const formats[] = {"xml", "amc"};
        for (int r = 0; r < kRounds; ++r) {
            const QString posters = out.filePath(QStringLiteral("affiches%1").arg(r));
            QDir().mkpath(posters + QStringLiteral("/shell"));
            bestShell = std::min(bestShell, shellLoop(tools, folder, posters + QStringLiteral("/shell")));
            for (int f = 0; f < 2; ++f) {
                auto catalogue = [&](const char* options) {
                    return out.filePath(
                        QStringLiteral("%1-%2.%3").arg(r).arg(QLatin1String(options), QLatin1String(formats[f])));
                };
                bestOff[f] = std::min(bestOff[f], scan(folder, catalogue("off"), false, posters));
                bestOn[f] = std::min(bestOn[f], scan(folder, catalogue("on"), true, posters));
            }
        }
        std::printf("%d Matroska files with 3 attachments each, best of %d rounds, wall-clock time\n", kFiles, kRounds);
        std::printf("%-48s %8.2f ms/file\n", "shell loop: mkvmerge -J, then mkvextract", bestShell / 1e6 / kFiles);
        for (int f = 0; f < 2; ++f) {
            const qint64 steps = bestOn[f] - bestOff[f];
            std::printf(
                "%s: %-43s %8.2f ms/file\n", formats[f], "scan, Matroska options off", bestOff[f] / 1e6 / kFiles);
            std::printf(
                "%s: %-43s %8.2f ms/file\n", formats[f], "scan, posters and attachments on", bestOn[f] / 1e6 / kFiles);
            std::printf("%s: %-43s %8.2f ms/file\n", formats[f], "cost of the Matroska steps", steps / 1e6 / kFiles);
            std::printf("%s: %-43s %8.2f    (target: at most 1.20)\n", formats[f], "ratio to the shell loop",
                double(steps) / bestShell);
        }
        return 0;
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
