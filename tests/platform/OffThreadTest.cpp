// Work started off the event loop: its end comes back as an event of the
// receiver's thread, after what the work posted, with what it threw.
#include "platform/OffThread.h"
#include "platform/Error.h"
#include "support/CoreApplication.h"

#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <future>
#include <memory>

using namespace filmarch;

TEST(StartOffThread, EndsOnTheReceiversThreadAfterWhatTheJobPostedWithWhatItThrew)
{
    test::ensureCoreApplication();
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails);
        QObject receiver;
        QEventLoop loop;
        QStringList seen;
        QThread* jobThread = nullptr;
        std::exception_ptr failure;
        startOffThread(
            &receiver,
            [&] {
                jobThread = QThread::currentThread();
                for (int i = 0; i < 3; ++i)
                    QMetaObject::invokeMethod(
                        &receiver, [&seen, i] { seen << QString::number(i); }, Qt::QueuedConnection);
                if (fails)
                    throw Error(QStringLiteral("échec"));
            },
            [&](std::exception_ptr thrown) {
                EXPECT_EQ(QThread::currentThread(), receiver.thread());
                seen << QStringLiteral("fin");
                failure = thrown;
                loop.quit();
            });
        // Nothing is waited for here: the end comes through the loop.
        EXPECT_TRUE(seen.isEmpty());
        loop.exec();
        EXPECT_NE(jobThread, receiver.thread());
        EXPECT_EQ(
            seen, (QStringList {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("fin")}));
        EXPECT_EQ(bool(failure), fails);
        if (failure) {
            EXPECT_THROW(std::rethrow_exception(failure), Error);
        }
    }
}

TEST(StartOffThread, AGoneReceiverHearsNothing)
{
    test::ensureCoreApplication();
    auto receiver = std::make_unique<QObject>();
    std::promise<QThread*> started;
    std::promise<void> receiverGone;
    bool called = false;
    startOffThread(
        receiver.get(),
        [&] {
            started.set_value(QThread::currentThread());
            receiverGone.get_future().wait();
        },
        [&](std::exception_ptr) { called = true; });
    QThread* job = started.get_future().get();
    QEventLoop loop;
    // The job's thread object goes once the job has ended and its end was handled.
    QObject::connect(job, &QObject::destroyed, &loop, &QEventLoop::quit);
    receiver.reset();
    receiverGone.set_value();
    loop.exec();
    EXPECT_FALSE(called);
}
