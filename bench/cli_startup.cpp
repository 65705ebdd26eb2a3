// What filmarch-cli costs before it does any work: `--version`, and
// `--comparer` of two empty folders, beside `/bin/true` (the price of starting
// any program here). The median of many runs, each started without a shell:
// the time waited, and the processor time the run used (which the other work
// of a shared machine disturbs less).
#include "support/TestPaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kRuns = 200;

struct Cost {
    double wall = 0; // ms
    double cpu = 0;  // ms, user and system
};

// One run of `arguments`, its output thrown away.
Cost runCost(const std::vector<QByteArray>& arguments)
{
    std::vector<char*> argv;
    for (const QByteArray& a : arguments)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = -1;
    int status = 0;
    rusage usage {};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0
        || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "échec : %s\n", argv[0]);
    Cost cost;
    cost.wall = timer.nsecsElapsed() / 1e6;
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    cost.cpu = ms(usage.ru_utime) + ms(usage.ru_stime);
    posix_spawn_file_actions_destroy(&actions);
    return cost;
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void report(const char* what, const std::vector<QByteArray>& arguments)
{
    runCost(arguments); // the files in the page cache for every run
    std::vector<double> wall, cpu;
    for (int k = 0; k < kRuns; ++k) {
        const Cost cost = runCost(arguments);
        wall.push_back(cost.wall);
        cpu.push_back(cost.cpu);
    }
    std::printf("%-48s %6.1f ms attendues, %6.1f ms de processeur\n", what, median(wall), median(cpu));
}

} // namespace

int main()
{
    QTemporaryDir work;
    // A copy of its own, so that its log goes to the temporary folder.
    const QString app = work.filePath(QStringLiteral("app"));
    QDir().mkpath(app);
    QFile::copy(filmarch::test::binDir() + QStringLiteral("/filmarch-cli"), app + QStringLiteral("/filmarch-cli"));
    const QByteArray cli = QFile::encodeName(app) + "/filmarch-cli";
    const QByteArray a = QFile::encodeName(work.filePath(QStringLiteral("a")));
    const QByteArray b = QFile::encodeName(work.filePath(QStringLiteral("b")));
    QDir().mkpath(QFile::decodeName(a));
    QDir().mkpath(QFile::decodeName(b));

    std::printf("Médianes de %d lancements :\n", kRuns);
    report("/bin/true", {"/bin/true"});
    report("filmarch-cli --version", {cli, "--version"});
    report("filmarch-cli --comparer de deux dossiers vides", {cli, "--comparer", a, b});
    return 0;
}
