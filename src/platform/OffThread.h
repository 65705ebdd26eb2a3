#pragma once
// Waiting for the network without freezing the windows.
#include <functional>

namespace filmarch {

// Runs `job` on a worker thread while a nested event loop keeps the windows
// painting and their buttons answering; returns once the job has ended and
// rethrows what it threw. Called off the event-loop thread, or before any
// application object exists, the job simply runs in place.
void runOffEventLoop(const std::function<void()>& job);

// The requests of one client made on the event-loop thread, one at a time:
// while one waits in its nested event loop, a window could start another.
// Requests from other threads run as they come.
class OneRequestAtATime {
public:
    // runOffEventLoop(job); throws Error when a request is already under way.
    void run(const std::function<void()>& job);

private:
    bool busy = false;
};

} // namespace filmarch
