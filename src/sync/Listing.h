#pragma once
// The two steps of an analysis: listing a folder into a list, then taking out
// of both lists the files found on both sides.
#include "sync/SyncList.h"

namespace filmarch {

// A folder (or an entry) that a listing could not read, with the system's reason.
struct UnreadablePath {
    QString path;
    QString reason;
};

struct ListingResult {
    int files = 0; // files added
    // When not empty, the list lacks what these hold: the listing is incomplete.
    std::vector<UnreadablePath> unreadable;
};

// Adds the files of `chemin` (hidden ones included) to `list`, each inserted
// at the top, so that the list ends in reverse order of discovery. With
// `sousRep`, every sub-folder is listed where it is met. Folders never become
// entries; a link is an entry and is never followed; the temporary files of
// copies in progress (or killed) are never listed. What cannot be read is
// named in the result.
ListingResult Listing(const QString& chemin, SyncList& list, bool sousRep);

// Removes the pairs of entries with the same name (exactly, letter case
// included): each entry of `list1`, from the last to the first, takes away
// the entry of `list2` with that name at the highest position, if any.
void Comparaison(SyncList& list1, SyncList& list2);

} // namespace filmarch
