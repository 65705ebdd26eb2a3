#pragma once
// Waiting for the network without freezing the windows.
#include <functional>

namespace filmarch {

// Runs `job` on a worker thread while a nested event loop keeps the windows
// painting and their buttons answering; returns once the job has ended and
// rethrows what it threw. Called off the event-loop thread, or before any
// application object exists, the job simply runs in place.
void runOffEventLoop(const std::function<void()>& job);

} // namespace filmarch
