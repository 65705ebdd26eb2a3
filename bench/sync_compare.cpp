// The synchronisation analysis at scale: the comparison of 100,000 reference
// names against 100,000 backup names, and the whole `filmarch-cli --comparer
// -r` of two trees of 60,000 files each beside `find` listing the same trees.
#include "support/TestPaths.h"
#include "sync/Listing.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

using namespace filmarch;

namespace {

constexpr int kNames = 100000;
constexpr int kTreeFiles = 60000;
constexpr int kFolders = 60;
constexpr int kRounds = 3;

// Film names where the backup lacks one name in fifty and holds one of its own
// in fifty; one name in a hundred is present twice on each side.
FoundFiles names(bool backup)
{
    FoundFiles found(static_cast<int>(std::strlen("/films/")));
    const int folder = found.addFolder("/films/", QStringLiteral("/films/"));
    for (int k = 0; k < kNames; ++k) {
        int n = k;
        if (k % 100 == 99)
            n = k - 1;
        else if (k % 50 == 7)
            n = backup ? kNames + k : k;
        found.add(QStringLiteral("Film numéro %1 (2001).mkv").arg(n).toUtf8(), folder);
    }
    return found;
}

// One folder per 1,000 files, empty files named like films.
void makeTree(const QString& root, int offset)
{
    for (int k = 0; k < kTreeFiles; ++k) {
        const QString folder = QStringLiteral("%1/dossier-%2").arg(root).arg(k % kFolders);
        if (k < kFolders)
            QDir().mkpath(folder);
        const QByteArray file = QFile::encodeName(QStringLiteral("%1/Film %2.mkv").arg(folder).arg(k + offset));
        ::close(::open(file.constData(), O_WRONLY | O_CREAT, 0644));
    }
}

double bestSeconds(const QByteArray& command)
{
    double best = std::numeric_limits<double>::max();
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (std::system(command.constData()) != 0)
            std::fprintf(stderr, "échec : %s\n", command.constData());
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

} // namespace

int main()
{
    double compare = std::numeric_limits<double>::max();
    std::size_t left = 0, right = 0;
    for (int round = 0; round < kRounds; ++round) {
        const FoundFiles referenceFiles = names(false), backupFiles = names(true);
        SyncList reference, backup;
        QElapsedTimer timer;
        timer.start();
        Comparaison(referenceFiles, backupFiles, reference, backup);
        compare = std::min(compare, timer.nsecsElapsed() / 1e9);
        left = reference.size();
        right = backup.size();
    }
    std::printf("Comparaison de %d noms contre %d : %.3f s (%zu à gauche, %zu à droite)\n", kNames, kNames, compare,
        left, right);

    QTemporaryDir work;
    const QString app = work.filePath(QStringLiteral("app"));
    QDir().mkpath(app);
    QFile::copy(filmarch::test::binDir() + QStringLiteral("/filmarch-cli"), app + QStringLiteral("/filmarch-cli"));
    const QString ref = work.filePath(QStringLiteral("ref")), save = work.filePath(QStringLiteral("save"));
    makeTree(ref, 0);
    makeTree(save, 1000); // 1,000 names differ on each side

    const QByteArray trees = QFile::encodeName(ref) + ' ' + QFile::encodeName(save);
    bestSeconds("find " + trees + " > /dev/null"); // the same warm cache for both
    const double find = bestSeconds("find " + trees + " > /dev/null");
    const double comparer =
        bestSeconds(QFile::encodeName(app) + "/filmarch-cli --comparer -r " + trees + " > /dev/null 2>&1");
    std::printf("Deux arbres de %d fichiers : find %.3f s, filmarch-cli --comparer -r %.3f s (%.2f fois find)\n",
        kTreeFiles, find, comparer, comparer / find);
    return 0;
}
