#pragma once
// The best wall time of three runs: the machine's other work only ever adds time.
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <limits>

namespace filmarch::bench {

// In seconds.
inline double bestOfThree(const std::function<void()>& run)
{
    qint64 ms = std::numeric_limits<qint64>::max();
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        ms = std::min(ms, timer.elapsed());
    }
    return ms / 1000.0;
}

} // namespace filmarch::bench
