#pragma once
// Starts a program as a child process from its name and argument list, never
// through a shell, with the given descriptors as its standard streams.
#include <QStringList>

#include <sys/types.h>

namespace filmarch {

struct ChildStreams {
    int input = -1, output = -1, error = -1;
    // The child leads a process group of its own, so that it can be ended with what it starts.
    bool ownGroup = false;
};

// A program name without '/' is searched on PATH. `environment` holds
// "NAME=value" entries that replace or add to this process's environment.
// Every other descriptor of this process is closed in the child, and the
// child starts with default signal handling. Returns the child's id, or -1
// with the reason in `error` (an errno value).
pid_t startChild(const QString& program, const QStringList& arguments, const QStringList& environment,
    const ChildStreams& streams, int& error);

// An argument for a tool that takes a file name: a name that the tool could
// read as an option ("-x") or an option file ("@x") is given as "./-x".
QString fileArgument(const QString& path);

} // namespace filmarch
