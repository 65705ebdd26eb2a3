#include "media/RemoteMediaInfo.h"

#include "media/AnalysisWire.h"
#include "platform/ChildProcess.h"
#include "platform/Error.h"
#include "platform/WriteAll.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>

namespace filmarch {

RemoteMediaInfo::RemoteMediaInfo(QString helper, QString library, Limits limits)
    // The library is loaded now, on the thread that makes the handles (loading
    // it is not for several worker threads at once), for the analysis in this
    // process when no helper can be had.
    : MesFonctionMediaInfo(library), helper(std::move(helper)), library(std::move(library)), limits(limits)
{
    // The helper loads the library while this process gets on with its work.
    spawn();
}

RemoteMediaInfo::~RemoteMediaInfo()
{
    end();
    reap(std::chrono::seconds(1));
}

void RemoteMediaInfo::spawn()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return;
    FileDescriptor ours(ends[0]), theirs(ends[1]);
    const FileDescriptor nowhere(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (!nowhere.isOpen())
        return;
    int error = 0;
    pid = startChild(helper, {library}, {}, {theirs.get(), theirs.get(), nowhere.get()}, error);
    if (pid > 0)
        socket = std::move(ours);
    ready = false;
}

bool RemoteMediaInfo::start()
{
    if (pid < 0)
        spawn();
    if (pid < 0)
        return false;
    if (ready)
        return true;
    const std::optional<QByteArray> hello = receive(limits.start);
    ready = hello && *hello == QByteArray(1, 'R');
    if (!ready)
        end();
    return ready;
}

void RemoteMediaInfo::end()
{
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ended.push_back(pid);
        reap(std::chrono::milliseconds(20));
    }
    pid = -1;
    socket.reset();
    if (opened)
        lost = true;
    opened = false;
}

bool RemoteMediaInfo::send(const QByteArray& frame)
{
    if (sendAll(socket.get(), frame) == 0)
        return true;
    end();
    return false;
}

// Helpers killed are waited for a short while at most: one stuck in the
// kernel (a device that does not answer) is left to be reaped later.
void RemoteMediaInfo::reap(std::chrono::milliseconds patience)
{
    const auto until = std::chrono::steady_clock::now() + patience;
    for (;;) {
        std::erase_if(ended, [](pid_t child) {
            const pid_t gone = ::waitpid(child, nullptr, WNOHANG);
            return gone == child || (gone < 0 && errno == ECHILD);
        });
        if (ended.empty() || std::chrono::steady_clock::now() >= until)
            return;
        ::usleep(1000);
    }
}

// One answer's fields; nothing when the helper ended, stayed silent for
// `silence`, was still talking at `until`, said more than a frame may hold,
// or a stop came (the helper is ended then). An answer already there is taken
// even after a long pause of this process (suspended at a terminal, say).
std::optional<QByteArray> RemoteMediaInfo::receive(std::chrono::milliseconds silence, Clock::time_point until)
{
    Clock::time_point deadline = std::min(Clock::now() + silence, until);
    QByteArray bytes;
    qsizetype wanted = 4;
    char buffer[65536];
    while (bytes.size() < wanted) {
        pollfd ready {socket.get(), POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(limits.tick.count()));
        if (polled < 0 && errno != EINTR) {
            end();
            return std::nullopt;
        }
        if (polled <= 0) {
            if (stopped() || Clock::now() >= deadline) {
                end();
                return std::nullopt;
            }
            continue;
        }
        const ssize_t got =
            ::recv(socket.get(), buffer, size_t(std::min<qsizetype>(wanted - bytes.size(), sizeof buffer)), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            end();
            return std::nullopt;
        }
        bytes.append(buffer, got);
        deadline = std::min(Clock::now() + silence, until);
        if (wanted == 4 && bytes.size() == 4) {
            const std::uint32_t length = wire::frameLength(bytes.constData());
            if (length > wire::frameLimit) {
                end();
                return std::nullopt;
            }
            wanted += qsizetype(length);
        }
    }
    return bytes.mid(4);
}

void RemoteMediaInfo::New()
{
    if (!alone) {
        Delete();
        lost = false;
        reap(std::chrono::milliseconds(0));
        // A helper that ended while it waited (killed from outside) is replaced
        // before it is given a file.
        if (pid > 0 && ::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            end();
        }
        if (!start()) {
            if (stopped())
                throw Error(QStringLiteral("analyse arrêtée"));
            // No helper here: the analysis is done in this process from now on.
            alone = true;
        }
    }
    if (alone)
        MesFonctionMediaInfo::New();
}

int RemoteMediaInfo::Open(const QString& AFileName)
{
    if (alone)
        return MesFonctionMediaInfo::Open(AFileName);
    forget();
    lost = false;
    if (pid < 0)
        return 0;
    // The helper holds the file from now on, until its answer says it could not.
    opened = true;
    fileDeadline = Clock::now() + limits.total;
    if (!send(wire::FrameWriter().byte(char(wire::Request::Open)).text(AFileName).frame()))
        return 0;
    const std::optional<QByteArray> answer = receive(limits.silence, fileDeadline);
    if (!answer)
        return 0;
    wire::FrameReader reader(*answer);
    const char status = reader.byte();
    const bool analysed = status == 1;
    const std::uint32_t count = reader.number();
    for (std::uint32_t i = 0; i < count && !reader.failed(); ++i)
        if (const std::optional<wire::Value> v = reader.value())
            remember(v->kind, v->number, v->parameter, v->value);
    if (!reader.atEnd() || (status != 0 && status != 1)) {
        end();
        return 0;
    }
    if (!analysed) {
        opened = false;
        forget();
    }
    return analysed ? 1 : 0;
}

QString RemoteMediaInfo::ask(
    TMIStreamKind StreamKind, int StreamNumber, const QString& Parameter, TMIInfo KindOfInfo, TMIInfo KindOfSearch)
{
    if (alone)
        return MesFonctionMediaInfo::ask(StreamKind, StreamNumber, Parameter, KindOfInfo, KindOfSearch);
    if (lost)
        throw Error(QStringLiteral("analyse interrompue"));
    if (!opened)
        return {};
    const QByteArray request = wire::FrameWriter()
                                   .byte(char(wire::Request::Get))
                                   .byte(char(StreamKind))
                                   .number(std::uint32_t(StreamNumber))
                                   .text(Parameter)
                                   .number(std::uint32_t(KindOfInfo))
                                   .number(std::uint32_t(KindOfSearch))
                                   .frame();
    std::optional<QByteArray> answer;
    if (send(request))
        answer = receive(limits.silence, fileDeadline);
    if (!answer)
        throw Error(QStringLiteral("analyse interrompue"));
    wire::FrameReader reader(*answer);
    const QString value = reader.text();
    if (!reader.atEnd()) {
        end();
        throw Error(QStringLiteral("analyse interrompue"));
    }
    return value;
}

void RemoteMediaInfo::Delete()
{
    if (alone) {
        MesFonctionMediaInfo::Delete();
        return;
    }
    if (opened && pid > 0)
        send(wire::FrameWriter().byte(char(wire::Request::Close)).frame());
    opened = false;
    forget();
}

} // namespace filmarch
