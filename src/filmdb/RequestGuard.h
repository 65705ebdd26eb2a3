#pragma once
// How a run asks a film database: after three transport failures in a row (no
// connection, time-out, cut answer) it stops asking until the next run; an
// answer resets the count. A refused key stops it too. Shared by every
// lookup of the program, from any thread.
#include <QString>
#include <QStringList>

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

    // A new run asks again.
    void startRun();
    // The lines to log (once each) since the last call.
    QStringList takeNotices();

    static constexpr int failuresBeforeGivingUp = 3;

private:
    mutable std::mutex lock;
    int failures = 0;
    bool halted = false;
    QStringList notices;
};

} // namespace filmarch
