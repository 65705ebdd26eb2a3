#pragma once
// filmarch-cli --comparer and --copier: the synchronisation tool from the
// terminal. It compares and copies; it never deletes.
#include <QString>
#include <QStringList>
#include <optional>

namespace filmarch {

class AppPaths;

// Runs the command when `arguments` (without the program's name) ask for one
// and returns its exit status; returns nothing for any other command line.
std::optional<int> runSyncCommand(const QStringList& arguments, const AppPaths& paths);

// The lines of --help about these commands.
const char* syncUsage();

} // namespace filmarch
