#pragma once
// The MediaInfo analysis of this handle done by a helper process
// (filmarch-analyse): the library runs much of its work under locks that every
// analysis of one process shares, so files analysed at once each need a
// process of their own to go side by side.
//
// An opening brings back every value a film's analysis reads; any other value
// is asked of the helper while the file stays open. A helper that dies, or
// does not answer in time (silent too long, or too long over the whole
// file), or is stopped, fails the file it had (Open gives 0,
// a value not yet brought back throws Error) and the next file starts another
// helper. When no helper can be started, or it cannot load the library, the
// analysis is done in this process.
#include "media/MediaInfoDll.h"
#include "platform/FileDescriptor.h"

#include <QByteArray>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include <sys/types.h>

namespace filmarch {

class RemoteMediaInfo : public MesFonctionMediaInfo {
public:
    struct Limits {
        // A helper not ready in this time after it was started is not used.
        std::chrono::milliseconds start = std::chrono::minutes(1);
        // An opening or a value whose answer stays silent this long fails.
        std::chrono::milliseconds silence = std::chrono::minutes(5);
        // A file whose opening and values take longer than this in all fails,
        // even when bytes keep coming.
        std::chrono::milliseconds total = std::chrono::minutes(5);
        // How often a stop is looked for while an answer is awaited.
        std::chrono::milliseconds tick {50};
    };

    // `helper`: the helper program; `library`: the MediaInfo library it loads.
    RemoteMediaInfo(QString helper, QString library, Limits limits);
    RemoteMediaInfo(QString helper, QString library) : RemoteMediaInfo(std::move(helper), std::move(library), Limits {}) {}
    // Ends the helper.
    ~RemoteMediaInfo() override;

    void New() override;
    int Open(const QString& AFileName) override;
    void Delete() override;
    void stopWhen(std::function<bool()> stop) override { stopRequested = std::move(stop); }

    // The helper's process id, -1 when none runs.
    pid_t helperProcess() const { return pid; }
    // True once the analysis is done in this process.
    bool local() const { return alone; }

protected:
    QString ask(TMIStreamKind StreamKind, int StreamNumber, const QString& Parameter, TMIInfo KindOfInfo,
        TMIInfo KindOfSearch) override;

private:
    void spawn();
    bool start();
    void end();
    void reap(std::chrono::milliseconds patience);
    bool send(const QByteArray& frame);
    using Clock = std::chrono::steady_clock;
    std::optional<QByteArray> receive(
        std::chrono::milliseconds silence, Clock::time_point until = Clock::time_point::max());
    bool stopped() const { return stopRequested && stopRequested(); }

    const QString helper;
    const QString library;
    const Limits limits;
    std::function<bool()> stopRequested;
    pid_t pid = -1;
    bool ready = false; // the helper said it has loaded the library
    FileDescriptor socket;
    bool opened = false; // the helper holds a file open for this handle
    bool lost = false;   // the helper ended with the file open: its other values are lost
    Clock::time_point fileDeadline; // when the file in hand has had its time
    std::vector<pid_t> ended; // helpers killed and not yet reaped
    bool alone = false; // no helper could be started: the library in this process analyses
};

} // namespace filmarch
