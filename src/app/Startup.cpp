#include "app/Startup.h"

#include "core/UserDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace filmarch {

QString logFolderPath(const QString& appDir)
{
    return QDir(appDir).filePath(QStringLiteral("Logs_Filmarch"));
}

QString mediaInfoLibraryPath(const QString& appDir)
{
    return QDir(appDir).filePath(QStringLiteral("libmediainfo.so.0"));
}

QString missingMediaInfoMessage()
{
    return QStringLiteral("La dll médiainfo n'est pas présente dans le répertoire de l'application. "
                          "Le programme va s'arrêter");
}

bool prepareStart(const QString& appDir, UserDialogs& dialogs)
{
    const QString logs = logFolderPath(appDir);
    if (!QFileInfo(logs).isDir() && !QDir().mkpath(logs))
        dialogs.showError(QStringLiteral("Impossible de créer le dossier des journaux %1.\n"
                                         "Le journal ne sera affiché que dans la page Log.")
                              .arg(QDir::toNativeSeparators(logs)));

    // exists() follows the link that the build places there: a dangling link counts as missing.
    if (!QFileInfo::exists(mediaInfoLibraryPath(appDir))) {
        dialogs.showMessage(missingMediaInfoMessage());
        return false;
    }
    QCoreApplication::setApplicationName(QStringLiteral("Filmarch"));
    return true;
}

} // namespace filmarch
