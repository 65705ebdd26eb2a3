#include "platform/ReadableName.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch {

namespace {
constexpr char kPrefix[] = "filmarch-noms-";
}

ReadableName::ReadableName(const QString& shown, const QByteArray& native)
{
    if (native.isEmpty() || QFile::encodeName(shown) == native)
        return;
    folder = std::make_shared<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') + QLatin1String(kPrefix)
        + QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    if (!folder->isValid())
        throw Error(folder->errorString());
    // The name as shown keeps the title and the extension that the library
    // and the tools read from it; only where it has grown too long is it cut.
    QString name = shown.mid(shown.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QString();
    QString base = name.left(name.size() - extension.size());
    while (!base.isEmpty() && QFile::encodeName(base + extension).size() > NAME_MAX)
        base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
    linkPath = folder->filePath(base + extension);
    QByteArray target = native;
    if (!target.startsWith('/')) {
        char here[PATH_MAX];
        if (!::getcwd(here, sizeof here))
            throw Error(QStringLiteral("dossier courant introuvable"));
        target = QByteArray(here) + '/' + target;
    }
    if (::symlink(target.constData(), QFile::encodeName(linkPath).constData()) != 0)
        throw Error(QStringLiteral("lien vers le fichier impossible"));
}

int removeOrphanedNameFolders()
{
    const QByteArray temp = QFile::encodeName(QDir::tempPath());
    DIR* d = ::opendir(temp.constData());
    if (!d)
        return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (!name.startsWith(kPrefix))
            continue;
        bool number = false;
        const pid_t owner = pid_t(name.mid(sizeof(kPrefix) - 1).split('-').value(0).toInt(&number));
        struct stat st {};
        // Only this user's own folders (not a link someone put there), and
        // only when their process is gone.
        if (!number || owner <= 0 || ::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || ::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        // The links inside are removed, never what they lead to.
        std::error_code error;
        if (std::filesystem::remove_all(std::filesystem::path(std::string(temp.constData())) / e->d_name, error)
            != static_cast<std::uintmax_t>(-1))
            ++removed;
    }
    ::closedir(d);
    return removed;
}

} // namespace filmarch
