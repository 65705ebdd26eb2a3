#pragma once
// A catalogue compared with the disk: the entries whose file is gone, those
// of them found elsewhere (the same film renamed or moved), and the films no
// entry names. Then, as the user decides, the gone entries are given their
// new place or removed, every other entry staying byte for byte as it was.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace filmarch {

class MesFonctionMediaInfo;

// What the catalogue says of one entry's file.
struct CheckedEntry {
    int index = 0; // position in the catalogue
    QString url;   // the file, or the folder of a disc
    QString title;
    QString size;           // whole mebibytes as stored; empty when not stored
    QString length;         // whole minutes as stored; empty when not stored
    QStringList otherParts; // the files of the film's other parts, beside `url`
};

// What the disk says of a file that no entry names.
struct FileFacts {
    bool film = false; // a completion would catalogue it
    QString size;      // as an entry stores it
    QString length;
};
using FileProbe = std::function<FileFacts(const QString& path)>;
// The facts as a scan would measure them, with this library handle.
FileProbe mediaProbe(MesFonctionMediaInfo& media);

struct CatalogueCheck {
    struct Gone {
        int entry = 0;   // into `entries`
        QString newPath; // where the film is now; empty when it was not found
    };
    std::vector<CheckedEntry> entries;
    std::vector<Gone> gone;        // in catalogue order
    QStringList notChecked;        // files of entries in folders that cannot be read
    QStringList newFiles;          // films no entry names, in walk order
    QStringList unreadableFolders; // under the folders compared
};

// Compares the catalogue at `path` with the files under `folders` (with
// their sub-folders; when empty, the folders that hold the entries' files).
// `probe` is asked only about files that no entry names. Throws Error with a
// sentence for the user when the catalogue cannot be read, is damaged or is
// being written by a run.
CatalogueCheck checkCatalogue(const QString& path, const QStringList& folders, const FileProbe& probe);

// One decision on a gone entry.
struct CheckDecision {
    int index = 0;   // the entry's position, as checked
    QString url;     // its file, as checked: a catalogue changed since is refused
    QString newPath; // empty: the entry is removed
};

// Rewrites the catalogue with the decisions, under its lock, after a byte
// copy of it as backup, beside it and renamed over it, and read back. Returns
// the reason for the user when nothing was changed. `log` is told what changed.
std::optional<QString> applyCheck(const QString& path, const std::vector<CheckDecision>& decisions,
    const std::function<void(const QString& line)>& log = {});

} // namespace filmarch
