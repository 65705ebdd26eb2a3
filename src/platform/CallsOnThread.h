#pragma once
// Calls that a worker makes on the thread of an object (a window's), waiting
// for them when it needs their answer. The object's owner closes them when it
// goes: a caller waiting then is released, and later calls do nothing, so that
// the owner may wait for the worker without both waiting for each other.
#include <condition_variable>
#include <functional>
#include <mutex>

class QObject;

namespace filmarch {

class CallsOnThread {
public:
    // `receiver` outlives this object (it usually owns it).
    explicit CallsOnThread(QObject* receiver);
    CallsOnThread(const CallsOnThread&) = delete;
    CallsOnThread& operator=(const CallsOnThread&) = delete;

    // Runs `call` on the receiver's thread and returns once it has run (in
    // place on that thread). False, without running it, once closed.
    bool run(const std::function<void()>& call);
    // Queued after the calls already asked; not waited for.
    void post(std::function<void()> call);
    // From the receiver's thread: waiting callers are released, later calls refused.
    void close();

private:
    bool onReceiverThread() const;
    bool isClosed();

    QObject* const receiver;
    std::mutex lock;
    std::condition_variable answered;
    bool closed = false;
};

} // namespace filmarch
