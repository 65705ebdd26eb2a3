#pragma once
// What a run takes in walk order: the files of the folder, with the folder
// problems in their place, and the parts of a film made one item.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace filmarch {

struct WalkItem {
    QString path;
    QByteArray nativePath;  // the name's bytes on disk (not `path`'s where it is not valid text)
    bool problem = false;   // `path` is the message
    QStringList otherParts; // the film's other files, when `path` is its first part
};

// The items of `folder` in walk order until `stop` says so; `files` counts the files.
std::vector<WalkItem> walkFolder(const QString& folder, bool subFolders, const std::function<bool()>& stop, int& files);

// The parts of a film become one item, named after its first part, at the
// place of the part met first. A name that is not valid text stays alone:
// the other parts are opened by their names as text.
void groupParts(std::vector<WalkItem>& items);

} // namespace filmarch
