#pragma once
// What the program does before any window exists: the log folder beside the
// executable, the MediaInfo library check, the application title.
#include <QString>

namespace filmarch {

class UserDialogs;

QString logFolderPath(const QString& appDir);
QString mediaInfoLibraryPath(const QString& appDir);
QString missingMediaInfoMessage();

// Returns false when the program must end (the message was shown). A log
// folder that cannot be created is reported and the program goes on: the
// log then reaches the Log page only.
bool prepareStart(const QString& appDir, UserDialogs& dialogs);

} // namespace filmarch
