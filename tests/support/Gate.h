#pragma once
// A gate a test opens when it has seen what it waits for: a server's answer
// held behind it comes at a moment the test chooses, never after a delay.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace filmarch::test {

class Gate {
public:
    void close()
    {
        std::lock_guard hold(lock);
        shut = true;
    }
    void open()
    {
        {
            std::lock_guard hold(lock);
            shut = false;
        }
        opened.notify_all();
    }
    // Returns at once while the gate is open. A minute at most: a client that
    // never gives up fails its test instead of hanging it.
    void pass()
    {
        std::unique_lock hold(lock);
        opened.wait_for(hold, std::chrono::minutes(1), [this] { return !shut; });
    }

private:
    std::mutex lock;
    std::condition_variable opened;
    bool shut = false;
};

} // namespace filmarch::test
