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

void writeSyncedFile(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const FileDescriptor file(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    const auto fail = [&](int error) {
        throw Error(QStringLiteral("écriture impossible : %1 (%2)").arg(path, diskReason(error)));
    };
    if (!file.isOpen())
        fail(errno);
    if (const int error = writeAll(file.get(), bytes))
        fail(error);
    // A disk that fills up may say so only when the data goes to it.
    if (::fdatasync(file.get()) != 0 && errno != EINVAL && errno != EROFS)
        fail(errno);
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
