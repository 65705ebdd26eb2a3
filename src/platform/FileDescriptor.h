#pragma once
// Owns an open file descriptor and closes it when it goes, on every way out.
#include <unistd.h>

#include <utility>

namespace filmarch {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~FileDescriptor() { reset(); }

    int get() const { return fd; }
    bool isOpen() const { return fd >= 0; }

    // Hands the descriptor over to a caller that closes it.
    int release() { return std::exchange(fd, -1); }
    // Closes the one held, if any, and takes `other`.
    void reset(int other = -1)
    {
        if (fd >= 0)
            ::close(fd);
        fd = other;
    }
    // Closes it now, for a caller that checks what the close reports (0, or -1 and errno).
    int close() { return ::close(release()); }

private:
    int fd = -1;
};

// A pipe whose two ends close on exec; false, with errno, when the system refuses one.
bool openPipe(FileDescriptor& read, FileDescriptor& write);

} // namespace filmarch
