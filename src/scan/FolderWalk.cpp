#include "scan/FolderWalk.h"

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
        problem(QStringLiteral("Dossier non traité par le scan, il ne peut pas être lu : ") + folder);
        return true;
    }
    if (!visited.insert({st.st_dev, st.st_ino}).second) {
        problem(QStringLiteral("Dossier non traité par le scan, il a déjà été parcouru (lien) : ") + folder);
        return true;
    }
    // Every entry, hidden ones included; names are read from the system
    // directly, so that a name that is not valid text still reaches the
    // processing (and its log line) instead of being dropped.
    std::error_code error;
    fs::directory_iterator it(fs::path(native.toStdString()), error);
    if (error) {
        problem(QStringLiteral("Dossier non traité par le scan, il ne peut pas être lu : ") + folder);
        return true;
    }
    for (; it != fs::directory_iterator(); it.increment(error)) {
        const QByteArray nativeName = QByteArray::fromStdString(it->path().filename().native());
        const QString name = QFile::decodeName(nativeName);
        std::error_code statError;
        if (it->is_directory(statError)) {
            if (subFolders && !walk(dir + name, native + nativeName))
                return false;
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
        problem(QStringLiteral("Dossier non traité par le scan, il ne peut pas être lu : ") + folder);
    return true;
}

} // namespace filmarch
