#pragma once
// Makes every write past `bytes` fail (as a full disk would) for the life of
// the object.
#include <csignal>
#include <sys/resource.h>

namespace filmarch::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &original);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = original;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &original);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit original {};
    void (*oldHandler)(int) = nullptr;
};

} // namespace filmarch::test
