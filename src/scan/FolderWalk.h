#pragma once
// The files of a folder, in the order the file system lists them, entering
// sub-folders depth first when asked. Links to folders are followed, each
// folder (by device and inode) at most once, so that a link loop ends.
#include <QString>

#include <functional>
#include <set>
#include <utility>

namespace filmarch {

class FolderWalk {
public:
    bool subFolders = false;
    std::function<void(const QString& path)> onFile;
    // A folder that could not be listed or was already visited; not called
    // when unset.
    std::function<void(const QString& message)> onProblem;
    // Asked after each entry.
    std::function<bool()> stop;

    void run(const QString& root);

private:
    bool walk(const QString& folder); // false once stopped
    void problem(const QString& message);

    std::set<std::pair<unsigned long long, unsigned long long>> visited;
};

} // namespace filmarch
