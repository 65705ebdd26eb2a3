#pragma once
// The two steps of an analysis: listing a folder into a list, then taking out
// of both lists the files found on both sides.
#include "sync/FoundFiles.h"
#include "sync/SyncList.h"
#include "sync/SyncPaths.h"

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
    SyncList links; // links met, never followed nor listed
    // A folder met in the listing (a mount of it) is the folder `other`.
    bool metOther = false;
};

// Replaces `found` with the files of `chemin` (hidden ones included), in order
// of discovery. With `sousRep`, every sub-folder is listed where it is met.
// Folders are never listed; a link is never listed nor followed, only named in
// the result; the temporary files of copies in progress (or killed) are never
// listed. What cannot be read is named in the result, and so is a sub-folder
// that is the folder `other` (the other side mounted inside this one).
ListingResult listFiles(const QString& chemin, FoundFiles& found, bool sousRep, FolderId other = {});

// The same files added to `list`, each inserted at the top, so that the list
// ends in reverse order of discovery.
ListingResult Listing(const QString& chemin, SyncList& list, bool sousRep, FolderId other = {});

// Takes out of the backup's `list` what the reference's links stand for:
// entries of a link's name (names pair the two sides), and entries below a
// link's place in the tree. None is offered for deletion because of a link.
void setAsideLinked(SyncList& list, const SyncList& links);

// Removes the pairs of entries with the same name (exactly, letter case
// included): each entry of `list1`, from the last to the first, takes away
// the entry of `list2` with that name at the highest position, if any.
void Comparaison(SyncList& list1, SyncList& list2);

// The same pairing between the files of two listings, each side read as the
// list Listing makes of it: what is left of each side becomes its list.
void Comparaison(const FoundFiles& found1, const FoundFiles& found2, SyncList& list1, SyncList& list2);

} // namespace filmarch
