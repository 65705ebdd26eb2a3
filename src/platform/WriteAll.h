#pragma once
// Writing the whole of a buffer to a descriptor: the system may take part of
// it at a time, or be interrupted by a signal, and the caller wants all or a
// reason.
#include <QByteArrayView>

#include <sys/types.h>

namespace filmarch {

// Writes all of `bytes` to `fd`. Returns 0, or the errno of the failure
// (ENOSPC when the system took nothing without saying why).
int writeAll(int fd, QByteArrayView bytes);

// The same at `offset` of a file, leaving its position where it was.
int writeAllAt(int fd, QByteArrayView bytes, off_t offset);

// The same on a socket, without the SIGPIPE a peer that went away would raise.
int sendAll(int fd, QByteArrayView bytes);

} // namespace filmarch
