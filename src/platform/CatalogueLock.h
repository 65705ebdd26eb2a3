#pragma once
// The advisory lock a run holds on its catalogue from validation to the end,
// so that two runs (two windows, a window and the command line) never write
// one catalogue at once. The lock lives in a hidden file beside the catalogue
// (".<name>.filmarch-lock"), which also remembers how far the catalogue is
// whole while a run appends to it; in a folder that cannot be written, the
// catalogue file itself is locked.
#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace filmarch {

class CatalogueLock {
public:
    // Where a catalogue was whole when its run was killed: the file (device,
    // inode) and its length before the unfinished append.
    struct Committed {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = 0;
    };

    CatalogueLock() = default;
    ~CatalogueLock() { release(); }
    CatalogueLock(const CatalogueLock&) = delete;
    CatalogueLock& operator=(const CatalogueLock&) = delete;

    // Takes the lock on the catalogue at `path` without waiting. False when
    // another run holds it, or when no lock can be had on a catalogue that
    // this run could write (a folder or a link at the lock's name, no room):
    // refusal() says which. True without a lock only where the catalogue can
    // be written by no one here, which the run refuses for its own reason.
    // What a killed run recorded is read first (previousRun()), then forgotten.
    bool tryLock(const QString& path);
    // The message for the user after a failed tryLock().
    QString refusal() const { return why; }
    // True when the last tryLock() failed because another run holds the lock.
    bool heldElsewhere() const { return busy; }
    // Removes the lock file and gives the lock back.
    void release();
    bool held() const { return fd.isOpen(); }

    std::optional<Committed> previousRun() const { return left; }
    // True when a killed run left the file at `path` whole up to a length at
    // most `offset`: what follows is the entry it was adding, not damage.
    bool unfinishedAfter(const QString& path, qint64 offset) const;
    // Remembers that the catalogue is whole up to `c.size` (for the next run,
    // should this one be killed while appending). Ignored where it cannot be kept.
    void recordCommitted(const Committed& c);
    void clearCommitted();

private:
    FileDescriptor fd;
    bool writable = false;
    QByteArray lockName; // empty when the catalogue itself is locked
    std::optional<Committed> left;
    QString why;
    bool busy = false;
};

} // namespace filmarch
