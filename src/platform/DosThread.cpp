#include "platform/DosThread.h"

#include "platform/ChildProcess.h"

#include <QMetaObject>
#include <QProcess>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace filmarch {

namespace {

constexpr quint32 stillActive = 259;

quint32 decodeStatus(int status)
{
    if (WIFEXITED(status))
        return quint32(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 128u + quint32(WTERMSIG(status));
    return stillActive;
}

// A pending SIGPIPE left by a write to a closed pipe is taken off the thread.
void consumeSigpipe()
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    const timespec zero {0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &zero) > 0) {}
}

} // namespace

TDosThread::TDosThread(TDosCommand& owner, TProcessTimer& timer)
    : FOwner(owner),
      FCommandLine(owner.CommandLine),
      program(owner.Program),
      arguments(owner.Arguments),
      environment(owner.Environment),
      FTimer(timer),
      FMaxTimeAfterBeginning(owner.MaxTimeAfterBeginning),
      FMaxTimeAfterLastOutput(owner.MaxTimeAfterLastOutput),
      FMaxOutputBytes(owner.MaxOutputBytes),
      FOnTerminated(owner.OnTerminated),
      FPriority(owner.Priority),
      FShowWindow(owner.ShowWindow),
      FCreationFlag(owner.CreationFlag),
      FInputToOutput(owner.InputToOutput),
      FRun(std::make_shared<DosRun>()),
      cutter([this](const QByteArray& text, TOutputType type) { AddString_SHARED(text, type); },
          [this] { return terminated || outputLimitPassed; })
{
    FRun->FOnNewLine = owner.OnNewLine;
    if (program.isEmpty()) {
        arguments = QProcess::splitCommand(FCommandLine);
        program = arguments.isEmpty() ? QString() : arguments.takeFirst();
    }
    wakeFd.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    thread = std::thread([this] { Execute(); });
}

TDosThread::~TDosThread()
{
    Terminate();
    if (thread.joinable())
        thread.join();
    wakeFd.reset();
}

void TDosThread::Terminate()
{
    terminated = true;
    {
        std::lock_guard lock(FRun->mutex);
        FRun->abandoned = true;
    }
    FRun->changed.notify_all();
    wake();
}

void TDosThread::wake()
{
    if (wakeFd.isOpen()) {
        const quint64 one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd.get(), &one, sizeof one);
    }
}

void TDosThread::Execute()
{
    // A write to a child that closed its input must fail, not end the program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

    QString message;
    try {
        FExecute();
    } catch (const TCreatePipeError& e) {
        message = e.message();
    } catch (const TCreateProcessError& e) {
        message = e.message();
    } catch (const std::exception& e) {
        qWarning("%s s'est terminé sur une erreur : %s", qPrintable(FCommandLine), e.what());
    } catch (...) {
        qWarning("%s s'est terminé sur une erreur inconnue", qPrintable(FCommandLine));
    }
    TDosCommand* owner = &FOwner;
    std::shared_ptr<DosRun> run = FRun;
    // The error box and the end of the run reach the event-loop thread in this order.
    if (!message.isEmpty())
        QMetaObject::invokeMethod(
            owner, [owner, message] { owner->showError(message); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        owner, [owner, run] { owner->endRun(run); }, Qt::QueuedConnection);
}

void TDosThread::FExecute()
{
    try {
        setStatus(dtsAllocatingMemory);
        buffer = QByteArray(1024, '\0');

        setStatus(dtsCreatingPipes);
        if (!openPipe(inputRead, inputWrite) || !openPipe(outputRead, outputWrite)) {
            lastError = errno;
            throw TCreatePipeError(
                QStringLiteral("Pipes for ") + FCommandLine + QStringLiteral(" could not be created."));
        }
        fcntl(inputWrite.get(), F_SETFL, O_NONBLOCK);

        setStatus(dtsCreatingProcess);
        pid = startChild(
            program, arguments, environment, {inputRead.get(), outputWrite.get(), outputWrite.get()}, lastError);
        if (pid < 0)
            throw TCreateProcessError(FCommandLine + QStringLiteral(" doesn't exist."));
        // Only the child holds these ends now: the output pipe ends when the child's copies close.
        inputRead.reset();
        outputWrite.reset();
        pidFd.reset(int(syscall(SYS_pidfd_open, pid, 0)));

        FTimer.Beginning();
        exitCode = stillActive;
        setStatus(dtsRunning);
        runLoop();
        if (!cutter.pending().isEmpty())
            AddString_SHARED(cutter.pending(), otBeginningOfLine);
    } catch (...) {
        cleanUp();
        finish();
        throw;
    }
    cleanUp();
    finish();
}

void TDosThread::runLoop()
{
    for (;;) {
        // The exit is read before the pipe, so the pass that sees it still reads all the child wrote.
        bool exited = reaped;
        if (!reaped) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                reaped = exited = true;
                exitCode = decodeStatus(status);
            }
        }
        int available = 0;
        if (outputOpen && ioctl(outputRead.get(), FIONREAD, &available) != 0)
            available = 0;
        if (available > 0 || (outputOpen && outputReadable))
            readOutput(available);
        else
            writeInput();

        if (!exited && !terminated && !outputLimitPassed) {
            pollfd fds[4];
            nfds_t n = 0;
            const nfds_t wake = n++;
            fds[wake] = {wakeFd.get(), POLLIN, 0};
            nfds_t out = nfds_t(-1);
            if (outputOpen) {
                out = n++;
                fds[out] = {outputRead.get(), POLLIN, 0};
            }
            if (pidFd.isOpen())
                fds[n++] = {pidFd.get(), POLLIN, 0}; // readable once the child has ended
            bool inputQueued = !inputInFlight.isEmpty();
            if (!inputQueued) {
                QReadLocker lock(&FOwner.FSync);
                inputQueued = !FOwner.FInputLines_SHARED.isEmpty();
            }
            if (inputWrite.isOpen() && inputQueued)
                fds[n++] = {inputWrite.get(), POLLOUT, 0};
            if (::poll(fds, n, waitTimeout()) > 0) {
                if (fds[wake].revents) {
                    quint64 count;
                    [[maybe_unused]] ssize_t r = ::read(wakeFd.get(), &count, sizeof count);
                }
                outputReadable = out != nfds_t(-1) && fds[out].revents != 0;
            }
        }

        // Output cut short is no success, even from a child that has ended.
        if (outputLimitPassed) {
            setStatus(dtsOutputLimit);
            return;
        }
        if (exited) {
            setStatus(dtsSuccess);
            FOwner.FExitCode = int(exitCode);
            return;
        }
        if (terminated) {
            setStatus(dtsUserAborted);
            return;
        }
        if ((FMaxTimeAfterBeginning > 0 && FTimer.SinceBeginning() > FMaxTimeAfterBeginning)
            || (FMaxTimeAfterLastOutput > 0 && FTimer.SinceLastOutput() > FMaxTimeAfterLastOutput)) {
            setStatus(dtsTimeOut);
            return;
        }
    }
}

int TDosThread::waitTimeout() const
{
    // Wake when a limit is passed: a limit of n ticks fires when the counter reaches n + 1.
    qint64 timeout = -1;
    const qint64 tick = FTimer.tick();
    auto consider = [&timeout, tick](int limit, qint64 elapsedMs) {
        if (limit <= 0)
            return;
        const qint64 left = std::max<qint64>(0, (qint64(limit) + 1) * tick - elapsedMs);
        timeout = timeout < 0 ? left : std::min(timeout, left);
    };
    consider(FMaxTimeAfterBeginning, FTimer.msSinceBeginning());
    consider(FMaxTimeAfterLastOutput, FTimer.msSinceLastOutput());
    // Without a process descriptor the exit is only seen by asking again.
    if (!pidFd.isOpen())
        timeout = timeout < 0 ? 10 : std::min<qint64>(timeout, 10);
    return int(timeout);
}

void TDosThread::readOutput(int available)
{
    outputReadable = false;
    if (buffer.size() < available)
        buffer.resize(available);
    buffer.fill('\0');
    const ssize_t n = ::read(outputRead.get(), buffer.data(), size_t(buffer.size()));
    if (n == 0) {
        outputOpen = false; // every writer has closed its end
        return;
    }
    if (n < 0)
        return;
    cutter.cut(buffer.constData(), n);
    FOwner.FOutputReturnCode = cutter.returnCode();
}

void TDosThread::writeInput()
{
    while (!terminated && inputWrite.isOpen()) {
        if (inputInFlight.isEmpty()) {
            QWriteLocker lock(&FOwner.FSync);
            if (FOwner.FInputLines_SHARED.isEmpty())
                return;
            inputInFlight = FOwner.FInputLines_SHARED.takeFirst();
            inputWritten = 0;
            if (inputInFlight.isEmpty())
                continue;
        }
        const ssize_t n = ::write(
            inputWrite.get(), inputInFlight.constData() + inputWritten, size_t(inputInFlight.size() - inputWritten));
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return; // the child reads slowly: the rest waits for the pipe to drain
        if (n < 0) {
            // The child closed its input: nothing more can reach it.
            consumeSigpipe();
            inputWrite.reset();
            inputInFlight.clear();
            return;
        }
        inputWritten += n;
        if (inputWritten < inputInFlight.size())
            return;
        if (FInputToOutput)
            cutter.echo(inputInFlight, FRun->FLineBeginned);
        inputInFlight.clear();
    }
}

void TDosThread::AddString_SHARED(const QByteArray& text, TOutputType type)
{
    if (outputLimitPassed)
        return;
    delivered += text.size();
    if (FMaxOutputBytes > 0 && delivered > FMaxOutputBytes) {
        outputLimitPassed = true;
        return;
    }
    try {
        {
            QWriteLocker lock(&FOwner.FSync);
            FOwner.FLines_SHARED.append(text);
        }
        FTimer.NewOutput();
        {
            std::lock_guard lock(FRun->mutex);
            if (FRun->abandoned)
                return;
            FRun->pieceHandled = false;
        }
        TDosCommand* owner = &FOwner;
        std::shared_ptr<DosRun> run = FRun;
        QMetaObject::invokeMethod(
            owner, [owner, run, text, type] { owner->AddString(*run, text, type); }, Qt::QueuedConnection);
        std::unique_lock lock(FRun->mutex);
        FRun->changed.wait(lock, [this] { return FRun->pieceHandled || FRun->abandoned; });
    } catch (const std::exception& e) {
        qWarning("Sortie de %s perdue : %s", qPrintable(FCommandLine), e.what());
    } catch (...) {
        qWarning("Sortie de %s perdue : erreur inconnue", qPrintable(FCommandLine));
    }
}

void TDosThread::cleanUp()
{
    if (pid > 0 && !reaped) {
        ::kill(pid, SIGKILL);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        reaped = true;
    }
    FTimer.Ending();
    pidFd.reset();
    inputRead.reset();
    inputWrite.reset();
    outputRead.reset();
    outputWrite.reset();
    buffer = QByteArray();
}

void TDosThread::finish()
{
    if (FOnTerminated) {
        try {
            FOnTerminated(&FOwner, exitCode);
        } catch (const std::exception& e) {
            qWarning("Fin de %s : le gestionnaire a échoué : %s", qPrintable(FCommandLine), e.what());
        } catch (...) {
            qWarning("Fin de %s : le gestionnaire a échoué", qPrintable(FCommandLine));
        }
    }
    switch (FOwner.FThreadStatus.load()) {
    case dtsAllocatingMemory: setStatus(dtsAllocateMemoryFail); break;
    case dtsCreatingPipes: setStatus(dtsCreatePipesFail); break;
    case dtsCreatingProcess: setStatus(dtsCreateProcessFail); break;
    case dtsRunning: setStatus(dtsRunningError); break;
    default: active = false; return;
    }
    FOwner.FExitCode = lastError;
    active = false;
}

} // namespace filmarch
