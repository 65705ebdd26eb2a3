#include "platform/OffThread.h"

#include "platform/Error.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QScopeGuard>
#include <QThread>

#include <exception>
#include <memory>
#include <thread>

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

void runOffEventLoop(const std::function<void()>& job)
{
    const QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        job();
        return;
    }
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: a quit posted before exec() starts is still delivered to it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

void OneRequestAtATime::run(const std::function<void()>& job)
{
    // Off the event-loop thread no window can start a request meanwhile, and
    // a scan's workers ask at once, each from its own thread.
    const QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        job();
        return;
    }
    if (busy)
        throw Error(QStringLiteral("Une requête vers la base de films est déjà en cours"));
    busy = true;
    const auto done = qScopeGuard([this] { busy = false; });
    runOffEventLoop(job);
}

} // namespace filmarch
