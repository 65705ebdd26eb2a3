#include "platform/DosCommand.h"

#include "platform/DosThread.h"

#include <QEventLoop>
#include <QReadLocker>
#include <QTimer>
#include <QWriteLocker>

#include <chrono>

namespace filmarch {

namespace {
// How often a waiting Execute2 asks whether the caller wants the run stopped.
constexpr int kStopCheckMs = 50;
} // namespace

qint64 TProcessTimer::now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TProcessTimer::Beginning()
{
    const qint64 t = now();
    FBeginning = t;
    FLastOutput = t;
    FEnd = -1;
}

void TProcessTimer::NewOutput()
{
    FLastOutput = now();
}

void TProcessTimer::Ending()
{
    FEnd = now();
}

qint64 TProcessTimer::msSinceBeginning() const
{
    const qint64 end = FEnd;
    return (end >= 0 ? end : now()) - FBeginning;
}

qint64 TProcessTimer::msSinceLastOutput() const
{
    const qint64 end = FEnd;
    return (end >= 0 ? end : now()) - FLastOutput;
}

int TProcessTimer::SinceBeginning() const
{
    return int(msSinceBeginning() / FTick);
}

int TProcessTimer::SinceLastOutput() const
{
    return int(msSinceLastOutput() / FTick);
}

TDosCommand::TDosCommand(QObject* AOwner) : QObject(AOwner)
{
}

TDosCommand::~TDosCommand()
{
    if (FThread)
        Stop();
}

void TDosCommand::Execute()
{
    if (CommandLine.isEmpty())
        return;
    if (FThread)
        Stop();
    if (!FTimer)
        FTimer = std::make_unique<TProcessTimer>();
    FTimer->setTick(TickInterval);
    {
        QWriteLocker lock(&FSync);
        FLines_SHARED.clear();
    }
    FThread = std::make_unique<TDosThread>(*this, *FTimer);
}

int TDosCommand::Execute2()
{
    Execute();
    if (FThread) {
        QEventLoop loop;
        connect(this, &TDosCommand::runEnded, &loop, &QEventLoop::quit);
        QTimer stopCheck;
        if (StopRequested) {
            connect(&stopCheck, &QTimer::timeout, this, [this] {
                if (StopRequested())
                    Stop();
            });
            stopCheck.start(kStopCheckMs);
        }
        // The run is over once its end has been handled here, after any error box it raised.
        while (FThread)
            loop.exec();
    }
    return ExitCode();
}

void TDosCommand::Stop()
{
    if (!FThread)
        return;
    FThread.reset(); // asks the worker to end and waits for it
    emit runEnded();
}

void TDosCommand::SendLine(const QByteArray& Value, bool Eol)
{
    if (!FThread)
        return;
    QByteArray line = Value;
    if (Eol)
        line += ReturnCode == rcCRLF ? QByteArray("\r\n") : QByteArray("\n");
    {
        QWriteLocker lock(&FSync);
        FInputLines_SHARED.append(line);
    }
    FThread->wake();
}

bool TDosCommand::Active() const
{
    return FThread && FThread->FActive();
}

bool TDosCommand::Prompting() const
{
    // Three seconds, whatever the length of the limits' tick.
    return Active() && (FTimer->msSinceLastOutput() > 3000 || FThread->lineBeginned());
}

int TDosCommand::SinceBeginning() const
{
    return Active() ? FTimer->SinceBeginning() : -1;
}

int TDosCommand::SinceLastOutput() const
{
    return Active() ? FTimer->SinceLastOutput() : -1;
}

QByteArrayList TDosCommand::Lines() const
{
    QReadLocker lock(&FSync);
    return FLines_SHARED;
}

QByteArrayList* TDosCommand::OutputLines() const
{
    QReadLocker lock(&FSync);
    return FOutputLines_SHARED;
}

void TDosCommand::setOutputLines(QByteArrayList* list)
{
    QWriteLocker lock(&FSync);
    FOutputLines_SHARED = list;
}

void TDosCommand::AddString(DosRun& run, const QByteArray& text, TOutputType type)
{
    {
        std::lock_guard lock(run.mutex);
        if (run.abandoned)
            return;
    }
    try {
        {
            QWriteLocker lock(&FSync);
            if (QByteArrayList* lines = FOutputLines_SHARED) {
                if (lines->isEmpty())
                    lines->append(text);
                else if (run.FLineBeginned)
                    lines->last() = text;
                else
                    lines->append(text);
            }
        }
        run.FLineBeginned = type == otBeginningOfLine;
        if (run.FOnNewLine)
            run.FOnNewLine(this, text, type);
    } catch (const std::exception& e) {
        // A failing listener loses this piece only; the run goes on.
        qWarning("Sortie de %s ignorée : %s", qPrintable(CommandLine), e.what());
    } catch (...) {
        qWarning("Sortie de %s ignorée : erreur inconnue", qPrintable(CommandLine));
    }
    {
        std::lock_guard lock(run.mutex);
        run.pieceHandled = true;
    }
    run.changed.notify_all();
}

void TDosCommand::endRun(const std::shared_ptr<DosRun>& run)
{
    if (FThread && FThread->run() == run)
        FThread.reset();
    emit runEnded();
}

void TDosCommand::showError(const QString& message)
{
    if (OnErrorBox)
        OnErrorBox(message);
    else
        qWarning("%s", qPrintable(message));
}

} // namespace filmarch
