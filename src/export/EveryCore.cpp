#include "export/EveryCore.h"

#include "core/ScanProgress.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <sched.h>
#include <thread>
#include <vector>

namespace filmarch {

int usableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1, int(std::thread::hardware_concurrency()));
}

void forEachOnEveryCore(size_t count, const std::function<void(size_t)>& work, ScanProgress& progress)
{
    std::atomic<size_t> next {0};
    std::atomic<bool> stop {false};
    std::mutex lock;
    std::condition_variable changed;
    size_t done = 0;
    std::exception_ptr failure;

    const auto worker = [&] {
        for (size_t i; !stop && (i = next++) < count;) {
            std::exception_ptr thrown;
            try {
                work(i);
            } catch (...) {
                thrown = std::current_exception();
            }
            const std::lock_guard<std::mutex> hold(lock);
            ++done;
            if (thrown && !failure) {
                failure = thrown;
                stop = true;
            }
            changed.notify_one();
        }
    };
    const int threads = int(std::min<size_t>(size_t(usableCores()), std::max<size_t>(count, 1)));
    std::vector<std::thread> pool;
    pool.reserve(size_t(threads));
    const auto joinAll = [&] {
        stop = true;
        for (std::thread& t : pool)
            t.join();
        pool.clear();
    };
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    std::unique_lock<std::mutex> hold(lock);
    while (done < count && !failure) {
        changed.wait_for(hold, std::chrono::milliseconds(50));
        const int position = int(done);
        hold.unlock();
        try {
            progress.setPosition(position);
            progress.processEvents();
        } catch (...) {
            joinAll();
            throw;
        }
        hold.lock();
    }
    hold.unlock();
    joinAll();
    if (failure)
        std::rethrow_exception(failure);
    progress.setPosition(int(count));
}

} // namespace filmarch
