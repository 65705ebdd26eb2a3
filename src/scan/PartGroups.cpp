#include "scan/PartGroups.h"

#include "media/ReleaseName.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace filmarch {

std::vector<std::vector<int>> partGroups(const QStringList& paths)
{
    struct Part {
        int number;
        int position;
    };
    QHash<QString, std::vector<Part>> byFilm;
    QStringList order; // of the keys, as first met: groups come out in walk order
    for (int i = 0; i < paths.size(); ++i) {
        if (paths[i].isEmpty())
            continue;
        const ReleaseName name = readReleaseName(paths[i]);
        if (name.part <= 0 || name.sample || name.episode)
            continue;
        // A disc folder named "CD1" is a film of its own: its parts are not files.
        const QFileInfo file(paths[i]);
        if (file.isDir())
            continue;
        const QString key = file.path() + QLatin1Char('\n') + name.nameWithoutPart.toCaseFolded() + QLatin1Char('\n')
            + file.suffix().toCaseFolded();
        auto& parts = byFilm[key];
        if (parts.empty())
            order << key;
        parts.push_back({name.part, i});
    }
    std::vector<std::vector<int>> groups;
    for (const QString& key : std::as_const(order)) {
        std::vector<Part> parts = byFilm.value(key);
        if (parts.size() < 2)
            continue;
        std::stable_sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) { return a.number < b.number; });
        // Two files that both say "CD1" are two copies, not two parts.
        const auto sameNumber = [](const Part& a, const Part& b) { return a.number == b.number; };
        if (std::adjacent_find(parts.begin(), parts.end(), sameNumber) != parts.end())
            continue;
        std::vector<int> positions;
        for (const Part& p : parts)
            positions.push_back(p.position);
        groups.push_back(positions);
    }
    return groups;
}

} // namespace filmarch
