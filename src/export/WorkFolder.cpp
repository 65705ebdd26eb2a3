#include "export/WorkFolder.h"

#include "export/ExportFiles.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace filmarch {
namespace {

QString prefix(const QString& destination, const QString& kind)
{
    const QFileInfo info(destination);
    return QLatin1Char('.') + info.fileName() + QLatin1Char('.') + kind + QLatin1Char('-');
}

int openFolder(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Network and user-space file systems may take a flush of the whole system
// as a flush of the local cache alone: their files are synced one by one.
bool syncedAsAWhole(__fsword_t type)
{
    constexpr __fsword_t fuse = 0x65735546, nfs = 0x6969, smb = 0x517B, cifs = 0xFF534D42, smb2 = 0xFE534D42,
                         plan9 = 0x01021997, ceph = 0x00C36400, afs = 0x5346414F;
    for (const __fsword_t other : {fuse, nfs, smb, cifs, smb2, plan9, ceph, afs})
        if (type == other)
            return false;
    return true;
}

} // namespace

void removeTree(const QString& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(path).toStdString(), ignored);
}

WorkFolder::WorkFolder(const QString& destination, const char* kind)
{
    const QFileInfo info(destination);
    folder = info.absolutePath() + QLatin1Char('/') + prefix(destination, QString::fromLatin1(kind))
        + QString::number(QRandomGenerator::global()->generate64(), 36);
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0)
        throw Error(QStringLiteral("impossible de créer le dossier %1 : %2").arg(folder, diskReason(errno)));
    // The lock lasts as long as this process: a kill leaves the folder unlocked.
    lock.reset(openFolder(folder));
    if (!lock.isOpen() || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        removeTree(folder);
        throw Error(QStringLiteral("impossible de créer le dossier %1 : %2").arg(folder, diskReason(error)));
    }
}

void WorkFolder::syncAll(const QStringList& files) const
{
    struct statfs system {};
    if (::fstatfs(lock.get(), &system) == 0 && !syncedAsAWhole(system.f_type)) {
        for (const QString& name : files)
            syncPath(QDir(folder).filePath(name));
        return;
    }
    // The descriptor was opened when the folder was made: the file system
    // reports to it every failed writing since.
    if (::syncfs(lock.get()) != 0)
        throw Error(QStringLiteral("écriture impossible : %1 (%2)").arg(folder, diskReason(errno)));
}

WorkFolder::~WorkFolder()
{
    if (!released)
        removeTree(folder);
}

QStringList deadWorkFolders(const QString& destination, const QStringList& kinds)
{
    const QFileInfo info(destination);
    const QDir parent(info.absolutePath());
    QStringList dead;
    const QStringList names = parent.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& name : names) {
        const bool ours = std::any_of(kinds.begin(), kinds.end(),
            [&](const QString& kind) { return name.startsWith(prefix(destination, kind)); });
        if (!ours)
            continue;
        const QString path = parent.filePath(name);
        const FileDescriptor folder(openFolder(path));
        // A folder still locked belongs to an export at work.
        if (folder.isOpen() && ::flock(folder.get(), LOCK_EX | LOCK_NB) == 0)
            dead << path;
    }
    return dead;
}

QStringList oldTemporaryFiles(const QString& destination)
{
    const QFileInfo info(destination);
    const QDir parent(info.absolutePath());
    const QString start = QLatin1Char('.') + info.fileName() + QStringLiteral(".filmarch-tmp-");
    QStringList old;
    const QStringList names = parent.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names)
        if (name.size() == start.size() + 6 && name.startsWith(start))
            old << parent.filePath(name);
    return old;
}

} // namespace filmarch
