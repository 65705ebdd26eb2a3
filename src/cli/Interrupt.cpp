#include "cli/Interrupt.h"

#include <csignal>

namespace filmarch {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int sig)
{
    interrupted = 1;
    std::signal(sig, SIG_DFL);
}

} // namespace

void catchInterrupts(std::initializer_list<int> numbers)
{
    for (const int sig : numbers)
        std::signal(sig, onInterrupt);
}

bool interruptRequested()
{
    return interrupted != 0;
}

} // namespace filmarch
