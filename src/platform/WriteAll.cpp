#include "platform/WriteAll.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace filmarch {

namespace {

// `put(from, size, done)` writes part of what is left and returns what it wrote.
template <typename Put>
int putAll(QByteArrayView bytes, Put put)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = put(bytes.data() + done, size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

} // namespace

int writeAll(int fd, QByteArrayView bytes)
{
    return putAll(bytes, [fd](const char* from, size_t size, qsizetype) { return ::write(fd, from, size); });
}

int writeAllAt(int fd, QByteArrayView bytes, off_t offset)
{
    return putAll(bytes, [fd, offset](const char* from, size_t size, qsizetype done) {
        return ::pwrite(fd, from, size, offset + done);
    });
}

int sendAll(int fd, QByteArrayView bytes)
{
    return putAll(
        bytes, [fd](const char* from, size_t size, qsizetype) { return ::send(fd, from, size, MSG_NOSIGNAL); });
}

} // namespace filmarch
