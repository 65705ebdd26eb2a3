#include "platform/ChildProcess.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <vector>

extern char** environ;

namespace filmarch {

namespace {

// Keeps the argument and environment bytes alive for the call.
class CStringArray {
public:
    void add(QByteArray text) { storage.push_back(std::move(text)); }
    char** data()
    {
        pointers.clear();
        for (QByteArray& s : storage)
            pointers.push_back(s.data());
        pointers.push_back(nullptr);
        return pointers.data();
    }
    std::vector<QByteArray> storage;

private:
    std::vector<char*> pointers;
};

CStringArray childEnvironment(const QStringList& changes)
{
    CStringArray env;
    for (const QString& change : changes)
        env.add(change.toLocal8Bit());
    for (char** e = environ; e && *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('=') + 1);
        bool replaced = false;
        for (const QString& change : changes)
            replaced = replaced || change.toLocal8Bit().startsWith(name);
        if (!replaced)
            env.add(entry);
    }
    return env;
}

} // namespace

pid_t startChild(const QString& program, const QStringList& arguments, const QStringList& environment,
    const ChildStreams& streams, int& error)
{
    CStringArray argv;
    argv.add(QFile::encodeName(program));
    for (const QString& argument : arguments)
        argv.add(QFile::encodeName(argument));
    CStringArray envp = childEnvironment(environment);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, streams.input, 0);
    posix_spawn_file_actions_adddup2(&actions, streams.output, 1);
    posix_spawn_file_actions_adddup2(&actions, streams.error, 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 34)
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    // The calling thread may block or ignore signals (SIGPIPE): the child must not inherit that.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (streams.ownGroup) {
        posix_spawnattr_setpgroup(&attributes, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(&attributes, flags);

    pid_t pid = -1;
    const QByteArray file = argv.storage.front();
    error = file.contains('/') ? posix_spawn(&pid, file.constData(), &actions, &attributes, argv.data(), envp.data())
                               : posix_spawnp(&pid, file.constData(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return -1;
    return pid;
}

QString fileArgument(const QString& path)
{
    if (path.startsWith(QLatin1Char('-')) || path.startsWith(QLatin1Char('@')))
        return QStringLiteral("./") + path;
    return path;
}

} // namespace filmarch
