#include "core/AppPaths.h"

#include <QDir>
#include <QFileInfo>

namespace filmarch {

namespace {

QString homeOf(const QProcessEnvironment& env)
{
    const QString home = env.value(QStringLiteral("HOME"));
    return home.isEmpty() ? QDir::homePath() : home;
}

// An XDG variable counts only when it holds an absolute path.
QString xdgFolder(const QProcessEnvironment& env, const QString& variable, const QString& fallback)
{
    const QString value = env.value(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(homeOf(env) + QLatin1Char('/') + fallback);
}

QString inXdg(const QProcessEnvironment& env, const char* variable, const char* fallback)
{
    return xdgFolder(env, QLatin1String(variable), QLatin1String(fallback)) + QStringLiteral("/filmarch");
}

} // namespace

AppPaths AppPaths::beside(const QString& programDir)
{
    return AppPaths({
        .program = programDir,
        .shared = programDir,
        .settings = programDir,
        .state = programDir,
        .cache = programDir,
        .posters = QDir::homePath() + QStringLiteral("/Affiches"),
    });
}

bool AppPaths::isInstalledLayout(const QString& programDir)
{
    const QFileInfo program(QDir::cleanPath(programDir));
    const QFileInfo lib(program.absolutePath());
    if (program.fileName() != QLatin1String("filmarch") || lib.fileName() != QLatin1String("lib"))
        return false;
    const QDir prefix(lib.absolutePath());
    return QFileInfo(prefix.filePath(QStringLiteral("bin"))).isDir()
        && QFileInfo(prefix.filePath(QStringLiteral("share"))).isDir();
}

AppPaths AppPaths::forProgram(const QString& programDir, const QProcessEnvironment& env)
{
    if (!isInstalledLayout(programDir))
        return beside(programDir);
    const QString prefix = QDir::cleanPath(programDir + QStringLiteral("/../.."));
    return AppPaths({
        .program = programDir,
        .shared = prefix + QStringLiteral("/share/filmarch"),
        .settings = inXdg(env, "XDG_CONFIG_HOME", ".config"),
        .state = inXdg(env, "XDG_STATE_HOME", ".local/state"),
        .cache = inXdg(env, "XDG_CACHE_HOME", ".cache"),
        .posters = inXdg(env, "XDG_DATA_HOME", ".local/share") + QStringLiteral("/Affiches"),
    });
}

QString AppPaths::optionsIni() const
{
    return QDir(folders.settings).filePath(QStringLiteral("options.ini"));
}

QString AppPaths::logFolder() const
{
    return QDir(folders.state).filePath(QStringLiteral("Logs_Filmarch"));
}

QString AppPaths::shippedFile(const QString& name) const
{
    return QDir(folders.shared).filePath(name);
}

QString AppPaths::cacheFile(const QString& name) const
{
    return QDir(folders.cache).filePath(name);
}

bool AppPaths::besideProgram() const
{
    const QString& p = folders.program;
    return folders.settings == p && folders.state == p && folders.cache == p;
}

QString AppPaths::mediaInfoLibrary() const
{
    return mediaInfo.isEmpty() ? QStringLiteral("libmediainfo.so.0") : mediaInfo;
}

AppPaths AppPaths::withMediaInfoLibrary(const QString& library) const
{
    AppPaths changed = *this;
    changed.mediaInfo = library;
    return changed;
}

} // namespace filmarch
