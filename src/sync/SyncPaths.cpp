#include "sync/SyncPaths.h"

#include "platform/Error.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch {

namespace {
QByteArray withSlash(QByteArray folder)
{
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QByteArray realFolder(const QByteArray& folder)
{
    char resolved[PATH_MAX];
    return ::realpath(folder.constData(), resolved) ? withSlash(QByteArray(resolved)) : QByteArray();
}
} // namespace

QByteArray copyDestination(const SyncEntry& entry, const QString& sauvegarde, bool keepTree)
{
    const QByteArray base = withSlash(QFile::encodeName(sauvegarde));
    return keepTree ? base + entry.relativeFolder() + entry.nativeName : base + entry.nativeName;
}

bool isInsideFolder(const QByteArray& folder, const QByteArray& root)
{
    const QByteArray realRoot = realFolder(root);
    const QByteArray real = realFolder(folder);
    return !realRoot.isEmpty() && !real.isEmpty() && real.startsWith(realRoot);
}

Nesting folderNesting(const QByteArray& reference, const QByteArray& backup)
{
    const QByteArray realReference = realFolder(reference);
    const QByteArray realBackup = realFolder(backup);
    if (realReference.isEmpty() || realBackup.isEmpty())
        return Nesting::Apart;
    if (realReference == realBackup)
        return Nesting::Same;
    if (realBackup.startsWith(realReference))
        return Nesting::BackupInReference;
    return realReference.startsWith(realBackup) ? Nesting::ReferenceInBackup : Nesting::Apart;
}

QString makeBackupFolder(const QByteArray& root, const QByteArray& relative)
{
    int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return systemReason(errno);
    QString failure;
    for (const QByteArray& level : relative.split('/')) {
        if (level.isEmpty())
            continue;
        const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        int next = ::openat(fd, level.constData(), flags);
        if (next < 0 && errno == ENOENT && (::mkdirat(fd, level.constData(), 0777) == 0 || errno == EEXIST))
            next = ::openat(fd, level.constData(), flags);
        if (next < 0) {
            const int error = errno;
            struct stat st {};
            const bool link = ::fstatat(fd, level.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
            failure = link ? QStringLiteral("le chemin de la destination passe par un lien symbolique (%1)")
                                 .arg(QFile::decodeName(level))
                           : systemReason(error);
            break;
        }
        ::close(fd);
        fd = next;
    }
    ::close(fd);
    return failure;
}

QString deleteEntry(const SyncEntry& entry, const QString& root)
{
    if (!isInsideFolder(entry.nativeFolder, QFile::encodeName(root)))
        return QStringLiteral("le fichier n'est pas dans le répertoire de sauvegarde");
    const QByteArray path = entry.nativePath();
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return systemReason(errno);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("c'est un dossier");
    if (::unlink(path.constData()) != 0)
        return systemReason(errno);
    return {};
}

} // namespace filmarch
