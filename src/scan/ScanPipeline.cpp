#include "scan/ScanPipeline.h"

#include <algorithm>
#include <system_error>

namespace filmarch {

ScanPipeline::ScanPipeline(
    int workers, int aheadCount, int jobCount, const StopToken& runStop, std::function<void(int, int)> work)
    : ahead(std::max(aheadCount, 0)),
      count(jobCount),
      stop(runStop),
      job(std::move(work)),
      ended(size_t(std::max(jobCount, 0)), 0)
{
    allowed = std::min(count, ahead + 1);
    // The system may refuse threads (a limit on processes): the jobs go to
    // those that started, or to the caller when none did.
    try {
        for (int i = 0; i < std::max(workers, 1); ++i)
            threads.emplace_back([this] { workerLoop(); });
    } catch (const std::system_error&) {
    }
}

ScanPipeline::~ScanPipeline()
{
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    // The jobs under way end on their own (a stopped run ends its tools).
    for (std::thread& t : threads)
        t.join();
}

void ScanPipeline::workerLoop()
{
    std::unique_lock lock(mutex);
    for (;;) {
        // Once the run is stopped, no job is started: its work would be dropped.
        changed.wait(lock, [this] { return stopping || stop.stopped() || next < allowed; });
        if (stopping || stop.stopped())
            return;
        const int index = next++;
        lock.unlock();
        try {
            job(index, slotOf(index));
        } catch (...) {
            // A job records its own failures; nothing may leave a worker.
        }
        lock.lock();
        ended[size_t(index)] = 1;
        changed.notify_all();
    }
}

bool ScanPipeline::waitFor(int index)
{
    std::unique_lock lock(mutex);
    if (threads.empty() && !ended[size_t(index)] && !stop.stopped() && index < allowed) {
        // No worker: the caller does the job itself, in order.
        next = std::max(next, index + 1);
        lock.unlock();
        try {
            job(index, slotOf(index));
        } catch (...) {
        }
        lock.lock();
        ended[size_t(index)] = 1;
    }
    changed.wait(lock, [&] { return ended[size_t(index)] || stop.stopped(); });
    return ended[size_t(index)] && !stop.stopped();
}

void ScanPipeline::done(int index)
{
    {
        std::lock_guard lock(mutex);
        allowed = std::min(count, std::max(allowed, index + ahead + 2));
    }
    changed.notify_all();
}

void ScanPipeline::wakeForStop()
{
    // Under the lock: a waiter between its look at the token and its wait is woken all the same.
    std::lock_guard lock(mutex);
    changed.notify_all();
}

} // namespace filmarch
