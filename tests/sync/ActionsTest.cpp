// Copies and deletions of real files: where copies land, what "Arrêter" and
// failures leave behind, what the confirmation decides, what stays safe.
#include "SyncFixture.h"

#include "platform/FileDescriptor.h"

#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

using namespace filmarch;
using namespace filmarch::test;

namespace {
class Actions : public SyncFixture {
protected:
    void copyAll(bool keepTree)
    {
        tickAll(tool->LVFichiersNonSauv);
        tool->BtLancerActionsClick({true, keepTree, false});
    }
};
} // namespace

TEST_F(Actions, TreeKeepingCopyIsAPathWhateverTheTrailingSeparators)
{
    const struct {
        const char* name;
        QString ref, save;
    } cases[] = {
        {"reference with a separator, backup without", QStringLiteral("ref/"), QStringLiteral("save")},
        {"backup with a separator", QStringLiteral("ref"), QStringLiteral("save/")},
        {"neither", QStringLiteral("ref"), QStringLiteral("save")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(save()).removeRecursively();
        QDir().mkpath(save());
        makeFiles({"ref/SF/x.mkv", "ref/SF/deux/y.mkv"});
        ASSERT_EQ(tool->BtLanceAnalyseClick(path(c.ref), path(c.save), true), AnalysisOutcome::Done);
        copyAll(true);
        EXPECT_EQ(filesBelow(save()), L({"SF/deux/y.mkv", "SF/x.mkv"}));
        EXPECT_EQ(read(path(QStringLiteral("save/SF/deux/y.mkv"))), "ref/SF/deux/y.mkv");
        EXPECT_TRUE(tool->LVFichiersNonSauv.empty());
    }
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("saveSF"))));
    EXPECT_EQ(view.tasksFinished, 3);
}

TEST_F(Actions, CopiesKeepPermissionsAndTimesAndLogTheSummary)
{
    makeFiles({"ref/a.mkv"});
    QFile::setPermissions(path(QStringLiteral("ref/a.mkv")), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path(QStringLiteral("ref/a.mkv")).toUtf8().constData(), old, 0), 0);
    analyse();
    copyAll(false);
    struct stat st {};
    ASSERT_EQ(::stat(path(QStringLiteral("save/a.mkv")).toUtf8().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0440u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(view.captions, QStringList {QStringLiteral("Copie du fichier 1/1")});
    EXPECT_EQ(view.positions.last(), 100 * 9 / 10); // 9 bytes: 9 * 100 div 10
    EXPECT_TRUE(logged(QStringLiteral("Début de tache de copie")));
    EXPECT_TRUE(logged(QStringLiteral("        1 fichiers copiès de ") + ref()));
}

TEST_F(Actions, FlatCopyOfTwoSameNamesKeepsTheOneHigherInTheList)
{
    makeFiles({"ref/x/a.mkv", "ref/y/a.mkv"});
    analyse(true);
    ASSERT_EQ(tool->LVFichiersNonSauv.size(), 2u);
    const QString top = tool->LVFichiersNonSauv[0].fullPath();
    copyAll(false);
    EXPECT_EQ(filesBelow(save()), QStringList {QStringLiteral("a.mkv")});
    EXPECT_EQ(read(path(QStringLiteral("save/a.mkv"))), read(top));
    EXPECT_TRUE(logged(QStringLiteral("        2 fichiers copiès de ") + ref()));
}

TEST_F(Actions, StopDuringTheFirstOfThreeCopiesLeavesNoPartialFile)
{
    makeFiles({"ref/gros.mkv"}, QByteArray(3 << 20, 'g')); // several chunks
    makeFiles({"ref/b.mkv", "ref/c.mkv"});
    analyse();
    tickAll(tool->LVFichiersNonSauv);
    // "Arrêter" once the first chunk of the first copy is written.
    view.onPosition = [this](int percent) {
        if (percent > 0)
            tool->stop = true;
    };
    std::swap(tool->LVFichiersNonSauv.back(),
        *std::find_if(tool->LVFichiersNonSauv.begin(), tool->LVFichiersNonSauv.end(),
            [](const SyncEntry& e) { return e.name == QStringLiteral("gros.mkv"); }));
    const CopyReport report = tool->copyTask(false);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.count, 3);
    EXPECT_TRUE(report.failures.isEmpty());
    EXPECT_TRUE(tool->LVFichiersNonSauv.empty());
    EXPECT_TRUE(filesBelow(save()).isEmpty()); // no temporary file either
    EXPECT_TRUE(logged(QStringLiteral("        0 fichiers copiès de ") + ref()));
    EXPECT_TRUE(logged(QStringLiteral("        Copie arrêtée : 3 fichiers n'ont pas été copiés")));

    // The next task starts with the flag cleared.
    view.onPosition = nullptr;
    analyse();
    copyAll(false);
    EXPECT_EQ(filesBelow(save()), L({"b.mkv", "c.mkv", "gros.mkv"}));
    EXPECT_EQ(QFileInfo(path(QStringLiteral("save/gros.mkv"))).size(), 3 << 20);
    EXPECT_TRUE(logged(QStringLiteral("        3 fichiers copiès de ") + ref()));
}

TEST_F(Actions, FailedCopiesAreLoggedWithTheirPathAndLeaveNothingBehind)
{
    makeFiles({"ref/a.mkv", "ref/b.mkv", "ref/c.mkv", "save/a.mkv/occupé", "dehors/rien"});
    ASSERT_EQ(::mkfifo(path(QStringLiteral("ref/tube")).toUtf8().constData(), 0600), 0);
    // The backup's SF leads outside the backup folder; its AUTRE is a file.
    makeFiles({"ref/SF/d.mkv", "ref/SF/deux/trois/e.mkv", "ref/AUTRE/f.mkv", "save/AUTRE"});
    ASSERT_TRUE(QFile::link(path(QStringLiteral("dehors")), path(QStringLiteral("save/SF"))));
    analyse(true);
    const CopyReport report = [&] {
        tickAll(tool->LVFichiersNonSauv);
        return tool->copyTask(true);
    }();
    EXPECT_EQ(report.count, 7);
    EXPECT_EQ(report.copied, 2);
    ASSERT_EQ(report.failures.size(), 5) << report.failures.join(QLatin1Char('\n')).toStdString();
    for (const char* failed : {"ref/a.mkv", "ref/tube", "ref/SF/d.mkv", "ref/SF/deux/trois/e.mkv", "ref/AUTRE/f.mkv"}) {
        const QString start =
            QStringLiteral("        Echec de la copie de ") + path(QString::fromUtf8(failed)) + QStringLiteral(" : ");
        EXPECT_EQ(log.filter(start).size(), 1) << failed;
    }
    EXPECT_EQ(filesBelow(save()), L({"AUTRE", "a.mkv/occupé", "b.mkv", "c.mkv"}));
    // Not a folder made through the link.
    EXPECT_EQ(QDir(path(QStringLiteral("dehors"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("rien")});
    EXPECT_TRUE(logged(QStringLiteral("        2 fichiers copiès de ") + ref()));
    EXPECT_TRUE(logged(QStringLiteral("        5 fichiers n'ont pas pu être copiés")));
}

TEST_F(Actions, AKilledCopyLeavesATemporaryThatListingsSkipAndTheNextCopyRemoves)
{
    makeFiles({"ref/gros.mkv"}, QByteArray(3 << 20, 'g'));
    makeFiles({"ref/SF/petit.mkv"});
    // A copy killed once its first chunk is written.
    struct KillAtFirstChunk : CopyProgress {
        void setPosition(int percent) override
        {
            if (percent > 0)
                ::kill(::getpid(), SIGKILL);
        }
        void processEvents() override {}
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        KillAtFirstChunk killer;
        const std::atomic<bool> stop {false};
        const FileDescriptor from(::open(QFile::encodeName(ref()).constData(), O_RDONLY | O_DIRECTORY));
        const FileDescriptor to(::open(QFile::encodeName(save()).constData(), O_RDONLY | O_DIRECTORY));
        copyFileChunked(from.get(), "gros.mkv", to.get(), "gros.mkv", stop, &killer);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    const QStringList left = filesBelow(save());
    ASSERT_EQ(left.size(), 1);
    EXPECT_TRUE(left[0].startsWith(QStringLiteral(".filmarch-copie-")));
    // The temporary of a copy still running (it holds the lock) must stay.
    makeFiles({"save/SF/.filmarch-copie-enCour"});
    const int running = ::open(QFile::encodeName(path(QStringLiteral("save/SF/.filmarch-copie-enCour"))), O_RDONLY);
    ASSERT_EQ(::flock(running, LOCK_EX), 0);

    analyse(true);
    EXPECT_EQ(relativePaths(tool->LVFichiersNonSauv), L({"ref/SF/petit.mkv", "ref/gros.mkv"}));
    EXPECT_TRUE(tool->LVFichiersManquants.empty());
    copyAll(true);
    ::close(running);
    EXPECT_EQ(filesBelow(save()), L({"SF/.filmarch-copie-enCour", "SF/petit.mkv", "gros.mkv"}));
    EXPECT_EQ(QFileInfo(path(QStringLiteral("save/gros.mkv"))).size(), 3 << 20);
}

TEST_F(Actions, ABackupFolderGoneSinceTheAnalysisIsNotMadeAgain)
{
    makeFiles({"ref/SF/a.mkv"});
    analyse(true);
    QDir(save()).removeRecursively();
    copyAll(true);
    EXPECT_FALSE(QFileInfo::exists(save()));
    EXPECT_TRUE(logged(QStringLiteral("        Echec de la copie de ") + path(QStringLiteral("ref/SF/a.mkv"))
        + QStringLiteral(" : le répertoire de sauvegarde n'existe plus")));
}

TEST_F(Actions, DeletionWaitsForTheConfirmation)
{
    makeFiles({"ref/a.mkv", "save/a.mkv", "save/b.mkv", "save/c.mkv"});
    analyse();
    tickAll(tool->LVFichiersManquants);

    view.confirm = false;
    tool->BtLancerActionsClick({false, false, true});
    EXPECT_EQ(view.confirmations, 1);
    EXPECT_EQ(filesBelow(save()), L({"a.mkv", "b.mkv", "c.mkv"}));
    EXPECT_EQ(tool->LVFichiersManquants.size(), 2u);
    EXPECT_EQ(view.tasksFinished, 0); // no "Terminé !": nothing was done
    EXPECT_TRUE(logged(QStringLiteral("Début de tache de suppresion")));
    EXPECT_TRUE(logged(QStringLiteral("        0 fichiers supprimer de ") + save()));
    EXPECT_TRUE(logged(QStringLiteral("        Suppression annulée : aucun fichier n'a été supprimé")));

    view.confirm = true;
    tool->LVFichiersManquants[0].checked = false;
    const QString kept = tool->LVFichiersManquants[0].name;
    tool->BtLancerActionsClick({false, false, true});
    EXPECT_EQ(filesBelow(save()), (QStringList {QStringLiteral("a.mkv"), kept}));
    ASSERT_EQ(tool->LVFichiersManquants.size(), 1u);
    EXPECT_EQ(tool->LVFichiersManquants[0].name, kept);
    EXPECT_TRUE(logged(QStringLiteral("        1 fichiers supprimer de ") + save()));
    EXPECT_EQ(view.tasksFinished, 1);
}

TEST_F(Actions, DeletionNeverGoesThroughAFolderSwappedForALink)
{
    makeFiles({"ref/a.mkv", "dehors/garde.mkv", "save/sous/b.mkv", "save/c.mkv"});
    analyse(true);
    EXPECT_EQ(relativePaths(tool->LVFichiersManquants), L({"save/c.mkv", "save/sous/b.mkv"}));
    tickAll(tool->LVFichiersManquants);
    // After the analysis, the sub-folder is swapped for a link to the outside.
    QDir(path(QStringLiteral("save/sous"))).removeRecursively();
    makeFiles({"dehors/b.mkv"});
    ASSERT_TRUE(QFile::link(path(QStringLiteral("dehors")), path(QStringLiteral("save/sous"))));

    tool->BtLancerActionsClick({false, false, true});
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("save/sous"))).isSymLink());
    EXPECT_EQ(filesBelow(path(QStringLiteral("dehors"))), L({"b.mkv", "garde.mkv"}));
    EXPECT_TRUE(logged(QStringLiteral("        Echec de la suppression de ") + path(QStringLiteral("save/sous/b.mkv"))
        + QStringLiteral(" : le fichier n'est pas dans le répertoire de sauvegarde")));
    EXPECT_TRUE(logged(QStringLiteral("        1 fichiers supprimer de ") + save()));
    EXPECT_TRUE(logged(QStringLiteral("        1 fichiers n'ont pas pu être supprimés")));
}

TEST_F(Actions, CopiesStayInTheFoldersTheyCheckedWhateverIsSwappedMeanwhile)
{
    makeFiles({"ref/SF/a.mkv", "secret/SF/a.mkv", "dehors/rien"});
    const struct {
        const char* name;
        bool duringCopy; // once the copy has its folders, as a racing user's would
        std::function<void()> swap;
    } cases[] = {
        {"a backup folder swapped, its temporary moved along", true,
            [&] {
                ASSERT_TRUE(QDir(save()).rename(QStringLiteral("SF"), QStringLiteral("SF-avant")));
                ASSERT_TRUE(QFile::link(path(QStringLiteral("dehors")), path(QStringLiteral("save/SF"))));
                for (const QString& t : filesBelow(path(QStringLiteral("save/SF-avant"))))
                    ASSERT_TRUE(
                        QFile::rename(path(QStringLiteral("save/SF-avant/") + t), path(QStringLiteral("dehors/")) + t));
            }},
        {"a reference folder swapped once analysed", false,
            [&] {
                ASSERT_TRUE(QDir(ref()).rename(QStringLiteral("SF"), QStringLiteral("SF-avant")));
                ASSERT_TRUE(QFile::link(path(QStringLiteral("secret/SF")), path(QStringLiteral("ref/SF"))));
            }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(save()).removeRecursively();
        QDir(root.path()).mkdir(QStringLiteral("save"));
        QDir(ref()).rename(QStringLiteral("SF-avant"), QStringLiteral("SF"));
        QFile::remove(path(QStringLiteral("ref/SF")));
        makeFiles({"ref/SF/a.mkv"});
        analyse(true);
        ASSERT_EQ(relativePaths(tool->LVFichiersNonSauv), L({"ref/SF/a.mkv"}));
        tickAll(tool->LVFichiersNonSauv);
        bool swapped = false;
        if (c.duringCopy)
            view.onPosition = [&](int) {
                if (!std::exchange(swapped, true))
                    c.swap();
            };
        else
            c.swap();
        const CopyReport report = tool->copyTask(true);
        view.onPosition = nullptr;
        EXPECT_EQ(report.copied, 0);
        EXPECT_EQ(report.failures.size(), 1);
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("dehors/a.mkv"))));
        EXPECT_NE(read(path(QStringLiteral("save/SF/a.mkv"))), QByteArray("secret/SF/a.mkv"));
        for (const QString& t : filesBelow(path(QStringLiteral("dehors"))))
            if (t != QStringLiteral("rien"))
                QFile::remove(path(QStringLiteral("dehors/")) + t);
    }
}

TEST_F(Actions, MessagesWhenNothingIsTicked)
{
    makeFiles({"ref/a.mkv", "save/b.mkv"});
    analyse();
    tool->BtLancerActionsClick({false, false, false});
    // No file ticked for the copy: the deletion still follows.
    tickAll(tool->LVFichiersManquants);
    view.confirm = false;
    tool->BtLancerActionsClick({true, false, true});
    for (SyncEntry& e : tool->LVFichiersManquants)
        e.checked = false;
    tool->BtLancerActionsClick({false, false, true});
    EXPECT_EQ(dialogs.messages,
        L({"Aucune action sélentionné", "Aucun fichier n'est sélectionné pour la copie",
            "Aucun fichier n'est sélectionné pour la suppression"}));
    EXPECT_EQ(view.confirmations, 1);
}
