#pragma once
// The one "stop" of a scan run, asked by the run, its workers and its
// pipeline. It keeps every reason it was given: the log and the outcome tell
// a stop by the user from one of the lookup window, and both from a failed
// save.
#include <atomic>

namespace filmarch {

enum class StopReason : unsigned {
    User = 1,         // the progress window's "Stop", Ctrl-C, an output that cannot be written
    LookupWindow = 2, // "Arrêter" in the film-database lookup window
    SaveFailed = 4,   // the catalogue could not be written (the user was told)
    WriterDone = 8,   // the writer took its last file: work under way is dropped
};

class StopToken {
public:
    // May be called from any thread.
    void stop(StopReason why) { reasons.fetch_or(unsigned(why)); }
    bool stopped() const { return reasons.load() != 0; }
    bool stoppedBy(StopReason why) const { return (reasons.load() & unsigned(why)) != 0; }
    // Stopped by the user, from the progress window or the lookup window.
    bool stoppedByUser() const { return stoppedBy(StopReason::User) || stoppedBy(StopReason::LookupWindow); }

private:
    std::atomic<unsigned> reasons = 0;
};

} // namespace filmarch
