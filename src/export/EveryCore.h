#pragma once
// Work on every entry of an export spread over the processor cores the program
// may use, while the calling thread keeps the progress bar moving.
#include <cstddef>
#include <functional>

namespace filmarch {

class ScanProgress;

// The cores this process may run on.
int usableCores();

// Runs `work(i)` for each i below `count`, on usableCores() threads. The
// progress bar counts the entries done; when its processEvents() throws (a
// stop asked for), the threads end after the entry in hand and the exception
// goes on. The first exception a `work` throws is thrown here once all threads
// have ended.
void forEachOnEveryCore(size_t count, const std::function<void(size_t)>& work, ScanProgress& progress);

} // namespace filmarch
