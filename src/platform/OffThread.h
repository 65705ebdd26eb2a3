#pragma once
// Work kept off the event loop so that the windows stay served.
#include <exception>
#include <functional>

class QObject;
class QThread;

namespace filmarch {

// Starts `job` on a thread of its own and returns at once; when the job has
// ended, `done` is called on `receiver`'s thread with what the job threw (null
// when nothing). Calls `job` posts to `receiver`'s thread before it ends are
// handled before `done`. Nothing is called once `receiver` is destroyed.
// Returns the job's thread, deleted (later) once the job has ended.
QThread* startOffThread(QObject* receiver, std::function<void()> job, std::function<void(std::exception_ptr)> done);

// For callers that need the result before they go on (the film-database
// clients and the poster download, which a scan run on the event-loop thread
// asks in the middle of a file): runs `job` on a worker thread while a nested
// event loop keeps the windows painting and their buttons answering; returns once the job has ended and
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
