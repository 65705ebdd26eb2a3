#pragma once
// filmarch-cli --lire-nom: what the reader of release names reads of each name
// given, one line each, so that a user can see why a film is not found.
#include <QString>
#include <QStringList>

namespace filmarch {

// The line printed for one name (without its line break).
QString readNameLine(const QString& name);

// Prints a line for each name; returns the command's exit status.
int runReadNameCommand(const QStringList& names);

} // namespace filmarch
