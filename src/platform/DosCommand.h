#pragma once
// Runs a console program as a child process whose standard streams are pipes.
// A worker thread reads what the child writes, cuts it into lines and hands
// each piece to the thread of the TDosCommand (the event-loop thread, or any
// thread that waits in Execute2), waiting until it has been handled;
// lines queued with SendLine go to the child's standard input. Two optional
// time limits end a child that runs or stays silent too long, a size limit one
// that writes too much, and the caller's stop request one that is no longer wanted.
#include "platform/DosTypes.h"

#include <QByteArrayList>
#include <QObject>
#include <QReadWriteLock>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace filmarch {

class TDosCommand;
class TDosThread;
struct DosRun;

using TNewLineEvent = std::function<void(TDosCommand* Sender, const QByteArray& NewLine, TOutputType OutputType)>;
using TTerminateEvent = std::function<void(TDosCommand* Sender, quint32 ExitCode)>;
// The error box: shows a message to the user; called on the thread of the TDosCommand.
using TErrorBox = std::function<void(const QString& message)>;

// Whole ticks (seconds unless told otherwise) since the start of a run and
// since its last output, read from a steady clock when asked.
class TProcessTimer {
public:
    // Length of a tick in milliseconds.
    void setTick(qint64 ms) { FTick = ms > 0 ? ms : 1; }
    qint64 tick() const { return FTick; }
    void Beginning();
    void NewOutput();
    void Ending();
    int SinceBeginning() const;
    int SinceLastOutput() const;
    qint64 msSinceBeginning() const;
    qint64 msSinceLastOutput() const;

private:
    static qint64 now();
    std::atomic<qint64> FBeginning {0}, FLastOutput {0}, FEnd {-1};
    std::atomic<qint64> FTick {1000};
};

class TDosCommand : public QObject {
    Q_OBJECT
public:
    explicit TDosCommand(QObject* AOwner = nullptr);
    ~TDosCommand() override;

    // Starts a run and returns at once; does nothing when CommandLine is empty.
    void Execute();
    // Execute, then waits in a nested event loop until the run has ended; returns ExitCode().
    // While it waits, StopRequested is asked a few times a second: true stops the run.
    int Execute2();
    // Ends the current run: the child is killed, OnTerminated called, and the
    // worker gone when this returns.
    void Stop();
    // Queues a line for the child's standard input (dropped when no run exists).
    void SendLine(const QByteArray& Value, bool Eol);

    bool Active() const;
    bool Prompting() const;
    // In ticks of TickInterval, -1 when no run is active.
    int SinceBeginning() const;
    int SinceLastOutput() const;

    // Every piece delivered in the current run, partial pieces included.
    QByteArrayList Lines() const;
    // A caller's list that mirrors the output as lines; not owned.
    QByteArrayList* OutputLines() const;
    void setOutputLines(QByteArrayList* list);
    QReadWriteLock& Sync() { return FSync; }

    int ExitCode() const { return FExitCode; }
    TDosThreadStatus ThreadStatus() const { return FThreadStatus; }
    TReturnCode OutputReturnCode() const { return FOutputReturnCode; }

    // The command line shown to the user. The child is started from Program and
    // Arguments; when Program is empty, CommandLine is split into words as a
    // command line is (quotes group words), never run through a shell.
    QString CommandLine;
    QString Program;
    QStringList Arguments;
    // "NAME=value" entries that replace or add to the child's environment.
    QStringList Environment;
    // Called on the thread of this object, once per delivered piece, in output order.
    TNewLineEvent OnNewLine;
    // Called once per run on the worker thread, after the child and the pipes
    // are closed: it must not touch windows or objects of other threads.
    TTerminateEvent OnTerminated;
    // Where the start failures go; without one they are written as warnings.
    TErrorBox OnErrorBox;
    bool InputToOutput = false;
    // Limits in ticks of TickInterval milliseconds; 0 means none. A limit of n
    // fires when its counter reaches n + 1.
    int MaxTimeAfterBeginning = 0;
    int MaxTimeAfterLastOutput = 0;
    int TickInterval = 1000;
    // Bytes a run may deliver, a partial line counting each time it is
    // delivered; past it the child is ended (dtsOutputLimit). 0 means none.
    qint64 MaxOutputBytes = 0;
    // Asked on this object's thread while Execute2 waits (the caller's stop flag).
    std::function<bool()> StopRequested;
    TShowWindow ShowWindow = swHIDE;
    TCreationFlag CreationFlag = fCREATE_NEW_CONSOLE;
    TReturnCode ReturnCode = rcCRLF;
    int Priority = 0x20;

signals:
    // A run has ended or was stopped (wakes Execute2).
    void runEnded();

private:
    friend class TDosThread;
    void AddString(DosRun& run, const QByteArray& text, TOutputType type);
    void endRun(const std::shared_ptr<DosRun>& run);
    void showError(const QString& message);

    std::unique_ptr<TProcessTimer> FTimer;
    std::unique_ptr<TDosThread> FThread;
    std::atomic<TDosThreadStatus> FThreadStatus {dtsAllocatingMemory};
    std::atomic<int> FExitCode {0};
    std::atomic<TReturnCode> FOutputReturnCode {rcCRLF};
    QByteArrayList FLines_SHARED;
    QByteArrayList FInputLines_SHARED;
    QByteArrayList* FOutputLines_SHARED = nullptr;
    mutable QReadWriteLock FSync;
};

} // namespace filmarch
