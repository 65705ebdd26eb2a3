#include "sync/SyncSettings.h"

#include "core/AppPaths.h"
#include "platform/IniFile.h"

namespace filmarch {

namespace {
const QString kSection = QStringLiteral("Synchro");
const QString kRef = QStringLiteral("DernierRepRef");
const QString kSauv = QStringLiteral("DernierRepSauv");
} // namespace

SyncFolders readSyncFolders(const AppPaths& paths)
{
    const IniFile ini = IniFile::load(paths.optionsIni());
    return {ini.value(kSection, kRef).value_or(QString()), ini.value(kSection, kSauv).value_or(QString())};
}

void writeSyncFolders(const AppPaths& paths, const SyncFolders& folders)
{
    updateIniFile(paths.optionsIni(), [&](IniFile& ini) {
        ini.setValue(kSection, kRef, folders.DernierRepRef);
        ini.setValue(kSection, kSauv, folders.DernierRepSauv);
    });
}

} // namespace filmarch
