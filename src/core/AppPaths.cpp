#include "core/AppPaths.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace filmarch {

namespace {

// An XDG variable counts only when it holds an absolute path.
QString xdgFolder(const QProcessEnvironment& env, const QString& variable, const QString& fallback)
{
    const QString value = env.value(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    QString home = env.value(QStringLiteral("HOME"));
    if (home.isEmpty())
        home = QDir::homePath();
    return QDir::cleanPath(home + QLatin1Char('/') + fallback);
}

bool inGroup(gid_t gid)
{
    if (gid == getegid())
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<size_t>(i)] == gid)
            return true;
    return false;
}

} // namespace

bool mayWriteFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat st {};
    if (stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    mode_t bit = S_IWOTH;
    if (st.st_uid == geteuid())
        bit = S_IWUSR;
    else if (inGroup(st.st_gid))
        bit = S_IWGRP;
    // access() also sees a read-only file system.
    return (st.st_mode & bit) != 0 && access(path.constData(), W_OK | X_OK) == 0;
}

AppPaths::AppPaths(QString programDir, QString settingsDir, QString stateDir)
    : program(std::move(programDir)), settings(std::move(settingsDir)), state(std::move(stateDir))
{
}

AppPaths AppPaths::beside(const QString& programDir)
{
    return AppPaths(programDir, programDir, programDir);
}

AppPaths AppPaths::forProgram(const QString& programDir, const QProcessEnvironment& env)
{
    if (mayWriteFolder(programDir))
        return beside(programDir);
    return AppPaths(programDir,
        xdgFolder(env, QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral(".config")) + QStringLiteral("/filmarch"),
        xdgFolder(env, QStringLiteral("XDG_STATE_HOME"), QStringLiteral(".local/state")) + QStringLiteral("/filmarch"));
}

QString AppPaths::optionsIni() const
{
    return QDir(settings).filePath(QStringLiteral("options.ini"));
}

QString AppPaths::logFolder() const
{
    return stateFile(QStringLiteral("Logs_Filmarch"));
}

QString AppPaths::shippedFile(const QString& name) const
{
    return QDir(program).filePath(name);
}

QString AppPaths::stateFile(const QString& name) const
{
    return QDir(state).filePath(name);
}

} // namespace filmarch
