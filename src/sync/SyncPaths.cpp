#include "sync/SyncPaths.h"

#include "platform/Error.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace filmarch {

namespace {
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// The folder and each folder above it, up to the root of the system.
std::vector<FolderId> folderAndAncestors(const QByteArray& folder)
{
    std::vector<FolderId> chain;
    FileDescriptor fd = openFolder(folder);
    while (fd.isOpen()) {
        const FolderId id = folderId(fd.get());
        if (id == FolderId {} || (!chain.empty() && chain.back() == id))
            break; // the root is its own parent
        chain.push_back(id);
        fd = FileDescriptor(::openat(fd.get(), "..", kFolderFlags));
    }
    return chain;
}

bool contains(const std::vector<FolderId>& chain, const FolderId& id)
{
    return std::find(chain.begin(), chain.end(), id) != chain.end();
}
} // namespace

FolderId folderId(int fd)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return {st.st_dev, st.st_ino};
}

QByteArray copyDestination(const SyncEntry& entry, bool keepTree)
{
    return keepTree ? entry.relativeFolder() + entry.nativeName : entry.nativeName;
}

FileDescriptor openFolder(const QByteArray& folder)
{
    return FileDescriptor(::open(folder.constData(), kFolderFlags));
}

Nesting folderNesting(const QByteArray& reference, const QByteArray& backup)
{
    const std::vector<FolderId> referenceChain = folderAndAncestors(reference);
    const std::vector<FolderId> backupChain = folderAndAncestors(backup);
    if (referenceChain.empty() || backupChain.empty())
        return Nesting::Apart;
    if (referenceChain.front() == backupChain.front())
        return Nesting::Same;
    if (contains(backupChain, referenceChain.front()))
        return Nesting::BackupInReference;
    return contains(referenceChain, backupChain.front()) ? Nesting::ReferenceInBackup : Nesting::Apart;
}

FileDescriptor openBelow(int root, const QByteArray& relative, bool create, QString& failure, bool* throughLink)
{
    FileDescriptor fd(::fcntl(root, F_DUPFD_CLOEXEC, 0));
    if (!fd.isOpen()) {
        failure = systemReason(errno);
        return fd;
    }
    for (const QByteArray& level : relative.split('/')) {
        if (level.isEmpty())
            continue;
        const int flags = kFolderFlags | O_NOFOLLOW;
        int next = ::openat(fd.get(), level.constData(), flags);
        if (next < 0 && errno == ENOENT && create
            && (::mkdirat(fd.get(), level.constData(), 0777) == 0 || errno == EEXIST))
            next = ::openat(fd.get(), level.constData(), flags);
        if (next < 0) {
            const int error = errno;
            struct stat st {};
            const bool link =
                ::fstatat(fd.get(), level.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
            if (throughLink)
                *throughLink = link;
            failure = link ? QStringLiteral("le chemin de la destination passe par un lien symbolique (%1)")
                                 .arg(QFile::decodeName(level))
                           : systemReason(error);
            return {};
        }
        fd.reset(next);
    }
    return fd;
}

QString deleteEntry(int root, const SyncEntry& entry)
{
    QString failure;
    bool link = false;
    const FileDescriptor folder = openBelow(root, entry.relativeFolder(), false, failure, &link);
    if (!folder.isOpen())
        return link ? QStringLiteral("le fichier n'est pas dans le répertoire de sauvegarde") : failure;
    const QByteArray name = entry.nativeName;
    struct stat st {};
    if (::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return systemReason(errno);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("c'est un dossier");
    if (::unlinkat(folder.get(), name.constData(), 0) != 0)
        return systemReason(errno);
    return {};
}

} // namespace filmarch
