#include "app/Startup.h"

#include "core/AppPaths.h"
#include "core/Options.h"
#include "core/UserDialogs.h"
#include "media/MediaInfoDll.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace filmarch {

bool makeFolders(const AppPaths& paths)
{
    // A settings folder that cannot be made shows when the settings are saved.
    QDir().mkpath(paths.settingsDir());
    const QString logs = paths.logFolder();
    return QFileInfo(logs).isDir() || QDir().mkpath(logs);
}

bool mediaInfoPresent(const AppPaths& paths)
{
    return mediaInfoLoadable(paths.mediaInfoLibrary());
}

void useDefaultFolders(const AppPaths& paths)
{
    setDefaultRepAffiche(paths.posterDir());
}

QString missingMediaInfoMessage()
{
    return QStringLiteral("La dll médiainfo n'est pas présente dans le répertoire de l'application. "
                          "Le programme va s'arrêter");
}

bool prepareStart(const AppPaths& paths, UserDialogs& dialogs)
{
    useDefaultFolders(paths);
    if (!makeFolders(paths))
        dialogs.showError(QStringLiteral("Impossible de créer le dossier des journaux %1.\n"
                                         "Le journal ne sera affiché que dans la page Log.")
                              .arg(QDir::toNativeSeparators(paths.logFolder())));

    if (!mediaInfoPresent(paths)) {
        dialogs.showMessage(missingMediaInfoMessage());
        return false;
    }
    QCoreApplication::setApplicationName(QStringLiteral("Filmarch"));
    return true;
}

} // namespace filmarch
