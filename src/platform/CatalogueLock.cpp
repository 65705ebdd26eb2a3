#include "platform/CatalogueLock.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch {

namespace {

QByteArray lockFileName(const QByteArray& target)
{
    return besideName(target, ".", ".filmarch-lock");
}

QString cannotLock(const QByteArray& name, int error)
{
    const QString lock = QFile::decodeName(name);
    QString reason;
    if (error == EISDIR)
        reason = QStringLiteral("%1 est un dossier").arg(lock);
    else if (error == ELOOP)
        reason = QStringLiteral("%1 est un lien symbolique").arg(lock);
    else
        reason = QStringLiteral("%1 : %2").arg(lock, systemReason(error));
    return QStringLiteral("Le catalogue ne peut pas être réservé pour ce scan, un autre scan pourrait l'écrire en "
                          "même temps (")
        + reason + QStringLiteral(").");
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
    why.clear();
    busy = false;
    const QByteArray target = resolvedFileName(path);
    const QByteArray name = lockFileName(target);
    // A lock file removed by the run that held it between our open and our
    // lock is not the lock any more: start again on the new one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        FileDescriptor f(::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
        const int error = errno;
        bool canWrite = f.isOpen();
        bool ownFile = true;
        if (!f.isOpen() && (error == EACCES || error == EPERM || error == EROFS)) {
            f.reset(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
            if (!f.isOpen()) {
                // A folder that cannot be written: the catalogue is saved in
                // place there, so its own file stays the same one to lock.
                f.reset(::open(target.constData(), O_RDONLY | O_CLOEXEC));
                if (!f.isOpen() && errno == EACCES)
                    f.reset(::open(target.constData(), O_WRONLY | O_CLOEXEC));
                ownFile = false;
            }
        }
        // Nothing to lock where no one here can write the catalogue either
        // (a folder that is missing or closed): the run refuses it for that.
        if (!f.isOpen() && !cannotReplaceReason(path).isEmpty())
            return true;
        if (!f.isOpen()) {
            why = cannotLock(name, error);
            return false;
        }
        if (::flock(f.get(), LOCK_EX | LOCK_NB) != 0) {
            busy = true;
            why = QStringLiteral("Le catalogue est déjà utilisé par un autre scan.");
            return false;
        }
        if (ownFile && !sameFile(f.get(), name))
            continue;
        fd = std::move(f);
        writable = canWrite;
        lockName = ownFile ? name : QByteArray();
        left = ownFile ? readRecord(fd.get()) : std::nullopt;
        return true;
    }
    busy = true;
    why = QStringLiteral("Le catalogue est déjà utilisé par un autre scan.");
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
    if (!fd.isOpen())
        return;
    if (!lockName.isEmpty() && writable)
        ::unlink(lockName.constData());
    fd.reset();
    lockName.clear();
    left.reset();
}

void CatalogueLock::recordCommitted(const Committed& c)
{
    if (!fd.isOpen() || !writable)
        return;
    char text[128];
    const int n = std::snprintf(text, sizeof text, "filmarch %llu %llu %lld\n", (unsigned long long)c.device,
        (unsigned long long)c.inode, (long long)c.size);
    // Fixed width is not needed: a shorter record ends at its line break.
    // A record not cut to its length still ends at its line break.
    if (::pwrite(fd.get(), text, size_t(n), 0) == n && ::ftruncate(fd.get(), n) != 0)
        return;
}

void CatalogueLock::clearCommitted()
{
    // An empty record only spares the next run a check; nothing depends on it.
    if (fd.isOpen() && writable && ::ftruncate(fd.get(), 0) != 0)
        return;
}

} // namespace filmarch
