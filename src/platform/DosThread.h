#pragma once
// The worker of TDosCommand: one per run. It starts the child, waits on its
// output pipe, cuts the output into lines, writes the queued input, watches
// the time limits, and ends the child when asked to.
#include "platform/DosCommand.h"
#include "platform/FileDescriptor.h"
#include "platform/LineCutter.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/types.h>

namespace filmarch {

// What a run shares with the pieces it has posted to the event-loop thread;
// it outlives the worker when a piece is still queued.
struct DosRun {
    std::mutex mutex;
    std::condition_variable changed;
    bool pieceHandled = false;
    bool abandoned = false;
    std::atomic<bool> FLineBeginned {false};
    TNewLineEvent FOnNewLine;
};

class TDosThread {
public:
    // Copies the owner's settings and starts at once.
    TDosThread(TDosCommand& owner, TProcessTimer& timer);
    // Asks the worker to end and waits until it has.
    ~TDosThread();
    TDosThread(const TDosThread&) = delete;
    TDosThread& operator=(const TDosThread&) = delete;

    // Asks the worker to end: it leaves its wait, kills the child and cleans up.
    void Terminate();
    // Wakes the worker from its wait (input was queued).
    void wake();
    bool FActive() const { return active; }
    bool lineBeginned() const { return FRun->FLineBeginned; }
    const std::shared_ptr<DosRun>& run() const { return FRun; }

private:
    void Execute();
    void FExecute();
    void runLoop();
    void cleanUp();
    void finish();
    void readOutput(int available);
    void writeInput();
    int waitTimeout() const;
    void AddString_SHARED(const QByteArray& text, TOutputType type);
    void setStatus(TDosThreadStatus status) { FOwner.FThreadStatus = status; }

    TDosCommand& FOwner;
    QString FCommandLine, program;
    QStringList arguments, environment;
    TProcessTimer& FTimer;
    int FMaxTimeAfterBeginning, FMaxTimeAfterLastOutput;
    qint64 FMaxOutputBytes;
    qint64 delivered = 0; // bytes of the pieces delivered so far
    std::atomic<bool> outputLimitPassed {false};
    TTerminateEvent FOnTerminated;
    int FPriority;
    TShowWindow FShowWindow;
    TCreationFlag FCreationFlag;
    bool FInputToOutput;
    std::shared_ptr<DosRun> FRun;

    LineCutter cutter;
    QByteArray buffer;
    QByteArray inputInFlight; // the queued line being written
    qsizetype inputWritten = 0;
    FileDescriptor inputRead, inputWrite, outputRead, outputWrite;
    FileDescriptor wakeFd, pidFd;
    pid_t pid = -1;
    bool reaped = false, outputOpen = true, outputReadable = false;
    quint32 exitCode = 0;
    int lastError = 0;

    std::atomic<bool> active {true}, terminated {false};
    std::thread thread;
};

} // namespace filmarch
