#pragma once
// Whether a path names a regular file (after links). Opening a named pipe or
// a device for reading can block for ever, so files we read whole are checked
// first.
#include <QString>

namespace filmarch {

bool isRegularFile(const QString& path);

} // namespace filmarch
