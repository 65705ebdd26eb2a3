#include "platform/OffThread.h"

#include <QThread>

#include <exception>
#include <memory>

namespace filmarch {

QThread* startOffThread(QObject* receiver, std::function<void()> job, std::function<void(std::exception_ptr)> done)
{
    auto failure = std::make_shared<std::exception_ptr>();
    QThread* thread = QThread::create([job = std::move(job), failure] {
        try {
            job();
        } catch (...) {
            *failure = std::current_exception();
        }
    });
    // Queued to the receiver's thread: what the job posted comes first.
    QObject::connect(
        thread, &QThread::finished, receiver, [done = std::move(done), failure] { done(*failure); },
        Qt::QueuedConnection);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

} // namespace filmarch
