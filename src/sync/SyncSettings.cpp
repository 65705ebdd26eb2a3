#include "sync/SyncSettings.h"

#include "core/Options.h"
#include "platform/IniFile.h"

namespace filmarch {

namespace {
const QString kSection = QStringLiteral("Synchro");
const QString kRef = QStringLiteral("DernierRepRef");
const QString kSauv = QStringLiteral("DernierRepSauv");
} // namespace

SyncFolders readSyncFolders(const QString& appDir)
{
    const IniFile ini = IniFile::load(optionsIniPath(appDir));
    return {ini.value(kSection, kRef).value_or(QString()), ini.value(kSection, kSauv).value_or(QString())};
}

void writeSyncFolders(const QString& appDir, const SyncFolders& folders)
{
    updateIniFile(optionsIniPath(appDir), [&](IniFile& ini) {
        ini.setValue(kSection, kRef, folders.DernierRepRef);
        ini.setValue(kSection, kSauv, folders.DernierRepSauv);
    });
}

} // namespace filmarch
