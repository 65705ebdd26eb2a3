#include "core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using filmarch::AppPaths;

namespace {
QProcessEnvironment environment(std::initializer_list<std::pair<const char*, QString>> values)
{
    QProcessEnvironment env;
    for (const auto& [name, value] : values)
        env.insert(QLatin1String(name), value);
    return env;
}

// <root>/<prefix>/lib/filmarch with the given folders beside lib/.
QString makeTree(const QTemporaryDir& root, const QString& prefix, const QStringList& beside)
{
    const QString program = root.filePath(prefix + QStringLiteral("/lib/filmarch"));
    QDir().mkpath(program);
    for (const QString& folder : beside)
        QDir().mkpath(root.filePath(prefix + QLatin1Char('/') + folder));
    return program;
}
} // namespace

// Whether the folder may be written never decides: root may write everywhere,
// and a user's own ~/.local is writable.
TEST(AppPaths, TheLayoutAloneDecidesWhereFilesGo)
{
    QTemporaryDir root;
    const QProcessEnvironment env = environment({{"HOME", QStringLiteral("/home/u")}});
    struct Case {
        const char* name;
        QString program;
        bool installed;
    };
    const std::vector<Case> cases = {
        {"installed prefix", makeTree(root, QStringLiteral("usr"), {QStringLiteral("bin"), QStringLiteral("share")}),
            true},
        {"user prefix",
            makeTree(root, QStringLiteral("home/u/.local"), {QStringLiteral("bin"), QStringLiteral("share")}), true},
        {"no share beside", makeTree(root, QStringLiteral("a"), {QStringLiteral("bin")}), false},
        {"not under lib", root.filePath(QStringLiteral("build/bin")), false},
    };
    QDir().mkpath(root.filePath(QStringLiteral("build/bin")));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AppPaths::isInstalledLayout(c.program), c.installed);
        const AppPaths paths = AppPaths::forProgram(c.program, env);
        EXPECT_EQ(paths.besideProgram(), !c.installed);
        EXPECT_EQ(paths.programDir(), c.program);
        if (!c.installed) {
            EXPECT_EQ(paths.optionsIni(), c.program + QStringLiteral("/options.ini"));
            EXPECT_EQ(paths.logFolder(), c.program + QStringLiteral("/Logs_Filmarch"));
            EXPECT_EQ(paths.cacheFile(QStringLiteral("InfosFilm.xml")), c.program + QStringLiteral("/InfosFilm.xml"));
            EXPECT_EQ(paths.shippedFile(QStringLiteral("Vide.jpeg")), c.program + QStringLiteral("/Vide.jpeg"));
        }
    }
}

TEST(AppPaths, AnInstalledProgramUsesTheXdgFoldersAndShipsFromShare)
{
    QTemporaryDir root;
    const QString program = makeTree(root, QStringLiteral("usr"), {QStringLiteral("bin"), QStringLiteral("share")});
    struct Case {
        const char* name;
        QProcessEnvironment env;
        QString config, state, cache, data;
    };
    const std::vector<Case> cases = {
        {"XDG folders given",
            environment({{"HOME", QStringLiteral("/home/u")}, {"XDG_CONFIG_HOME", QStringLiteral("/cfg")},
                {"XDG_STATE_HOME", QStringLiteral("/var/st/")}, {"XDG_CACHE_HOME", QStringLiteral("/ca")},
                {"XDG_DATA_HOME", QStringLiteral("/da")}}),
            QStringLiteral("/cfg"), QStringLiteral("/var/st"), QStringLiteral("/ca"), QStringLiteral("/da")},
        {"defaults under HOME", environment({{"HOME", QStringLiteral("/root")}}), QStringLiteral("/root/.config"),
            QStringLiteral("/root/.local/state"), QStringLiteral("/root/.cache"), QStringLiteral("/root/.local/share")},
        {"relative XDG values count as unset",
            environment({{"HOME", QStringLiteral("/home/u")}, {"XDG_CONFIG_HOME", QStringLiteral("cfg")},
                {"XDG_CACHE_HOME", QString()}}),
            QStringLiteral("/home/u/.config"), QStringLiteral("/home/u/.local/state"), QStringLiteral("/home/u/.cache"),
            QStringLiteral("/home/u/.local/share")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AppPaths paths = AppPaths::forProgram(program, c.env);
        EXPECT_EQ(paths.shippedFile(QStringLiteral("Vide.jpeg")),
            root.filePath(QStringLiteral("usr/share/filmarch/Vide.jpeg")));
        EXPECT_EQ(paths.optionsIni(), c.config + QStringLiteral("/filmarch/options.ini"));
        EXPECT_EQ(paths.logFolder(), c.state + QStringLiteral("/filmarch/Logs_Filmarch"));
        EXPECT_EQ(paths.cacheFile(QStringLiteral("images")), c.cache + QStringLiteral("/filmarch/images"));
        EXPECT_EQ(paths.posterDir(), c.data + QStringLiteral("/filmarch/Affiches"));
    }
}
