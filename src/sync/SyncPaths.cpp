#include "sync/SyncPaths.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
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

QString deleteEntry(const SyncEntry& entry, const QString& root)
{
    if (!isInsideFolder(entry.nativeFolder, QFile::encodeName(root)))
        return QStringLiteral("le fichier n'est pas dans le répertoire de sauvegarde");
    const QByteArray path = entry.nativePath();
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("c'est un dossier");
    if (::unlink(path.constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

} // namespace filmarch
