#include "platform/FileDescriptor.h"

#include <fcntl.h>

namespace filmarch {

bool openPipe(FileDescriptor& read, FileDescriptor& write)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    read.reset(ends[0]);
    write.reset(ends[1]);
    return true;
}

} // namespace filmarch
