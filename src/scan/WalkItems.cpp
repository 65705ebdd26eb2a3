#include "scan/WalkItems.h"

#include "scan/FolderWalk.h"
#include "scan/PartGroups.h"

#include <QFile>

#include <algorithm>

namespace filmarch {

std::vector<WalkItem> walkFolder(const QString& folder, bool subFolders, const std::function<bool()>& stop, int& files)
{
    std::vector<WalkItem> items;
    FolderWalk walk;
    walk.subFolders = subFolders;
    walk.stop = stop;
    walk.onFile = [&](const QString& path, const QByteArray& nativePath) {
        ++files;
        items.push_back({path, nativePath, false, {}});
    };
    walk.onProblem = [&](const QString& message) { items.push_back({message, {}, true, {}}); };
    walk.run(folder);
    return items;
}

void groupParts(std::vector<WalkItem>& items)
{
    QStringList paths;
    for (const WalkItem& item : items) {
        const bool nameIsText = item.nativePath.isEmpty() || QFile::encodeName(item.path) == item.nativePath;
        paths << (item.problem || !nameIsText ? QString() : item.path);
    }
    const std::vector<std::vector<int>> groups = partGroups(paths);
    if (groups.empty())
        return;
    std::vector<int> groupAt(items.size(), -1); // the group whose film stands at this place
    std::vector<bool> taken(items.size(), false);
    for (size_t g = 0; g < groups.size(); ++g) {
        for (const int position : groups[g])
            taken[size_t(position)] = true;
        groupAt[size_t(*std::min_element(groups[g].begin(), groups[g].end()))] = int(g);
    }
    std::vector<WalkItem> grouped;
    grouped.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        if (groupAt[i] >= 0) {
            const std::vector<int>& parts = groups[size_t(groupAt[i])];
            WalkItem film = items[size_t(parts.front())];
            for (size_t k = 1; k < parts.size(); ++k)
                film.otherParts << items[size_t(parts[k])].path;
            grouped.push_back(std::move(film));
        } else if (!taken[i]) {
            grouped.push_back(std::move(items[i]));
        }
    }
    items = std::move(grouped);
}

} // namespace filmarch
