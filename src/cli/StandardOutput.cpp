#include "cli/StandardOutput.h"

#include "cli/CommandLine.h"
#include "cli/TerminalDialogs.h"
#include "platform/Error.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace filmarch {

namespace {
int failure = 0; // errno of the first failed write
} // namespace

bool writeOutput(const QByteArray& bytes, bool flush)
{
    if (failure)
        return false;
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
        || (flush && std::fflush(stdout) != 0)) {
        failure = errno ? errno : EIO;
        return false;
    }
    return true;
}

bool outputFailed()
{
    return failure != 0;
}

int finishOutput(int status)
{
    errno = 0;
    if (!failure && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        failure = errno ? errno : EIO;
    if (!failure)
        return status;
    if (failure == EPIPE) {
        // SIGPIPE is ignored while the program runs, so that a scan can stop
        // cleanly; the end is the signal's all the same.
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
        return 128 + SIGPIPE;
    }
    printError(QStringLiteral("écriture impossible sur la sortie standard : %1").arg(systemReason(failure)));
    return CliFailed;
}

} // namespace filmarch
