#pragma once
// "Fichier › Catalogues récents": the last catalogues completed or created,
// newest first, kept in options.ini (section Recents) from one session to
// the next.
#include <QObject>
#include <QStringList>

#include <functional>

class QMenu;

namespace filmarch {

class IniFile;

class RecentCatalogues : public QObject {
public:
    static constexpr int kept = 5;

    // `open` is called with the path of the entry chosen.
    RecentCatalogues(QMenu* menu, QString iniPath, std::function<void(const QString&)> open);

    void load(const IniFile& ini);
    // Puts `path` first and saves the list at once.
    void add(const QString& path);
    const QStringList& paths() const { return list; }

private:
    void rebuild();

    QMenu* menu;
    QString iniPath;
    std::function<void(const QString&)> open;
    QStringList list;
};

} // namespace filmarch
