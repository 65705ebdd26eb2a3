#include "platform/ToolRun.h"

#include "platform/ChildProcess.h"
#include "platform/Error.h"
#include "platform/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace filmarch {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often a waiting run asks whether the caller wants it stopped.
constexpr milliseconds kStopCheck {50};
qint64 msLeft(Clock::time_point since, milliseconds limit, Clock::time_point now)
{
    return std::max<qint64>(0, (limit - std::chrono::duration_cast<milliseconds>(now - since)).count());
}

// The program and whatever it started: they share its process group.
void endGroup(pid_t pid)
{
    if (::kill(-pid, SIGKILL) != 0)
        ::kill(pid, SIGKILL);
}

int exitCodeOf(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ToolRun runTool(const QString& program, const QStringList& arguments, const QStringList& environment,
    const ToolRunLimits& limits, bool keepOutput)
{
    FileDescriptor readEnd, writeEnd;
    FileDescriptor nothing(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (!openPipe(readEnd, writeEnd) || !nothing.isOpen())
        throw Error(program + QStringLiteral(" : ") + systemReason(errno));
    int error = 0;
    ChildStreams streams {nothing.get(), writeEnd.get(), writeEnd.get()};
    streams.ownGroup = true;
    const pid_t pid = startChild(program, arguments, environment, streams, error);
    if (pid < 0)
        throw Error(program + QStringLiteral(" : ") + systemReason(error));
    // Only the child holds the writing end now: the pipe ends when it and its children close it.
    writeEnd.reset();
    nothing.reset();
    fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);
    FileDescriptor exited(int(syscall(SYS_pidfd_open, pid, 0)));

    ToolRun run;
    const Clock::time_point start = Clock::now();
    Clock::time_point lastOutput = start;
    qint64 written = 0;
    bool outputOpen = true;
    int status = 0;
    bool reaped = false;
    char buffer[16384];
    for (;;) {
        // The end is seen before the pipe is read, so the pass that sees it still reads all the child wrote.
        if (!reaped && ::waitpid(pid, &status, WNOHANG) == pid)
            reaped = true;
        while (outputOpen) {
            const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
            if (n > 0) {
                lastOutput = Clock::now();
                written += n;
                if (keepOutput)
                    run.output.append(buffer, n);
                if (limits.maxOutputBytes > 0 && written > limits.maxOutputBytes)
                    break;
            } else if (n == 0 || errno != EINTR) {
                outputOpen = n != 0 && errno == EAGAIN;
                break;
            }
        }
        if (limits.maxOutputBytes > 0 && written > limits.maxOutputBytes)
            run.end = ToolEnd::TooMuch;
        else if (reaped)
            break;
        else if (limits.stopRequested && limits.stopRequested())
            run.end = ToolEnd::Stopped;
        const Clock::time_point now = Clock::now();
        if (run.end == ToolEnd::Exited && limits.total.count() > 0 && msLeft(start, limits.total, now) == 0)
            run.end = ToolEnd::TooLong;
        else if (run.end == ToolEnd::Exited && limits.silence.count() > 0
            && msLeft(lastOutput, limits.silence, now) == 0)
            run.end = ToolEnd::Silent;
        if (run.end != ToolEnd::Exited) {
            endGroup(pid);
            ::waitpid(pid, &status, 0);
            return run;
        }

        qint64 wait = -1;
        auto atMost = [&wait](qint64 ms) { wait = wait < 0 ? ms : std::min(wait, ms); };
        if (limits.total.count() > 0)
            atMost(msLeft(start, limits.total, now));
        if (limits.silence.count() > 0)
            atMost(msLeft(lastOutput, limits.silence, now));
        if (limits.stopRequested)
            atMost(kStopCheck.count());
        if (!exited.isOpen())
            atMost(10); // without a process descriptor the end is only seen by asking again
        pollfd fds[2];
        nfds_t n = 0;
        if (outputOpen)
            fds[n++] = {readEnd.get(), POLLIN, 0};
        if (exited.isOpen())
            fds[n++] = {exited.get(), POLLIN, 0};
        ::poll(fds, n, int(wait));
    }
    // The program has ended; what it started may still hold the pipe: that is not waited for.
    run.exitCode = exitCodeOf(status);
    return run;
}

} // namespace filmarch
