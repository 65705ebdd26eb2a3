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

} // namespace filmarch
