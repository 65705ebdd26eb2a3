#pragma once
// The files of a folder, in the order the file system lists them, entering
// sub-folders depth first when asked. A DVD or Blu-ray folder is given as one
// file, also where sub-folders are not entered, and is not entered. Links to
// folders are followed, each folder (by device and inode) at most once, so
// that a link loop ends.
#include <QByteArray>
#include <QString>

#include <functional>
#include <set>
#include <utility>

namespace filmarch {

class FolderWalk {
public:
    bool subFolders = false;
    // `path` is the file's (or disc folder's) name as text, `nativePath` its bytes on disk (they
    // differ where a name is not valid text: only the bytes open the file).
    std::function<void(const QString& path, const QByteArray& nativePath)> onFile;
    // A folder that could not be listed or was already visited; not called
    // when unset.
    std::function<void(const QString& message)> onProblem;
    // The folder whose files could not all be listed; not called when unset.
    std::function<void(const QString& folder)> onUnreadable;
    // Asked after each entry.
    std::function<bool()> stop;

    void run(const QString& root);

private:
    bool walk(const QString& folder, const QByteArray& nativeFolder); // false once stopped
    void problem(const QString& message);
    void unreadable(const QString& folder);

    std::set<std::pair<unsigned long long, unsigned long long>> visited;
};

} // namespace filmarch
