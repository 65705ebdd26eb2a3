#include "app/Startup.h"

#include "core/AppPaths.h"
#include "core/Options.h"
#include "core/UserDialogs.h"
#include "media/MediaInfoDll.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <cstring>

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

QString versionText(const QString& program)
{
    return program
        + QStringLiteral(" " FILMARCH_VERSION "\n"
                         "Copyright © 2026 The Filmarch developers\n"
                         "Licence GPLv3+ : GNU GPL version 3 ou ultérieure "
                         "<https://gnu.org/licenses/gpl.html>\n"
                         "Ceci est un logiciel libre : vous êtes libre de le modifier et de le "
                         "redistribuer.\n"
                         "Aucune GARANTIE n'est fournie, dans les limites permises par la loi.\n");
}

void speakFrench(QCoreApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto* qtFrench = new QTranslator(&app);
    if (qtFrench->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtFrench);
    else
        delete qtFrench;
    // Only the messages: numbers, character set and sorting stay the user's.
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (messages && std::strncmp(messages, "fr", 2) == 0)
        return;
    for (const char* french : {"fr_FR.UTF-8", "fr_FR.utf8", "fr_BE.UTF-8", "fr_CA.UTF-8", "fr_CH.UTF-8"})
        if (std::setlocale(LC_MESSAGES, french))
            return;
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
