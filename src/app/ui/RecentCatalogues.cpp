#include "app/ui/RecentCatalogues.h"

#include "app/Settings.h"
#include "platform/Error.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace filmarch {

namespace {
const QString kSection = QStringLiteral("Recents");
QString keyOf(int i)
{
    return QStringLiteral("Catalogue%1").arg(i + 1);
}
} // namespace

RecentCatalogues::RecentCatalogues(QMenu* menu, QString iniPath, std::function<void(const QString&)> open)
    : QObject(menu), menu(menu), iniPath(std::move(iniPath)), open(std::move(open))
{
    rebuild();
}

void RecentCatalogues::load(const IniFile& ini)
{
    list.clear();
    for (int i = 0; i < kept; ++i) {
        const QString path = ini.value(kSection, keyOf(i)).value_or(QString());
        if (!path.isEmpty() && !list.contains(path))
            list << path;
    }
    rebuild();
}

void RecentCatalogues::add(const QString& path)
{
    if (path.isEmpty())
        return;
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kept)
        list.removeLast();
    rebuild();
    try {
        updateIniFile(iniPath, [this](IniFile& ini) {
            for (int i = 0; i < kept; ++i)
                ini.setValue(kSection, keyOf(i), list.value(i));
        });
    } catch (const Error&) {
        // The settings file is said to be unwritable when the options are
        // saved; the list still serves this session.
    }
}

void RecentCatalogues::rebuild()
{
    menu->clear();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString path = list[i];
        // "&" in a file name would be taken for a mnemonic.
        QAction* entry = menu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&"))));
        entry->setEnabled(QFileInfo::exists(path));
        connect(entry, &QAction::triggered, this, [this, path] { open(path); });
    }
    if (list.isEmpty())
        menu->addAction(QStringLiteral("(aucun)"))->setEnabled(false);
}

} // namespace filmarch
