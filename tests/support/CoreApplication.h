#pragma once
// Tests of code that needs an event loop (the process runner's hand-over, work
// started off a thread) create the one application object of the test program
// on first use.
#include <QCoreApplication>

namespace filmarch::test {

inline void ensureCoreApplication()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives as long as the test program
}

} // namespace filmarch::test
