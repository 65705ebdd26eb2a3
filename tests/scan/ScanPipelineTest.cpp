// Work done ahead on worker threads, when the system refuses some or all of
// the threads asked for (a limit on processes): every job still runs, in order.
#include "scan/ScanPipeline.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <grp.h>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace filmarch;

namespace {

constexpr uid_t kNobody = 65534;

// Threads of every process of `user` now.
rlim_t tasksOf(uid_t user)
{
    rlim_t tasks = 0;
    for (const QString& process : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(process));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        bool mine = false;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Uid:"))
                mine = line.mid(4).simplified().split(' ').value(0).toUInt() == user;
            if (mine && line.startsWith("Threads:"))
                tasks += line.mid(8).trimmed().toUInt();
        }
    }
    return tasks;
}

// In a child run as "nobody" and allowed `threads` threads beyond its own:
// 0 when a pipeline of eight workers ran its 20 jobs with that many workers,
// -1 when no such child can be made here.
int pipelineWithThreads(rlim_t threads)
{
    const rlim_t others = tasksOf(kNobody);
    const pid_t child = ::fork();
    if (child == 0) {
        // The limit counts the threads of the real user; root is not held by it.
        const rlimit limit {others + 1 + threads, others + 1 + threads};
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0
            || ::setresuid(kNobody, kNobody, kNobody) != 0 || ::setrlimit(RLIMIT_NPROC, &limit) != 0)
            ::_exit(77);
        std::mutex mutex;
        std::vector<int> ran;
        const StopToken stop;
        {
            ScanPipeline work(8, 8, 20, stop, [&](int index, int) {
                std::lock_guard lock(mutex);
                ran.push_back(index);
            });
            if (work.workers() != int(threads))
                ::_exit(10 + work.workers());
            for (int i = 0; i < 20; ++i) {
                if (!work.waitFor(i))
                    ::_exit(2);
                work.done(i);
            }
        }
        std::sort(ran.begin(), ran.end());
        for (int i = 0; i < 20; ++i)
            if (ran.size() != 20 || ran[size_t(i)] != i)
                ::_exit(3);
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 1;
    return WEXITSTATUS(status) == 77 ? -1 : WEXITSTATUS(status);
}

} // namespace

TEST(ScanPipeline, RunsWithTheWorkersThatStartedOrOnTheCallerWhenNoneDid)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the limit is set for another user, which needs root";
    for (const rlim_t threads : {rlim_t(0), rlim_t(2)}) {
        SCOPED_TRACE(threads);
        const int status = pipelineWithThreads(threads);
        if (status < 0)
            GTEST_SKIP() << "root may not become nobody here";
        EXPECT_EQ(status, 0);
    }
}

TEST(ScanPipeline, AStopFromAnotherThreadEndsTheWaitForAJobStillRunning)
{
    StopToken stop;
    std::mutex gate;
    std::unique_lock held(gate); // the first job waits behind it
    bool waited = true;
    {
        ScanPipeline work(1, 0, 2, stop, [&](int, int) { std::lock_guard pass(gate); });
        std::thread stopper([&] {
            stop.stop(StopReason::User);
            work.wakeForStop();
        });
        waited = work.waitFor(0);
        stopper.join();
        held.unlock(); // the job ends; the pipeline waits for it as it goes
    }
    EXPECT_FALSE(waited);
}
