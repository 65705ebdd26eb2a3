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
} // namespace

TEST(AppPaths, AWritableProgramFolderKeepsEverythingBesideTheProgram)
{
    QTemporaryDir program;
    const AppPaths paths = AppPaths::forProgram(program.path(), environment({{"HOME", QStringLiteral("/home/u")}}));
    EXPECT_TRUE(paths.besideProgram());
    EXPECT_EQ(paths.optionsIni(), program.filePath(QStringLiteral("options.ini")));
    EXPECT_EQ(paths.logFolder(), program.filePath(QStringLiteral("Logs_Filmarch")));
    EXPECT_EQ(paths.stateFile(QStringLiteral("InfosFilm.xml")), program.filePath(QStringLiteral("InfosFilm.xml")));
}

// Root may write anywhere, so the folder's own bits decide: the test means
// the same whoever runs it.
TEST(AppPaths, AReadOnlyProgramFolderSendsWrittenFilesToTheUsersFolders)
{
    QTemporaryDir program;
    ASSERT_TRUE(QFile::setPermissions(program.path(),
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    struct Case {
        const char* name;
        QProcessEnvironment env;
        QString settings, state;
    };
    const std::vector<Case> cases = {
        {"XDG folders given",
            environment({{"HOME", QStringLiteral("/home/u")}, {"XDG_CONFIG_HOME", QStringLiteral("/cfg")},
                {"XDG_STATE_HOME", QStringLiteral("/var/st/")}}),
            QStringLiteral("/cfg/filmarch"), QStringLiteral("/var/st/filmarch")},
        {"defaults under HOME", environment({{"HOME", QStringLiteral("/home/u")}}),
            QStringLiteral("/home/u/.config/filmarch"), QStringLiteral("/home/u/.local/state/filmarch")},
        {"relative XDG values count as unset",
            environment({{"HOME", QStringLiteral("/home/u")}, {"XDG_CONFIG_HOME", QStringLiteral("cfg")},
                {"XDG_STATE_HOME", QString()}}),
            QStringLiteral("/home/u/.config/filmarch"), QStringLiteral("/home/u/.local/state/filmarch")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AppPaths paths = AppPaths::forProgram(program.path(), c.env);
        EXPECT_FALSE(paths.besideProgram());
        EXPECT_EQ(paths.programDir(), program.path());
        EXPECT_EQ(paths.shippedFile(QStringLiteral("Vide.jpeg")), program.filePath(QStringLiteral("Vide.jpeg")));
        EXPECT_EQ(paths.optionsIni(), c.settings + QStringLiteral("/options.ini"));
        EXPECT_EQ(paths.logFolder(), c.state + QStringLiteral("/Logs_Filmarch"));
        EXPECT_EQ(paths.stateFile(QStringLiteral("images")), c.state + QStringLiteral("/images"));
    }
    QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
