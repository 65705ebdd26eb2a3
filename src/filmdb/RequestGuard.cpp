#include "filmdb/RequestGuard.h"

#include "platform/Error.h"
#include "platform/HttpClient.h"

namespace filmarch {

void RequestGuard::run(const QString& server, const std::function<void()>& request)
{
    if (stopped())
        throw Error(QStringLiteral("Recherche abandonnée pour la suite du scan"));
    try {
        request();
    } catch (const HttpError& e) {
        const bool busy = e.status == 429;
        if (!e.transport && !busy) {
            std::lock_guard hold(lock);
            failures = 0;
            throw;
        }
        std::unique_lock hold(lock);
        if (++failures >= failuresBeforeGivingUp && !halted) {
            hold.unlock();
            stop(QStringLiteral("Recherche abandonnée pour la suite du scan : ")
                + (busy ? QStringLiteral("le service refuse les requêtes (trop de requêtes)")
                        : QStringLiteral("le service ne répond pas"))
                + QStringLiteral(" (") + server + QLatin1Char(')'));
        }
        throw;
    } catch (...) {
        // An answer came (it may be unusable): the service is alive.
        std::lock_guard hold(lock);
        failures = 0;
        throw;
    }
    std::lock_guard hold(lock);
    failures = 0;
}

void RequestGuard::stop(const QString& notice)
{
    std::lock_guard hold(lock);
    if (halted)
        return;
    halted = true;
    notices << notice;
}

bool RequestGuard::stopped() const
{
    std::lock_guard hold(lock);
    return halted;
}

void RequestGuard::pause(int seconds)
{
    std::unique_lock hold(lock);
    woken.wait_for(hold, std::chrono::seconds(seconds), [this] { return interrupted; });
}

bool RequestGuard::interruptedRun() const
{
    std::lock_guard hold(lock);
    return interrupted;
}

void RequestGuard::interrupt()
{
    {
        std::lock_guard hold(lock);
        interrupted = true;
    }
    woken.notify_all();
}

void RequestGuard::startRun()
{
    std::lock_guard hold(lock);
    failures = 0;
    halted = false;
    interrupted = false;
    notices.clear();
}

QStringList RequestGuard::takeNotices()
{
    std::lock_guard hold(lock);
    return std::exchange(notices, {});
}

} // namespace filmarch
