// filmarch-cli run as a user runs it: its own folder (with options.ini and the
// MediaInfo library link beside it), real files, exit statuses and output.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class Cli : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        videos = new QTemporaryDir;
        QDir(videos->path()).mkdir(QStringLiteral("sous"));
        makeVideo(videos->filePath(QStringLiteral("Premier.Film.2004.mp4")));
        QFile::copy(videos->filePath(QStringLiteral("Premier.Film.2004.mp4")),
                    videos->filePath(QStringLiteral("sous/Second.Film.mp4")));
        makeTextFile(videos->filePath(QStringLiteral("lisez-moi.txt")));
    }
    static void TearDownTestSuite() { delete videos; }

    void SetUp() override
    {
        QFile::copy(binDir() + QStringLiteral("/filmarch-cli"), app.filePath(QStringLiteral("filmarch-cli")));
        QFile::link(mediaInfoLibrary(), app.filePath(QStringLiteral("libmediainfo.so.0")));
    }

    int cli(const QStringList& args)
    {
        QProcess p;
        p.start(app.filePath(QStringLiteral("filmarch-cli")), args);
        p.waitForFinished(60000);
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    void writeOptions(const QByteArray& ini)
    {
        QFile f(app.filePath(QStringLiteral("options.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ini);
    }

    static QTemporaryDir* videos;
    QTemporaryDir app;
    QString out, err;
};
QTemporaryDir* Cli::videos = nullptr;

} // namespace

TEST_F(Cli, CreatesThenCompletesACatalogue)
{
    QTemporaryDir target;
    const QString xml = target.filePath(QStringLiteral("films.xml"));

    ASSERT_EQ(cli({videos->path(), xml}), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Début du scan du répertoire ") + videos->path()));
    EXPECT_TRUE(out.contains(QStringLiteral("Nouvelles entrées : 1         Nombre Total : 1")));
    EXPECT_EQ(XmlCatalogue::loadFile(xml)->movieCount(), 1);
    // The log file beside the program got the same lines.
    EXPECT_FALSE(QDir(app.filePath(QStringLiteral("Logs_Filmarch"))).entryList(QDir::Files).isEmpty());

    // Completing it with the sub-folders: the first film is a duplicate.
    ASSERT_EQ(cli({QStringLiteral("-r"), videos->path(), xml}), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Nouvelles entrées : 1         Nombre Total : 2         Doublons détecté : 1")))
        << out.toStdString();
    EXPECT_EQ(XmlCatalogue::loadFile(xml)->movieCount(), 2);
}

TEST_F(Cli, OptionsComeFromTheSettingsFileAndFlagsOverrideSubFolders)
{
    writeOptions("[General]\nExplorerSousRep=1\nChoisirTitre=0\n");
    QTemporaryDir target;
    const QString amc = target.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(cli({videos->path(), amc}), 0) << err.toStdString();
    TMovieList list;
    list.LoadFromFile(amc);
    ASSERT_EQ(list.Count(), 2);   // sub-folders explored, as stored
    EXPECT_TRUE(list.GetItem(0).strTranslatedTitle.isEmpty());   // titles off, as stored

    const QString amc2 = target.filePath(QStringLiteral("autre.amc"));
    ASSERT_EQ(cli({QStringLiteral("--sans-sous-repertoires"), videos->path(), amc2}), 0);
    list.LoadFromFile(amc2);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(Cli, RefusesToStartWithAClearMessage)
{
    QTemporaryDir target;
    QFile broken(target.filePath(QStringLiteral("abime.amc")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("rien");
    broken.close();
    const struct {
        const char* name;
        QStringList args;
        QString message;
        int status;
    } cases[] = {
        {"missing folder", {target.filePath(QStringLiteral("absent")), target.filePath(QStringLiteral("f.xml"))},
         QStringLiteral("le dossier à scanner n'existe pas"), 1},
        {"other extension", {videos->path(), target.filePath(QStringLiteral("f.txt"))},
         QStringLiteral("\".xml\" ou \".amc\""), 1},
        {"unreadable catalogue", {videos->path(), broken.fileName()},
         QStringLiteral("Chargement du catalogue à compléter impossible"), 1},
        {"missing argument", {videos->path()}, QStringLiteral("--help"), 2},
        {"unknown option", {QStringLiteral("-x"), videos->path(), target.filePath(QStringLiteral("f.xml"))},
         QStringLiteral("option inconnue"), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cli(c.args), c.status);
        EXPECT_TRUE(err.contains(c.message)) << err.toStdString();
    }
    // A catalogue that cannot be written: the run happens, its status says so.
    const QString readOnly = target.filePath(QStringLiteral("lecture.amc"));
    ASSERT_EQ(cli({videos->path(), readOnly}), 0);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    EXPECT_EQ(cli({QStringLiteral("-r"), videos->path(), readOnly}), 3);
    EXPECT_TRUE(err.contains(QStringLiteral("Enregistrement impossible : Si le fichier est corrompue")));

    EXPECT_EQ(cli({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Utilisation : filmarch-cli")));
}
