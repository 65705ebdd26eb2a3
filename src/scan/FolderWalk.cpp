#include "scan/FolderWalk.h"

#include "media/DiscFolder.h"

#include <QFile>

#include <filesystem>
#include <sys/stat.h>

namespace filmarch {

namespace fs = std::filesystem;

void FolderWalk::run(const QString& root)
{
    visited.clear();
    walk(root, QFile::encodeName(root));
}

void FolderWalk::problem(const QString& message)
{
    if (onProblem)
        onProblem(message);
}

void FolderWalk::unreadable(const QString& folder)
{
    if (onUnreadable)
        onUnreadable(folder);
    problem(QStringLiteral("Dossier non traité par le scan, il ne peut pas être lu : ") + folder);
}

bool FolderWalk::walk(const QString& folder, const QByteArray& nativeFolder)
{
    QString dir = folder;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    QByteArray native = nativeFolder;
    if (!native.endsWith('/'))
        native += '/';
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        unreadable(folder);
        return true;
    }
    if (!visited.insert({st.st_dev, st.st_ino}).second) {
        problem(QStringLiteral("Dossier non traité par le scan, il a déjà été parcouru (lien) : ") + folder);
        return true;
    }
    // A DVD or Blu-ray folder is one film, whatever it holds.
    if (isDiscFolder(folder)) {
        onFile(folder, nativeFolder);
        return true;
    }
    // Every entry, hidden ones included; names are read from the system
    // directly, so that a name that is not valid text still reaches the
    // processing (and its log line) instead of being dropped.
    std::error_code error;
    fs::directory_iterator it(fs::path(native.toStdString()), error);
    if (error) {
        unreadable(folder);
        return true;
    }
    for (; it != fs::directory_iterator(); it.increment(error)) {
        const QByteArray nativeName = QByteArray::fromStdString(it->path().filename().native());
        const QString name = QFile::decodeName(nativeName);
        std::error_code statError;
        if (it->is_directory(statError)) {
            if (subFolders) {
                if (!walk(dir + name, native + nativeName))
                    return false;
            } else if (isDiscFolder(dir + name)) {
                onFile(dir + name, native + nativeName);
            }
        } else {
            // A broken link or a file that cannot be examined goes to the
            // processing too, which logs it.
            onFile(dir + name, native + nativeName);
        }
        if (stop && stop())
            return false;
        if (error)
            break;
    }
    if (error)
        unreadable(folder);
    return true;
}

} // namespace filmarch
