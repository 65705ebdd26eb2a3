#pragma once
// filmarch-cli --exporter: a catalogue as a web page, a Tellico collection or
// CSV, from the terminal. The catalogue is only read.
#include <QStringList>
#include <optional>

namespace filmarch {

// Runs the export when `arguments` (without the program's name) ask for it and
// returns its exit status; returns nothing for any other command line.
std::optional<int> runExportCommand(const QStringList& arguments);

// The lines of --help about this command.
const char* exportUsage();

} // namespace filmarch
