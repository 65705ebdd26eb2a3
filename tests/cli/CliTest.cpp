// filmarch-cli run as a user runs it: its own folder (with options.ini and the
// MediaInfo library link beside it), real files, exit statuses and output.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/CliSandbox.h"
#include "support/FileBytes.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class Cli : public ::testing::Test, protected CliSandbox {
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

    // 400 links to one film in `folder`: a scan long enough to be interrupted.
    static void fourHundredFilms(const QTemporaryDir& folder)
    {
        for (int i = 0; i < 400; ++i)
            QFile::link(videos->filePath(QStringLiteral("Premier.Film.2004.mp4")),
                folder.filePath(QStringLiteral("Film %1.mp4").arg(i)));
    }

    // Scans 400 films into `amc` and sends one Ctrl-C once the catalogue exists.
    void interruptOnceWritten(QProcess& p, const QTemporaryDir& folder, const QString& amc)
    {
        fourHundredFilms(folder);
        start(p, {folder.path(), amc});
        ASSERT_TRUE(p.waitForStarted());
        while (!QFileInfo::exists(amc) && p.state() == QProcess::Running)
            QThread::msleep(5);
        ::kill(p.processId(), SIGINT);
    }

    static QTemporaryDir* videos;
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
    EXPECT_TRUE(
        out.contains(QStringLiteral("Nouvelles entrées : 1         Nombre Total : 2         Doublons détecté : 1")))
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
    ASSERT_EQ(list.Count(), 2);                                // sub-folders explored, as stored
    EXPECT_TRUE(list.GetItem(0).strTranslatedTitle.isEmpty()); // titles off, as stored

    const QString amc2 = target.filePath(QStringLiteral("autre.amc"));
    ASSERT_EQ(cli({QStringLiteral("--sans-sous-repertoires"), videos->path(), amc2}), 0);
    list.LoadFromFile(amc2);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(Cli, RefusesToStartWithAClearMessage)
{
    QTemporaryDir target;
    ASSERT_EQ(mkfifo(QFile::encodeName(target.filePath(QStringLiteral("tube.amc"))).constData(), 0644), 0);
    ASSERT_EQ(mkfifo(QFile::encodeName(target.filePath(QStringLiteral("tube.xml"))).constData(), 0644), 0);
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
        {"folder that is a file", {broken.fileName(), target.filePath(QStringLiteral("f.xml"))},
            QStringLiteral("n'est pas un dossier"), 1},
        // Named pipes would block the load for ever.
        {"pipe as AMC catalogue", {videos->path(), target.filePath(QStringLiteral("tube.amc"))},
            QStringLiteral("Chargement du catalogue à compléter impossible"), 1},
        {"pipe as XML catalogue", {videos->path(), target.filePath(QStringLiteral("tube.xml"))},
            QStringLiteral("Le fichier catalogue renseigné n'est pas compatible"), 1},
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

TEST_F(Cli, ArgumentsAfterADoubleDashAreNotOptions)
{
    QTemporaryDir work;
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("-films")));
    QFile::copy(
        videos->filePath(QStringLiteral("Premier.Film.2004.mp4")), work.filePath(QStringLiteral("-films/F.mp4")));
    QProcess inWork;
    inWork.setWorkingDirectory(work.path());
    ASSERT_EQ(cli(inWork, {QStringLiteral("--"), QStringLiteral("-films"), QStringLiteral("-f.xml")}), 0)
        << err.toStdString();
    EXPECT_EQ(XmlCatalogue::loadFile(work.filePath(QStringLiteral("-f.xml")))->movieCount(), 1);
}

TEST_F(Cli, SettingsProblemsAreToldInTermsOfTheSettingsFile)
{
    QTemporaryDir target;
    writeOptions("[General]\nDoublons=1\nChoisirUrl=0\n");
    ASSERT_EQ(cli({videos->path(), target.filePath(QStringLiteral("a.xml"))}), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("\"ChoisirUrl=1\""))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("Décocher"))) << err.toStdString();

    // A named pipe in the place of options.ini: the defaults, and the run goes on.
    ASSERT_TRUE(QFile::remove(app.filePath(QStringLiteral("options.ini"))));
    ASSERT_EQ(mkfifo(QFile::encodeName(app.filePath(QStringLiteral("options.ini"))).constData(), 0644), 0);
    EXPECT_EQ(cli({videos->path(), target.filePath(QStringLiteral("b.xml"))}), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("Les paramètres par défaut sont utilisés"))) << err.toStdString();
    EXPECT_EQ(XmlCatalogue::loadFile(target.filePath(QStringLiteral("b.xml")))->movieCount(), 1);
}

// Run in a terminal 80 columns wide: the bar fits it, and names that hold
// escape sequences are printed escaped, in the bar as in the log lines.
TEST_F(Cli, TerminalOutputFitsAndShowsNamesSafely)
{
    QTemporaryDir folder, target;
    const QString hostile = QStringLiteral("film\x1B]0;TITRE\x07\x1B[2J");
    QFile::copy(
        videos->filePath(QStringLiteral("Premier.Film.2004.mp4")), folder.filePath(hostile + QStringLiteral(".mkv")));
    for (int i = 0; i < 20; ++i)
        QFile::copy(videos->filePath(QStringLiteral("Premier.Film.2004.mp4")),
            folder.filePath(
                QStringLiteral("Un film au nom bien trop long pour tenir sur une ligne de terminal %1.mp4").arg(i)));
    // Logged, as a file that cannot be read.
    QFile::link(QStringLiteral("/nonexistent"), folder.filePath(hostile + QStringLiteral(".avi")));

    const QString command = QStringLiteral("stty cols 80 rows 24; '%1' '%2' '%3'")
                                .arg(program(), folder.path(), target.filePath(QStringLiteral("films.amc")));
    QProcess p;
    p.start(QStringLiteral("script"), {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0);
    const QString shown = QString::fromUtf8(p.readAllStandardOutput());

    EXPECT_FALSE(shown.contains(QStringLiteral("\x1B]0;"))) << shown.toStdString();
    EXPECT_FALSE(shown.contains(QStringLiteral("\x1B[2J")));
    EXPECT_TRUE(shown.contains(QStringLiteral("film\\e]0;TITRE\\x07\\e[2J.avi"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Nouvelles entrées : 21")));
    int bars = 0;
    for (QString piece : shown.split(QRegularExpression(QStringLiteral("[\r\n]")))) {
        piece.remove(QStringLiteral("\x1B[K"));
        if (!piece.startsWith(QLatin1Char('[')))
            continue;
        ++bars;
        EXPECT_LT(piece.size(), 80) << piece.toStdString();
        EXPECT_FALSE(piece.contains(QChar(0x1B))) << piece.toStdString();
    }
    EXPECT_GT(bars, 20);
    // Not on a terminal: no bar at all.
    ASSERT_EQ(cli({folder.path(), target.filePath(QStringLiteral("autre.amc"))}), 0);
    EXPECT_FALSE(err.contains(QStringLiteral("\x1B[K"))) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("film\\e]0;TITRE\\x07\\e[2J.avi")));
}

// Ctrl-C stops after the current file and says what a second one does; the
// second one ends the program at once and leaves the last save whole.
TEST_F(Cli, SecondInterruptLeavesAWholeCatalogue)
{
    QTemporaryDir folder, target;
    const QString amc = target.filePath(QStringLiteral("films.amc"));
    QProcess p;
    interruptOnceWritten(p, folder, amc);
    if (HasFatalFailure())
        return;
    QString errors;
    while (!errors.contains(QStringLiteral("second Ctrl-C")) && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        errors += QString::fromUtf8(p.readAllStandardError());
    }
    EXPECT_TRUE(errors.contains(QStringLiteral("Un second Ctrl-C l'arrête tout de suite"))) << errors.toStdString();
    if (p.state() == QProcess::Running)
        ::kill(p.processId(), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    TMovieList list;
    EXPECT_NO_THROW(list.LoadFromFile(amc));
    EXPECT_GT(list.Count(), 0);
    EXPECT_LT(list.Count(), 400);
}

// One Ctrl-C: the run ends after the current file, the catalogue written so
// far is kept, and the status says the run was interrupted.
TEST_F(Cli, AnInterruptedScanEndsWithStatus130)
{
    QTemporaryDir folder, target;
    const QString amc = target.filePath(QStringLiteral("films.amc"));
    QProcess p;
    interruptOnceWritten(p, folder, amc);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    TMovieList list;
    EXPECT_NO_THROW(list.LoadFromFile(amc));
    EXPECT_GT(list.Count(), 0);
}

// Ctrl-C at a terminal reaches the whole process group: the files being
// analysed by the helpers are not reported as failures. A killed scan leaves
// no helper behind.
TEST_F(Cli, HelpersOutliveNoScanAndLetCtrlCStopItCleanly)
{
    {
        QTemporaryDir folder, target;
        const QString amc = target.filePath(QStringLiteral("films.amc"));
        fourHundredFilms(folder);
        QProcess p;
        // setsid runs the program as the leader of a process group of its own.
        p.start(QStringLiteral("setsid"), {program(), QStringLiteral("-j"), QStringLiteral("4"), folder.path(), amc});
        ASSERT_TRUE(p.waitForStarted());
        while (!QFileInfo::exists(amc) && p.state() == QProcess::Running)
            QThread::msleep(5);
        ::kill(-pid_t(p.processId()), SIGINT);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 130);
        const QString shown = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_FALSE(shown.contains(QStringLiteral("Fichier non traité"))) << shown.toStdString();
        TMovieList list;
        EXPECT_NO_THROW(list.LoadFromFile(amc));
        EXPECT_GT(list.Count(), 0);
        EXPECT_EQ(analysisHelpersRunningFrom(app.path()), 0);
    }
    {
        QTemporaryDir folder, target;
        fourHundredFilms(folder);
        QProcess p;
        start(p, {QStringLiteral("-j"), QStringLiteral("4"), folder.path(), target.filePath(QStringLiteral("f.xml"))});
        ASSERT_TRUE(p.waitForStarted());
        while (analysisHelpersRunningFrom(app.path()) == 0 && p.state() == QProcess::Running)
            QThread::msleep(2);
        ASSERT_GT(analysisHelpersRunningFrom(app.path()), 0) << "the scan ended before its helpers were seen";
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished(10000);
        QElapsedTimer waited;
        waited.start();
        while (analysisHelpersRunningFrom(app.path()) > 0 && waited.elapsed() < 5000)
            QThread::msleep(10);
        EXPECT_EQ(analysisHelpersRunningFrom(app.path()), 0);
    }
}

// A run whose every file fails says how many and ends with status 3.
TEST_F(Cli, FilesThatFailAreCountedAndNoneCataloguedIsAFailure)
{
    // A helper that says it is ready and ends: every file it is given fails.
    QFile::remove(app.filePath(QStringLiteral("filmarch-analyse")));
    writeFile(app.filePath(QStringLiteral("filmarch-analyse")), "#!/bin/sh\nprintf '\\001\\000\\000\\000R'\n");
    QFile::setPermissions(app.filePath(QStringLiteral("filmarch-analyse")), QFile::ReadOwner | QFile::ExeOwner);
    QTemporaryDir target;
    EXPECT_EQ(cli({QStringLiteral("-r"), videos->path(), target.filePath(QStringLiteral("f.xml"))}), 3)
        << err.toStdString();
    // The text file too: without a helper, nothing says it is not a film.
    EXPECT_TRUE(out.contains(QStringLiteral("Fichiers non traités : 3"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("aucune video"))) << out.toStdString();
}

// Bundled short options, -q (errors only), and no cursor codes on a terminal
// that takes none.
TEST_F(Cli, QuietBundledOptionsAndADumbTerminal)
{
    QTemporaryDir target;
    EXPECT_EQ(cli({QStringLiteral("-rq"), videos->path(), target.filePath(QStringLiteral("a.xml"))}), 0)
        << err.toStdString();
    EXPECT_EQ(out + err, QString());
    EXPECT_EQ(XmlCatalogue::loadFile(target.filePath(QStringLiteral("a.xml")))->movieCount(), 2) << "-r was taken";
    EXPECT_EQ(cli({QStringLiteral("-rqx"), videos->path(), target.filePath(QStringLiteral("b.xml"))}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("option inconnue « -x »"))) << err.toStdString();

    const QString command = QStringLiteral("TERM=dumb '%1' '%2' '%3'")
                                .arg(program(), videos->path(), target.filePath(QStringLiteral("c.amc")));
    QProcess p;
    p.start(QStringLiteral("script"), {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString shown = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(shown.contains(QStringLiteral("Nouvelles entrées : "))) << shown.toStdString();
    EXPECT_FALSE(shown.contains(QChar(0x1B))) << shown.toStdString();

    EXPECT_EQ(cli({QStringLiteral("--help")}), 0);
    for (const char* status : {"  0 ", "  1 ", "  2 ", "  3 ", "  130 "})
        EXPECT_TRUE(out.contains(QLatin1String(status))) << status;
    EXPECT_EQ(cli({QStringLiteral("-V")}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("filmarch-cli " FILMARCH_VERSION "\nCopyright © 2026 ")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("GPL version 3")));
}
