#include "platform/SafeFile.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// ".<name>.filmarch-prec" beside the target.
QByteArray spareName(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return target.left(slash + 1) + '.' + target.mid(slash + 1) + ".filmarch-prec";
}

// A file descriptor that the rename has not taken yet: closed, and its file
// removed, when the save fails.
struct PendingFile {
    QByteArray name;
    int fd = -1;
    ~PendingFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!name.isEmpty())
            ::unlink(name.constData());
    }
};

void writeAll(int fd, const QByteArray& bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw Error(systemReason(n < 0 ? errno : ENOSPC));
        written += n;
    }
}

// The spare of an earlier save, when it is a plain file of ours that can be
// overwritten in place; -1 otherwise (it is then removed).
int openSpare(const QByteArray& spare)
{
    const int fd = ::open(spare.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid())
        return fd;
    if (fd >= 0)
        ::close(fd);
    ::unlink(spare.constData());
    return -1;
}

// A file reached through a symbolic link is replaced where the link points,
// so that the link and the real file stay one.
QByteArray resolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return QFile::encodeName(path);
    const QString real = info.canonicalFilePath();
    return QFile::encodeName(real.isEmpty() ? info.symLinkTarget() : real);
}

} // namespace

void replaceFile(const QString& path, const QByteArray& bytes, SaveMode mode)
{
    const QByteArray target = resolvedTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && !(existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        throw Error(QStringLiteral("le fichier %1 est en lecture seule").arg(QDir::toNativeSeparators(path)));
    if (exists && ::access(target.constData(), W_OK) != 0)
        throw Error(systemReason(errno));
    // The new file keeps the old one's permissions; a new file gets the usual ones.
    mode_t permissions = existing.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }

    bool repeated = mode == SaveMode::Repeated && exists;
    PendingFile pending;
    if (repeated) {
        pending.name = spareName(target);
        pending.fd = openSpare(pending.name);
        if (pending.fd < 0)
            pending.fd = ::open(pending.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        repeated = pending.fd >= 0;
    }
    if (!repeated) {
        pending.name = target + ".tmp-XXXXXX";
        pending.fd = ::mkostemp(pending.name.data(), O_CLOEXEC);
    }
    if (pending.fd < 0) {
        const int error = errno;
        pending.name.clear();
        throw Error(systemReason(error));
    }
    ::fchmod(pending.fd, permissions);
    writeAll(pending.fd, bytes);
    if (repeated && ::ftruncate(pending.fd, bytes.size()) != 0)
        throw Error(systemReason(errno));
    if (mode == SaveMode::Durable && ::fdatasync(pending.fd) != 0)
        throw Error(systemReason(errno));
    const int fd = pending.fd;
    pending.fd = -1;
    if (::close(fd) != 0)
        throw Error(systemReason(errno));

    // Swapped with the target, the spare keeps the previous version for the
    // next save; where the file system cannot swap, a plain rename does.
    if (repeated && ::renameat2(AT_FDCWD, pending.name.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) == 0) {
        pending.name.clear();
        return;
    }
    if (::rename(pending.name.constData(), target.constData()) != 0)
        throw Error(systemReason(errno));
    pending.name.clear();
}

void finishRepeatedSaves(const QString& path)
{
    const QByteArray target = resolvedTarget(path);
    ::unlink(spareName(target).constData());
    const int fd = ::open(target.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::close(fd);
}

} // namespace filmarch
