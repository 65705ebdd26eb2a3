#pragma once
// The two steps of an analysis: listing a folder into a list, then taking out
// of both lists the files found on both sides.
#include "sync/SyncList.h"

namespace filmarch {

// Adds the files of `chemin` (hidden ones included) to `list`, each inserted
// at the top, so that the list ends in reverse order of discovery. With
// `sousRep`, every sub-folder is listed where it is met. Folders never become
// entries; a link is an entry and is never followed. What cannot be read is
// not listed. Returns the number of files added.
int Listing(const QString& chemin, SyncList& list, bool sousRep);

// Removes the pairs of entries with the same name (exactly, letter case
// included): each entry of `list1`, from the last to the first, takes away
// the entry of `list2` with that name at the highest position, if any.
void Comparaison(SyncList& list1, SyncList& list2);

} // namespace filmarch
