#pragma once
// What the program does before any window exists: its folders, the MediaInfo
// library check, the application title.
#include <QString>

class QCoreApplication;

namespace filmarch {

class AppPaths;
class UserDialogs;

// Creates the settings folder and the log folder when missing. Returns false
// when the log folder could not be made.
bool makeFolders(const AppPaths& paths);
// True when the dynamic loader can load the MediaInfo library.
bool mediaInfoPresent(const AppPaths& paths);
// The poster folder the options default to follows the program's paths.
void useDefaultFolders(const AppPaths& paths);
QString missingMediaInfoMessage();

// What --version prints: the program, its version, the copyright and the licence.
QString versionText(const QString& program);

// The program speaks French whatever the system's language: Qt's own texts
// (file dialogs, buttons, command-line errors), the default locale (file
// types, dates) and, where a French locale is installed, the C library's
// reasons for a failure. Called once the application object exists.
void speakFrench(QCoreApplication& app);

// Returns false when the program must end (the message was shown). A log
// folder that cannot be created is reported and the program goes on: the
// log then reaches the Log page only.
bool prepareStart(const AppPaths& paths, UserDialogs& dialogs);

} // namespace filmarch
