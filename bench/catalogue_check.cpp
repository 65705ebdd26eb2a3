// The verification of a 20,000-entry catalogue against its folder, beside
// what it cannot do without: listing the folder with `find` and reading the
// catalogue once. Both formats; the check in the process and the whole
// `filmarch-cli --verifier`.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "scan/CatalogueCheck.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <unistd.h>

using namespace filmarch;

namespace {

constexpr int kEntries = 20000;
constexpr int kFolders = 40;
constexpr int kGone = 50; // entries whose file was deleted; as many files no entry names
constexpr int kRounds = 3;

QString fileOf(const QString& root, int k)
{
    return QStringLiteral("%1/dossier-%2/Film numéro %3 (2001).mkv").arg(root).arg(k % kFolders).arg(k);
}

void makeFolder(const QString& root)
{
    for (int f = 0; f < kFolders; ++f)
        QDir().mkpath(QStringLiteral("%1/dossier-%2").arg(root).arg(f));
    for (int k = kGone; k < kEntries + kGone; ++k)
        ::close(::open(QFile::encodeName(fileOf(root, k)).constData(), O_WRONLY | O_CREAT, 0644));
}

void makeCatalogues(const QString& root, const QString& xml, const QString& amc)
{
    TMovieList list;
    auto doc = XmlCatalogue::createNew();
    for (int k = 0; k < kEntries; ++k) {
        TMovie& m = list.Add();
        m.iNumber = k + 1;
        m.strURL = fileOf(root, k);
        m.strOriginalTitle = QStringLiteral("Film numéro %1").arg(k);
        m.strSize = QStringLiteral("700");
        m.iLength = 95;
        XmlCatalogue::Movie movie = doc->appendMovie();
        movie.setAttribute(QStringLiteral("Number"), QString::number(k + 1));
        movie.setAttribute(QStringLiteral("OriginalTitle"), m.strOriginalTitle);
        movie.setAttribute(QStringLiteral("URL"), m.strURL);
        movie.setAttribute(QStringLiteral("Size"), m.strSize);
        movie.setAttribute(QStringLiteral("Length"), QStringLiteral("95"));
    }
    list.SaveToFile(amc, amc, 41);
    doc->saveFile(xml);
}

double best(const std::function<void()>& work)
{
    double fastest = std::numeric_limits<double>::max();
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        fastest = std::min(fastest, timer.nsecsElapsed() / 1e9);
    }
    return fastest;
}

void shell(const QByteArray& command)
{
    if (std::system(command.constData()) > 256)
        std::fprintf(stderr, "échec : %s\n", command.constData());
}

} // namespace

int main()
{
    QTemporaryDir work;
    const QString root = work.filePath(QStringLiteral("Films"));
    const QString xml = work.filePath(QStringLiteral("films.xml")), amc = work.filePath(QStringLiteral("films.amc"));
    makeFolder(root);
    makeCatalogues(root, xml, amc);
    const QString app = work.filePath(QStringLiteral("app"));
    QDir().mkpath(app);
    QFile::copy(test::binDir() + QStringLiteral("/filmarch-cli"), app + QStringLiteral("/filmarch-cli"));
    QFile::copy(test::binDir() + QStringLiteral("/filmarch-analyse"), app + QStringLiteral("/filmarch-analyse"));

    const QByteArray folder = QFile::encodeName(root);
    shell("find " + folder + " > /dev/null"); // the same warm cache for all
    const double find = best([&] { shell("find " + folder + " > /dev/null"); });
    std::printf("find sur %d fichiers : %.3f s\n", kEntries, find);

    for (const QString& cat : {xml, amc}) {
        const double read = best([&] {
            if (cat == xml) {
                XmlCatalogue::loadFile(cat);
            } else {
                TMovieList list;
                list.LoadFromFile(cat);
            }
        });
        std::size_t gone = 0, found = 0;
        const double check = best([&] {
            const CatalogueCheck c = checkCatalogue(cat, {root}, [](const QString&) { return FileFacts {}; });
            gone = c.gone.size();
            found = c.entries.size();
        });
        const double cli = best([&] {
            shell(QFile::encodeName(app) + "/filmarch-cli --verifier " + QFile::encodeName(cat) + ' ' + folder
                + " > /dev/null 2>&1");
        });
        const double limit = 2 * (find + read);
        std::printf("%s, %zu entrées (%zu absentes) : lecture %.3f s ; vérification %.3f s (%.2f fois find + "
                    "lecture) ; filmarch-cli --verifier %.3f s (%.2f fois) ; limite %.3f s : %s\n",
            qPrintable(QFileInfo(cat).fileName()), found, gone, read, check, check / (find + read), cli,
            cli / (find + read), limit, check <= limit && cli <= limit ? "tenue" : "DÉPASSÉE");
    }
    return 0;
}
