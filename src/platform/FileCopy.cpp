#include "platform/FileCopy.h"

#include "platform/Error.h"
#include "platform/FileDescriptor.h"
#include "platform/WriteAll.h"

#include <QRandomGenerator>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace filmarch {

namespace {

constexpr qint64 kChunk = 1 << 20;
constexpr char kTemporaryPrefix[] = ".filmarch-copie-";
constexpr qsizetype kTemporaryPrefixLength = sizeof(kTemporaryPrefix) - 1;

// Six letters or digits, as mkstemp would pick.
QByteArray randomSuffix()
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(6, '0');
    for (char& c : suffix)
        c = letters[QRandomGenerator::global()->bounded(int(sizeof(letters) - 1))];
    return suffix;
}

CopyOutcome failed(const QString& reason)
{
    return {CopyOutcome::Failed, reason};
}

// Where copy_file_range cannot copy between these two files at all.
bool kernelCannotCopy(int error)
{
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL;
}

} // namespace

CopiedBytes copyBytes(int from, int to, qint64 limit, const std::function<bool(qint64)>& chunkDone)
{
    CopiedBytes result;
    bool kernel = true;
    std::vector<char> buffer;
    for (;;) {
        const qint64 wanted = limit < 0 ? kChunk : std::min(kChunk, limit - result.copied);
        if (wanted <= 0)
            return result;
        ssize_t n = -1;
        if (kernel) {
            n = ::copy_file_range(from, nullptr, to, nullptr, size_t(wanted), 0);
            if (n < 0 && result.copied == 0 && kernelCannotCopy(errno)) {
                kernel = false;
                continue;
            }
        } else {
            buffer.resize(size_t(kChunk));
            n = ::read(from, buffer.data(), size_t(wanted));
            if (n > 0)
                if (const int error = writeAll(to, QByteArrayView(buffer.data(), n))) {
                    result.error = error;
                    return result;
                }
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.error = errno;
            return result;
        }
        if (n == 0)
            return result;
        result.copied += n;
        if (chunkDone && !chunkDone(result.copied))
            return result;
    }
}

bool isCopyTemporary(QByteArrayView name)
{
    return name.size() == kTemporaryPrefixLength + 6 && name.startsWith(kTemporaryPrefix);
}

int removeCopyLeftovers(int folder)
{
    FileDescriptor dir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* d = dir.isOpen() ? ::fdopendir(dir.get()) : nullptr;
    if (!d)
        return 0;
    dir.release(); // closedir closes it
    int removed = 0;
    while (const dirent* e = ::readdir(d)) {
        if (!isCopyTemporary(e->d_name))
            continue;
        const FileDescriptor file(::openat(::dirfd(d), e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        // The lock is free once its copy ended: killed, or renamed to its final name.
        if (!file.isOpen() || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        struct stat held {};
        struct stat named {};
        // Still the file we locked, not the final file of a copy that just ended.
        if (::fstat(file.get(), &held) == 0 && S_ISREG(held.st_mode)
            && ::fstatat(::dirfd(d), e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev
            && named.st_ino == held.st_ino && ::unlinkat(::dirfd(d), e->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(d);
    return removed;
}

quint32 CopyCallBack(
    qint64 TotalFileSize, qint64 TotalBytesTransferred, qint64, qint64, quint32, quint32, int, int, void* ProgressBar)
{
    // The + 1 keeps clear of a division by zero and below 100 until the end.
    const qint64 position = TotalBytesTransferred * 100 / (TotalFileSize + 1);
    if (auto* progress = static_cast<CopyProgress*>(ProgressBar)) {
        progress->setPosition(static_cast<int>(position));
        progress->processEvents();
    }
    return PROGRESS_CONTINUE;
}

CopyOutcome copyFileChunked(int sourceFolder, const QByteArray& sourceName, int destinationFolder,
    const QByteArray& destinationName, const std::atomic<bool>& stop, CopyProgress* progress)
{
    // Non-blocking, so that a named pipe met in a listing cannot hang the copy.
    const FileDescriptor in(
        ::openat(sourceFolder, sourceName.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!in.isOpen())
        return failed(errno == ELOOP ? QStringLiteral("c'est un lien symbolique") : systemReason(errno));
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        return failed(systemReason(errno));
    if (!S_ISREG(st.st_mode))
        return failed(QStringLiteral("ce n'est pas un fichier ordinaire"));
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

    // Copying a file onto itself leaves it as it is; a link in the backup is
    // the user's and stays.
    struct stat existing {};
    if (::fstatat(destinationFolder, destinationName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino)
            return {CopyOutcome::Copied, {}};
        if (S_ISLNK(existing.st_mode))
            return failed(QStringLiteral("la destination est un lien symbolique"));
    }

    QByteArray temporary;
    FileDescriptor temp;
    for (int attempt = 0; attempt < 100 && !temp.isOpen(); ++attempt) {
        temporary = kTemporaryPrefix + randomSuffix();
        temp.reset(::openat(
            destinationFolder, temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!temp.isOpen() && errno != EEXIST)
            break;
    }
    if (!temp.isOpen())
        return failed(systemReason(errno));
    // The temporary goes on every way out but the rename.
    auto removeTemporary =
        qScopeGuard([&temporary, destinationFolder] { ::unlinkat(destinationFolder, temporary.constData(), 0); });
    // Held until the file has its final name: a lock that is free marks the
    // leftover of a killed copy.
    ::flock(temp.get(), LOCK_EX);

    const qint64 total = st.st_size;
    CopyCallBack(total, 0, total, 0, 1, CALLBACK_STREAM_SWITCH, in.get(), temp.get(), progress);
    if (stop)
        return {CopyOutcome::Stopped, {}};
    const CopiedBytes copied = copyBytes(in.get(), temp.get(), -1, [&](qint64 done) {
        CopyCallBack(std::max(total, done), done, std::max(total, done), done, 1, CALLBACK_CHUNK_FINISHED, in.get(),
            temp.get(), progress);
        return !stop;
    });
    if (copied.error)
        return failed(systemReason(copied.error));
    if (stop)
        return {CopyOutcome::Stopped, {}};

    // A backup keeps the permissions and the times of its source.
    ::fchmod(temp.get(), st.st_mode & 07777);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(temp.get(), times);
    if (::fdatasync(temp.get()) != 0)
        return failed(systemReason(errno));
    if (::renameat(destinationFolder, temporary.constData(), destinationFolder, destinationName.constData()) != 0)
        return failed(systemReason(errno));
    removeTemporary.dismiss();
    // The data reached the disk with fdatasync; closing releases the lock.
    if (temp.close() != 0)
        return failed(systemReason(errno));
    return {CopyOutcome::Copied, {}};
}

} // namespace filmarch
