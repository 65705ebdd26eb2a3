#pragma once
// What filmarch-cli writes on its standard output. Output that did not reach
// its place is never reported as success: a failure (a full disk) is said on
// standard error and ends the program with status 3, and a reader that went
// away (| head, quitting less) ends it quietly, as it ends find: by SIGPIPE,
// which the shell shows as status 141.
#include <QByteArray>

namespace filmarch {

// Writes the bytes (and flushes them when asked). False once the output has
// failed: nothing is written after a failure.
bool writeOutput(const QByteArray& bytes, bool flush = false);
// True once a write or a flush has failed.
bool outputFailed();
// Flushes what is left, then ends as said above when the output failed;
// otherwise returns `status`.
int finishOutput(int status);

} // namespace filmarch
