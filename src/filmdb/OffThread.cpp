#include "filmdb/OffThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <exception>
#include <thread>

namespace filmarch {

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

} // namespace filmarch
