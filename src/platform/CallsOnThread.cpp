#include "platform/CallsOnThread.h"

#include <QObject>
#include <QThread>

#include <memory>

namespace filmarch {

CallsOnThread::CallsOnThread(QObject* target) : receiver(target)
{
}

bool CallsOnThread::onReceiverThread() const
{
    return QThread::currentThread() == receiver->thread();
}

bool CallsOnThread::isClosed()
{
    std::lock_guard guard(lock);
    return closed;
}

bool CallsOnThread::run(const std::function<void()>& call)
{
    if (onReceiverThread()) {
        if (isClosed())
            return false;
        call();
        return true;
    }
    // Shared with the queued call, which may run after a close released this caller.
    struct Pending {
        std::function<void()> call;
        bool started = false;
        bool done = false;
    };
    auto pending = std::make_shared<Pending>(Pending {call});
    {
        std::lock_guard guard(lock);
        if (closed)
            return false;
    }
    QMetaObject::invokeMethod(
        receiver,
        [this, pending] {
            {
                std::lock_guard guard(lock);
                if (closed)
                    return;
                pending->started = true;
            }
            pending->call();
            {
                std::lock_guard guard(lock);
                pending->done = true;
            }
            answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock guard(lock);
    // A call under way when the owner closes is waited for: it may use the caller's data.
    answered.wait(guard, [&] { return pending->done || (closed && !pending->started); });
    return pending->done;
}

void CallsOnThread::post(std::function<void()> call)
{
    QMetaObject::invokeMethod(
        receiver,
        [this, call = std::move(call)] {
            if (!isClosed())
                call();
        },
        Qt::QueuedConnection);
}

void CallsOnThread::close()
{
    {
        std::lock_guard guard(lock);
        closed = true;
    }
    answered.notify_all();
}

} // namespace filmarch
