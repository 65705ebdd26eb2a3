// A worker's calls made on a receiver's thread: in order, answered, and
// released when the receiver's owner closes them.
#include "platform/CallsOnThread.h"
#include "support/CoreApplication.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace filmarch;

TEST(CallsOnThread, RunsAndPostsOnTheReceiversThreadInTheOrderAsked)
{
    test::ensureCoreApplication();
    QObject receiver;
    CallsOnThread calls(&receiver);
    QStringList seen;
    bool answered = false;
    std::atomic<bool> finished = false;
    std::thread worker([&] {
        calls.post([&] { seen << QStringLiteral("posté"); });
        int answer = 0;
        answered = calls.run([&] {
            answer = 42;
            seen << (QThread::currentThread() == receiver.thread() ? QStringLiteral("appel")
                                                                   : QStringLiteral("ailleurs"));
        });
        EXPECT_EQ(answer, 42);
        finished = true;
    });
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(seen, (QStringList {QStringLiteral("posté"), QStringLiteral("appel")}));
    // On the receiver's own thread the call runs in place.
    int inPlace = 0;
    EXPECT_TRUE(calls.run([&] { inPlace = 1; }));
    EXPECT_EQ(inPlace, 1);
}

TEST(CallsOnThread, CloseReleasesAWaitingCallerAndRefusesLaterCalls)
{
    test::ensureCoreApplication();
    QObject receiver;
    CallsOnThread calls(&receiver);
    std::atomic<bool> asked = false;
    bool ran = false, answered = true;
    // The receiver's thread never serves its events here: without the close the worker waits for ever.
    std::thread worker([&] {
        asked = true;
        answered = calls.run([&] { ran = true; });
    });
    while (!asked)
        std::this_thread::yield();
    calls.close();
    worker.join();
    EXPECT_FALSE(answered);
    // The call queued before the close does not run when the events are served afterwards.
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    EXPECT_FALSE(calls.run([&] { ran = true; }));
    calls.post([&] { ran = true; });
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}
