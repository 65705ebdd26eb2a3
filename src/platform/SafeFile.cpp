#include "platform/SafeFile.h"

#include "platform/Error.h"
#include "platform/FileCopy.h"
#include "platform/FileDescriptor.h"
#include "platform/WriteAll.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch {

namespace {

QByteArray folderOf(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
}

// ".<name>.filmarch-tmp-XXXXXX" beside the target: hidden, unique to its save,
// and recognised by the next run on that catalogue when a kill left it.
QByteArray temporaryTemplate(const QByteArray& target)
{
    return besideName(target, ".", ".filmarch-tmp-XXXXXX");
}

qsizetype longestName(const QByteArray& folder)
{
    const long max = ::pathconf(folder.constData(), _PC_NAME_MAX);
    return max > 0 ? qsizetype(max) : qsizetype(NAME_MAX);
}

void writeBytes(int fd, QByteArrayView bytes)
{
    if (const int error = writeAll(fd, bytes))
        throw Error(systemReason(error));
}

// What a save writes: `size` bytes, written by `write` into a file descriptor.
struct Content {
    qint64 size;
    std::function<void(int)> write;
};

// Copies the first `size` bytes of `from` into `fd`.
void copyAll(int fd, const QByteArray& from, qint64 size)
{
    const FileDescriptor file(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (!file.isOpen())
        throw Error(systemReason(errno));
    const CopiedBytes copied = copyBytes(file.get(), fd, size);
    if (copied.error)
        throw Error(systemReason(copied.error));
    if (copied.copied < size)
        throw Error(QStringLiteral("le fichier copié a raccourci"));
}

// Writes over the file itself, where no file can be made beside it. The room
// is taken first, so that a full disk is found before anything is overwritten.
void rewriteInPlace(const QByteArray& target, const Content& content, off_t oldSize, bool ownerOnly)
{
    const FileDescriptor file(::open(target.constData(), O_WRONLY | O_CLOEXEC));
    if (!file.isOpen())
        throw Error(systemReason(errno));
    const int fd = file.get();
    if (ownerOnly && ::fchmod(fd, S_IRUSR | S_IWUSR) != 0)
        throw Error(systemReason(errno));
    if (content.size > oldSize && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, content.size) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS)
        throw Error(systemReason(errno));
    content.write(fd);
    if (::ftruncate(fd, content.size) != 0 || ::fdatasync(fd) != 0)
        throw Error(systemReason(errno));
}

} // namespace

QByteArray besideName(const QByteArray& target, const QByteArray& prefix, const QByteArray& suffix)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray name = target.mid(slash + 1);
    const qsizetype room = longestName(folderOf(target));
    if (prefix.size() + name.size() + suffix.size() <= room)
        return target.left(slash + 1) + prefix + name + suffix;
    const QByteArray digest = '~' + QCryptographicHash::hash(name, QCryptographicHash::Sha256).toHex().left(16);
    qsizetype keep = std::max<qsizetype>(0, room - prefix.size() - digest.size() - suffix.size());
    // Cut between characters, so that the name stays readable text.
    while (keep > 0 && (uchar(name[keep]) & 0xC0) == 0x80)
        --keep;
    return target.left(slash + 1) + prefix + name.left(keep) + digest + suffix;
}

QString backupFileName(const QString& path)
{
    return QFile::decodeName(besideName(QFile::encodeName(path), {}, ".bak"));
}

QByteArray resolvedFileName(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return QFile::encodeName(path);
    const QString real = info.canonicalFilePath();
    return QFile::encodeName(real.isEmpty() ? info.symLinkTarget() : real);
}

QString cannotReplaceReason(const QString& path)
{
    const QByteArray target = resolvedFileName(path);
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            return QStringLiteral("%1 n'est pas un fichier").arg(QDir::toNativeSeparators(path));
        if (!(existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            return QStringLiteral("le fichier %1 est en lecture seule").arg(QDir::toNativeSeparators(path));
        if (::access(target.constData(), W_OK) != 0)
            return systemReason(errno);
        return {};
    }
    if (errno != ENOENT)
        return systemReason(errno);
    if (::access(folderOf(target).constData(), W_OK | X_OK) != 0)
        return systemReason(errno);
    return {};
}

namespace {
void replaceWith(const QString& path, const Content& content, bool ownerOnly = false)
{
    const QByteArray target = resolvedFileName(path);
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
    if (ownerOnly)
        permissions = S_IRUSR | S_IWUSR;

    QByteArray temporary = temporaryTemplate(target);
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.isOpen()) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM || error == EROFS))
            return rewriteInPlace(target, content, existing.st_size, ownerOnly);
        throw Error(systemReason(error));
    }
    // The temporary goes on every way out but the rename.
    auto removeTemporary = qScopeGuard([&temporary] { ::unlink(temporary.constData()); });
    if (exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()))
        if (::fchown(file.get(), existing.st_uid, existing.st_gid) != 0) {
            // The owner is kept where the system allows it.
        }
    ::fchmod(file.get(), permissions);
    content.write(file.get());
    if (::fdatasync(file.get()) != 0)
        throw Error(systemReason(errno));
    if (file.close() != 0)
        throw Error(systemReason(errno));
    if (::rename(temporary.constData(), target.constData()) != 0)
        throw Error(systemReason(errno));
    removeTemporary.dismiss();
}
} // namespace

void replaceFile(const QString& path, const QByteArray& bytes, bool ownerOnly)
{
    replaceWith(path, {bytes.size(), [&bytes](int fd) { writeBytes(fd, bytes); }}, ownerOnly);
}

void copyFile(const QString& from, const QString& to, qint64 size)
{
    const QByteArray source = resolvedFileName(from);
    replaceWith(to, {size, [&source, size](int fd) { copyAll(fd, source, size); }});
}

QStringList leftoverTemporaries(const QString& path)
{
    const QByteArray target = resolvedFileName(path);
    const QFileInfo info(QFile::decodeName(target));
    const QString name = info.fileName();
    const QDir folder = info.absoluteDir();
    // What saves of the catalogue and of its backup name their temporaries.
    QStringList prefixes;
    for (const QByteArray& base : {target, besideName(target, {}, ".bak")}) {
        const QByteArray temporary = temporaryTemplate(base);
        prefixes << QFile::decodeName(temporary.mid(temporary.lastIndexOf('/') + 1).chopped(6));
    }
    QStringList found;
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        bool ours = entry.startsWith(prefixes[0]) || entry.startsWith(prefixes[1]);
        for (const QString& base : {name, name + QStringLiteral(".bak")}) {
            ours = ours
                || entry == QLatin1Char('.') + base + QStringLiteral(".filmarch-prec")
                // earlier versions of the program named them "<name>.tmp-XXXXXX"
                || (entry.size() == base.size() + 11 && entry.startsWith(base + QStringLiteral(".tmp-")));
        }
        if (ours)
            found << folder.filePath(entry);
    }
    return found;
}

} // namespace filmarch
