#pragma once
// One list of the synchronisation tool: the files found in a folder. Each
// entry has its name (the caption), its folder (ending with '/') and its
// check mark; position 0 is the top of the list.
#include <QByteArray>
#include <QString>
#include <vector>

namespace filmarch {

struct SyncEntry {
    QString name;   // the file name with its extension
    QString folder; // the folder that holds it, ending with '/'
    bool checked = false;
    // The bytes the system gave, so that a name that is not valid text is
    // still compared exactly and reached for copies and deletions.
    QByteArray nativeName;
    QByteArray nativeFolder;
    int rootLength = 0; // bytes of nativeFolder that are the listed folder itself

    QString fullPath() const { return folder + name; }
    QByteArray nativePath() const { return nativeFolder + nativeName; }
    // The folder below the listed folder: empty, or "SF/" and so on.
    QByteArray relativeFolder() const { return nativeFolder.mid(rootLength); }
};

using SyncList = std::vector<SyncEntry>;

int checkedCount(const SyncList& list);
// Drops the entries marked in `gone` (sized to the list), keeping the order of the others.
void removeMarked(SyncList& list, const std::vector<bool>& gone);

} // namespace filmarch
