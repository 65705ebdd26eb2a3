// The installed layout: filmarch-cli run from a read-only prefix keeps its
// settings and log in the user's folders; run from the build folder it still
// writes beside itself.
#include "catalog/XmlCatalogue.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

int run(const QString& program, const QStringList& args, const QProcessEnvironment& env, QString* output = nullptr)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(120000);
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList filesUnder(const QString& folder)
{
    QStringList found;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next().mid(folder.size() + 1);
    found.sort();
    return found;
}

QString todaysLog()
{
    return QStringLiteral("log-") + QDate::currentDate().toString(QStringLiteral("dd_MM_yyyy"))
        + QStringLiteral(".txt");
}

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(root.path()).mkpath(QStringLiteral("films/sous"));
        makeVideo(root.filePath(QStringLiteral("films/sous/Le.Film.2004.mp4")));
        for (const char* folder : {"home", "config/filmarch", "state"})
            QDir(root.path()).mkpath(QLatin1String(folder));
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        env.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), root.filePath(QStringLiteral("state")));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    }

    QTemporaryDir root;
    QProcessEnvironment env;
};

} // namespace

TEST_F(Installed, AReadOnlyPrefixSendsSettingsAndLogToTheUsersFolders)
{
    const QString prefix = root.filePath(QStringLiteral("prefix"));
    QString output;
    ASSERT_EQ(run(QStringLiteral(FILMARCH_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(FILMARCH_BUILD_DIR), QStringLiteral("--prefix"), prefix},
                  QProcessEnvironment::systemEnvironment(), &output),
        0)
        << output.toStdString();
    ASSERT_EQ(run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("a-w"), prefix}, env), 0);
    const QStringList installed = filesUnder(prefix);
    EXPECT_TRUE(installed.contains(QStringLiteral("lib/filmarch/libmediainfo.so.0")));
    EXPECT_TRUE(installed.contains(QStringLiteral("lib/filmarch/Vide.jpeg")));

    // Sub-folders are scanned only because the user's options.ini says so.
    QFile ini(root.filePath(QStringLiteral("config/filmarch/options.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nExplorerSousRep=1\n");
    ini.close();

    const QString catalogue = root.filePath(QStringLiteral("films.xml"));
    EXPECT_EQ(run(prefix + QStringLiteral("/bin/filmarch-cli"), {root.filePath(QStringLiteral("films")), catalogue},
                  env, &output),
        0)
        << output.toStdString();
    EXPECT_EQ(XmlCatalogue::loadFile(catalogue)->movieCount(), 1) << output.toStdString();
    EXPECT_TRUE(readText(root.filePath(QStringLiteral("state/filmarch/Logs_Filmarch/") + todaysLog()))
                    .contains(QStringLiteral("Début du scan du répertoire ") + root.filePath(QStringLiteral("films"))));
    EXPECT_EQ(filesUnder(prefix), installed);
    EXPECT_EQ(filesUnder(root.filePath(QStringLiteral("home"))), QStringList());

    run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("u+w"), prefix}, env);
}

TEST_F(Installed, TheBuildFolderProgramStillWritesBesideItself)
{
    const QString catalogue = root.filePath(QStringLiteral("films.xml"));
    QString output;
    EXPECT_EQ(run(binDir() + QStringLiteral("/filmarch-cli"), {root.filePath(QStringLiteral("films")), catalogue}, env,
                  &output),
        0)
        << output.toStdString();
    EXPECT_TRUE(readText(binDir() + QStringLiteral("/Logs_Filmarch/") + todaysLog())
                    .contains(QStringLiteral("Début du scan du répertoire ") + root.filePath(QStringLiteral("films"))));
    EXPECT_EQ(filesUnder(root.filePath(QStringLiteral("state"))), QStringList());
    EXPECT_EQ(filesUnder(root.filePath(QStringLiteral("config"))), QStringList {QStringLiteral("filmarch")});
}
