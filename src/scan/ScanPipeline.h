#pragma once
// Work done ahead in walk order: jobs 0..count-1 run on worker threads, at
// most `ahead` of them beyond the one the caller takes next, and the caller
// takes them one by one, in order, on its own thread. A stop of the run ends
// the waits and starts no further job.
#include "scan/StopToken.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace filmarch {

class ScanPipeline {
public:
    // `job(index, slot)` runs on a worker; `slot` (0..ahead) is free for the
    // job's results until the caller calls done(index). `stop` outlives the pipeline.
    ScanPipeline(
        int workers, int ahead, int count, const StopToken& stop, std::function<void(int index, int slot)> job);
    // Jobs not started are dropped; the running ones are waited for.
    ~ScanPipeline();
    ScanPipeline(const ScanPipeline&) = delete;
    ScanPipeline& operator=(const ScanPipeline&) = delete;

    // The worker threads that started: fewer than asked when the system
    // refused some, and none when it refused all (the caller then does each
    // job in waitFor).
    int workers() const { return int(threads.size()); }
    int places() const { return ahead + 1; }
    int slotOf(int index) const { return index % places(); }

    // Waits until job `index` has ended, or until the run is stopped (false then).
    bool waitFor(int index);
    // The caller is done with job `index`: its slot goes to a later job.
    void done(int index);
    // The run's token was just stopped: a waitFor() in progress ends and the
    // workers see it (from any thread).
    void wakeForStop();

private:
    void workerLoop();

    const int ahead;
    const int count;
    const StopToken& stop;
    const std::function<void(int, int)> job;
    std::mutex mutex;
    std::condition_variable changed;
    int given = 0;   // jobs handed to the workers so far
    int next = 0;    // next job a worker takes
    int allowed = 0; // jobs below this may be handed out
    std::vector<char> ended;
    bool stopping = false; // the pipeline is being destroyed
    std::vector<std::thread> threads;
};

} // namespace filmarch
