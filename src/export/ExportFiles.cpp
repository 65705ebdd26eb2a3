#include "export/ExportFiles.h"

#include "platform/Error.h"
#include "platform/FileDescriptor.h"
#include "platform/WriteAll.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace filmarch {

QString diskReason(int error)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("le disque est plein");
    case EDQUOT: return QStringLiteral("le quota de place sur le disque est atteint");
    case EROFS: return QStringLiteral("le disque est en lecture seule");
    case EACCES:
    case EPERM: return QStringLiteral("permission refusée");
    case EIO: return QStringLiteral("erreur de lecture ou d'écriture sur le disque");
    case ENAMETOOLONG: return QStringLiteral("nom trop long");
    default: return systemReason(error);
    }
}

namespace {

[[noreturn]] void writeFailed(const QString& path, int error)
{
    throw Error(QStringLiteral("écriture impossible : %1 (%2)").arg(path, diskReason(error)));
}

// A disk that fills up may say so only when the data goes to it.
void syncData(int file, const QString& path)
{
    if (::fdatasync(file) != 0 && errno != EINVAL && errno != EROFS)
        writeFailed(path, errno);
}

FileDescriptor newFile(const QString& path, const QByteArray& bytes)
{
    FileDescriptor file(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file.isOpen())
        writeFailed(path, errno);
    if (const int error = writeAll(file.get(), bytes))
        writeFailed(path, error);
    return file;
}

} // namespace

void writeSyncedFile(const QString& path, const QByteArray& bytes)
{
    const FileDescriptor file = newFile(path, bytes);
    syncData(file.get(), path);
}

void writeUnsyncedFile(const QString& path, const QByteArray& bytes)
{
    // The disk starts on it now, without this thread waiting: by the time
    // the folder is synced, most of it is there.
    const FileDescriptor file = newFile(path, bytes);
    ::sync_file_range(file.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

void syncPath(const QString& path)
{
    const FileDescriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (!file.isOpen() || (::fsync(file.get()) != 0 && errno != EINVAL))
        throw Error(QStringLiteral("écriture impossible : %1 (%2)").arg(path, diskReason(errno)));
}

QString cleanDestination(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace filmarch
