#pragma once
// Runs a program to its end and waits for it on the calling thread: its input
// is /dev/null, its output and errors come through one pipe, and it is ended
// (with the processes it started) when it runs too long, stays silent too
// long, writes too much or is no longer wanted.
#include <QByteArray>
#include <QStringList>

#include <chrono>
#include <functional>

namespace filmarch {

// How a bounded run ended.
enum class ToolEnd {
    Exited,
    TooLong, // the whole-run limit passed
    Silent,  // the silence limit passed
    TooMuch, // it wrote more than maxOutputBytes
    Stopped, // the caller asked for the end of the run
};

// Zero means no limit.
struct ToolRunLimits {
    std::chrono::milliseconds total {0};   // the whole run
    std::chrono::milliseconds silence {0}; // without any output
    qint64 maxOutputBytes = 0;
    // Asked a few times a second while the program runs: true ends it.
    std::function<bool()> stopRequested;
};

struct ToolRun {
    ToolEnd end = ToolEnd::Exited;
    int exitCode = -1; // when it exited on its own (not by a signal)
    QByteArray output; // what it wrote, when asked to keep it
};

// Starts `program` (searched on PATH when it holds no '/') with `arguments`;
// `environment` holds "NAME=value" changes. Throws Error, with the system's
// reason, when it cannot be started. Blocks its caller until the program ends:
// a window runs it on a thread of its own.
ToolRun runTool(const QString& program, const QStringList& arguments, const QStringList& environment,
    const ToolRunLimits& limits, bool keepOutput);

} // namespace filmarch
