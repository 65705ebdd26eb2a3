#include "platform/CatalogueLock.h"

#include "platform/SafeFile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch {

namespace {

QByteArray lockFileName(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return target.left(slash + 1) + '.' + target.mid(slash + 1) + ".filmarch-lock";
}

bool sameFile(int fd, const QByteArray& name)
{
    struct stat a {
    }, b {};
    return ::fstat(fd, &a) == 0 && ::stat(name.constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::optional<CatalogueLock::Committed> readRecord(int fd)
{
    char text[128] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0)
        return std::nullopt;
    unsigned long long device = 0, inode = 0;
    long long size = 0;
    if (std::sscanf(text, "filmarch %llu %llu %lld", &device, &inode, &size) != 3 || size < 0)
        return std::nullopt;
    return CatalogueLock::Committed {dev_t(device), ino_t(inode), size};
}

} // namespace

bool CatalogueLock::tryLock(const QString& path)
{
    release();
    const QByteArray target = resolvedFileName(path);
    const QByteArray name = lockFileName(target);
    // A lock file removed by the run that held it between our open and our
    // lock is not the lock any more: start again on the new one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        int f = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        bool canWrite = f >= 0;
        bool ownFile = true;
        if (f < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            f = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (f < 0) {
                // A folder that cannot be written: the catalogue is saved in
                // place there, so its own file stays the same one to lock.
                f = ::open(target.constData(), O_RDONLY | O_CLOEXEC);
                ownFile = false;
            }
        }
        if (f < 0)
            return true; // nothing to lock: the catalogue cannot be written either, which the run refuses
        if (::flock(f, LOCK_EX | LOCK_NB) != 0) {
            ::close(f);
            return false;
        }
        if (ownFile && !sameFile(f, name)) {
            ::close(f);
            continue;
        }
        fd = f;
        writable = canWrite;
        lockName = ownFile ? name : QByteArray();
        left = ownFile ? readRecord(fd) : std::nullopt;
        return true;
    }
    return false;
}

bool CatalogueLock::unfinishedAfter(const QString& path, qint64 offset) const
{
    struct stat st {};
    if (!left || ::stat(resolvedFileName(path).constData(), &st) != 0)
        return false;
    return st.st_dev == left->device && st.st_ino == left->inode && left->size <= offset && offset < st.st_size;
}

void CatalogueLock::release()
{
    if (fd < 0)
        return;
    if (!lockName.isEmpty() && writable)
        ::unlink(lockName.constData());
    ::close(fd);
    fd = -1;
    lockName.clear();
    left.reset();
}

void CatalogueLock::recordCommitted(const Committed& c)
{
    if (fd < 0 || !writable)
        return;
    char text[128];
    const int n = std::snprintf(text, sizeof text, "filmarch %llu %llu %lld\n", (unsigned long long)c.device,
        (unsigned long long)c.inode, (long long)c.size);
    // Fixed width is not needed: a shorter record ends at its line break.
    if (::pwrite(fd, text, size_t(n), 0) == n)
        (void)::ftruncate(fd, n);
}

void CatalogueLock::clearCommitted()
{
    if (fd >= 0 && writable)
        (void)::ftruncate(fd, 0);
}

} // namespace filmarch
