#pragma once
// How a run asks a film database: after three failures in a row (no
// connection, time-out, cut answer, or "too many requests" still said after
// the waits it asked for) it stops asking until the next run; an answer resets
// the count. A refused key stops it too. Shared by every lookup of the
// program, from any thread.
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <mutex>

namespace filmarch {

class RequestGuard {
public:
    // Runs one request to `server` (named in the log line when the run gives
    // up). Throws what the request threw, or Error when the run gave up.
    void run(const QString& server, const std::function<void()>& request);

    // No more requests in this run; `notice` is logged once.
    void stop(const QString& notice);
    bool stopped() const;

    // Waits `seconds` before a request is asked again, less when the run is
    // interrupted meanwhile (or was before).
    void pause(int seconds);
    // The user stopped the run: waits end now, and none starts until the next run.
    void interrupt();
    bool interruptedRun() const;

    // A new run asks again.
    void startRun();
    // The lines to log (once each) since the last call.
    QStringList takeNotices();

    static constexpr int failuresBeforeGivingUp = 3;

private:
    mutable std::mutex lock;
    int failures = 0;
    bool halted = false;
    bool interrupted = false;
    std::condition_variable woken;
    QStringList notices;
};

} // namespace filmarch
