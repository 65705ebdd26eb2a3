#pragma once
// What the program does before any window exists: its folders, the MediaInfo
// library check, the application title.
#include <QString>

namespace filmarch {

class AppPaths;
class UserDialogs;

// Creates the settings folder and the log folder when missing. Returns false
// when the log folder could not be made.
bool makeFolders(const AppPaths& paths);
// The library file (or the link to it) beside the executable; a dangling
// link counts as missing.
bool mediaInfoPresent(const AppPaths& paths);
QString missingMediaInfoMessage();

// Returns false when the program must end (the message was shown). A log
// folder that cannot be created is reported and the program goes on: the
// log then reaches the Log page only.
bool prepareStart(const AppPaths& paths, UserDialogs& dialogs);

} // namespace filmarch
