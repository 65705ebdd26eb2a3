// The analysis on real folders: what each side lists, the pairing of names,
// the messages and log lines, the remembered folders.
#include "SyncFixture.h"
#include "Unreadable.h"
#include "support/FileBytes.h"
#include "sync/Listing.h"
#include "sync/SyncSettings.h"

#include <QRandomGenerator>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class Analysis : public SyncFixture {};

const QString backupInRef = QStringLiteral("Le répertoire de sauvegarde se trouve dans le répertoire de "
                                           "référence : choisir deux répertoires dont aucun ne contient l'autre");
const QString refInBackup = QStringLiteral("Le répertoire de référence se trouve dans le répertoire de "
                                           "sauvegarde : choisir deux répertoires dont aucun ne contient l'autre");

SyncEntry entry(const QString& name, int tag)
{
    return SyncEntry {name, QString::number(tag), false, name.toUtf8(), {}, 0};
}

// The comparison as first described: every reference entry, from the last,
// scans the backup list from its last entry and deletes the first match.
void quadraticComparaison(SyncList& list1, SyncList& list2)
{
    for (int i = int(list1.size()) - 1; i >= 0; --i)
        for (int j = int(list2.size()) - 1; j >= 0; --j)
            if (list2[j].name == list1[i].name) {
                list1.erase(list1.begin() + i);
                list2.erase(list2.begin() + j);
                break;
            }
}

QStringList tags(const SyncList& list)
{
    QStringList out;
    for (const SyncEntry& e : list)
        out << e.name + QLatin1Char('@') + e.folder;
    return out;
}

} // namespace

TEST_F(Analysis, ListsWhatEachSideLacks)
{
    const struct {
        const char* name;
        std::vector<const char*> files;
        bool sousRep;
        std::vector<const char*> left, right;
    } cases[] = {
        {"one file on each side", {"ref/a.mkv", "ref/b.mkv", "save/b.mkv", "save/c.mkv"}, false, {"ref/a.mkv"},
            {"save/c.mkv"}},
        {"letter case counts", {"ref/A.mkv", "save/a.mkv"}, false, {"ref/A.mkv"}, {"save/a.mkv"}},
        {"sub-folders ignored", {"ref/sous/a.mkv", "ref/b.mkv", "save/b.mkv", "save/autre/c.mkv"}, false, {}, {}},
        {"sub-folders compared by name only", {"ref/x/a.mkv", "ref/b.mkv", "save/y/a.mkv", "save/z/c.mkv"}, true,
            {"ref/b.mkv"}, {"save/z/c.mkv"}},
        {"hidden files", {"ref/.cachée.mkv", "save/.autre"}, false, {"ref/.cachée.mkv"}, {"save/.autre"}},
        {"temporary files of copies are never listed",
            {"ref/.filmarch-copie-Ab12Cd", "save/.filmarch-copie-Xy34Zw", "ref/.filmarch-copie-film.mkv"}, false,
            {"ref/.filmarch-copie-film.mkv"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(ref()).removeRecursively();
        QDir(save()).removeRecursively();
        QDir().mkpath(ref());
        QDir().mkpath(save());
        makeFiles(c.files);
        analyse(c.sousRep);
        EXPECT_EQ(relativePaths(tool->LVFichiersNonSauv), L(c.left));
        EXPECT_EQ(relativePaths(tool->LVFichiersManquants), L(c.right));
    }
}

TEST_F(Analysis, ADuplicateNameInTheReferenceKeepsOneEntry)
{
    makeFiles({"ref/x/a.mkv", "ref/y/a.mkv", "save/a.mkv"});
    analyse(true);
    ASSERT_EQ(tool->LVFichiersNonSauv.size(), 1u);
    EXPECT_EQ(tool->LVFichiersNonSauv[0].name, QStringLiteral("a.mkv"));
    EXPECT_TRUE(tool->LVFichiersManquants.empty());
    // Entries carry the folder, ending with a separator, as their sub-item.
    const QString folder = tool->LVFichiersNonSauv[0].folder;
    EXPECT_TRUE(folder == ref() + QStringLiteral("/x/") || folder == ref() + QStringLiteral("/y/"))
        << folder.toStdString();
}

TEST_F(Analysis, ListingIsTheReverseOfDiscoveryWithSubFoldersListedWhereMet)
{
    makeFiles({"ref/1.mkv", "ref/s/2.mkv", "ref/s/t/3.mkv", "ref/4.mkv", "ref/u/5.mkv"});
    // The order the system gives, depth first.
    QStringList discovery;
    for (auto it = std::filesystem::recursive_directory_iterator(ref().toStdString());
         it != std::filesystem::recursive_directory_iterator(); ++it)
        if (!it->is_directory())
            discovery.prepend(QString::fromStdString(it->path().string()));
    SyncList list;
    EXPECT_EQ(Listing(ref() + QLatin1Char('/'), list, true).files, 5);
    QStringList listed;
    for (const SyncEntry& e : list)
        listed << e.fullPath();
    EXPECT_EQ(listed, discovery);
}

TEST_F(Analysis, PairingMatchesTheQuadraticRuleExactly)
{
    // Names from a small set, so that most of them repeat on both sides.
    QRandomGenerator random(14);
    for (int round = 0; round < 50; ++round) {
        SyncList list1, list2;
        for (int k = 0, n = random.bounded(30); k < n; ++k)
            list1.push_back(entry(QString::number(random.bounded(8)), k));
        for (int k = 0, n = random.bounded(30); k < n; ++k)
            list2.push_back(entry(QString::number(random.bounded(8)), 100 + k));
        SyncList expected1 = list1, expected2 = list2;
        quadraticComparaison(expected1, expected2);
        Comparaison(list1, list2);
        ASSERT_EQ(tags(list1), tags(expected1)) << "round " << round;
        ASSERT_EQ(tags(list2), tags(expected2)) << "round " << round;
    }
}

TEST_F(Analysis, TreesLeaveWhatTheirListedEntriesLeave)
{
    // Names repeated across folders in unequal numbers on each side, a
    // difference of letter case only, and names that are not text: two of
    // them ("\xfe" and "\xfd") read alike once shown, yet differ.
    makeFiles({"ref/a/x.mkv", "ref/b/x.mkv", "ref/c/x.mkv", "ref/x.mkv", "save/d/x.mkv", "save/x.mkv", "ref/y.mkv",
        "save/e/y.mkv", "save/f/y.mkv", "save/y.mkv", "ref/A.mkv", "save/a.mkv"});
    const QByteArray notText[] = {"ref/\xff.mkv", "ref/b/\xfe.mkv", "save/\xff.mkv", "save/e/\xfd.mkv"};
    // Qt cannot name these, so the temporary folder would keep them.
    struct RemovedAtEnd {
        std::vector<QByteArray> paths;
        ~RemovedAtEnd()
        {
            for (const QByteArray& p : paths)
                ::unlink(p.constData());
        }
    } removed;
    for (const QByteArray& name : notText) {
        removed.paths.push_back(QFile::encodeName(root.path()) + '/' + name);
        ASSERT_EQ(::close(::open(removed.paths.back().constData(), O_CREAT | O_WRONLY, 0644)), 0);
    }
    analyse(true);

    SyncList list1, list2;
    Listing(ref(), list1, true);
    Listing(save(), list2, true);
    Comparaison(list1, list2);
    const auto paths = [](const SyncList& list) {
        std::vector<std::string> out;
        for (const SyncEntry& e : list)
            out.push_back(e.nativePath().toStdString());
        return out;
    };
    EXPECT_EQ(paths(tool->LVFichiersNonSauv), paths(list1));
    EXPECT_EQ(paths(tool->LVFichiersManquants), paths(list2));
    EXPECT_EQ(tags(tool->LVFichiersNonSauv), tags(list1));
    EXPECT_EQ(tags(tool->LVFichiersManquants), tags(list2));

    const auto names = [](const SyncList& list) {
        std::vector<std::string> out;
        for (const SyncEntry& e : list)
            out.push_back(e.nativeName.toStdString());
        std::sort(out.begin(), out.end());
        return out;
    };
    EXPECT_EQ(names(tool->LVFichiersNonSauv), (std::vector<std::string> {"A.mkv", "x.mkv", "x.mkv", "\xfe.mkv"}));
    EXPECT_EQ(names(tool->LVFichiersManquants), (std::vector<std::string> {"a.mkv", "y.mkv", "y.mkv", "\xfd.mkv"}));
}

TEST_F(Analysis, MessagesAndLogLines)
{
    makeFiles({"ref/a.mkv", "fichier"});
    const struct {
        const char* name;
        QString ref, save, message;
    } refusals[] = {
        {"empty reference field", {}, save(), QStringLiteral("Renseigner un rep de sauv et de ref")},
        {"empty backup field", ref(), {}, QStringLiteral("Renseigner un rep de sauv et de ref")},
        {"missing folder", path(QStringLiteral("absent")), save(),
            QStringLiteral("Au moins un des deux répertoires renseignés n'est pas valide")},
        {"a file, not a folder", ref(), path(QStringLiteral("fichier")),
            QStringLiteral("Au moins un des deux répertoires renseignés n'est pas valide")},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        EXPECT_NE(tool->BtLanceAnalyseClick(c.ref, c.save, false), AnalysisOutcome::Done);
        EXPECT_EQ(dialogs.messages, QStringList {c.message});
    }
    EXPECT_TRUE(log.isEmpty());

    analyse();
    EXPECT_EQ(log,
        (QStringList {QStringLiteral("Début de tache de synchronisation"),
            QStringLiteral("        Repertoire de référence : ") + ref(),
            QStringLiteral("        Repertoire de sauvegarde : ") + save(), QString()}));
    // The empty line goes to the Log page only; the file has the three lines.
    QFile file(tool->FichierLog);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count('\n'), 3);
    EXPECT_EQ(tool->FichierLog, Journal::logFilePath(AppPaths::beside(app.path())));

    // A failed analysis after a good one leaves both lists empty.
    EXPECT_EQ(tool->BtLanceAnalyseClick(ref(), path(QStringLiteral("absent")), false), AnalysisOutcome::InvalidFolder);
    EXPECT_TRUE(tool->LVFichiersNonSauv.empty());
}

TEST_F(Analysis, AnEmptyReferenceDisablesTheDeletion)
{
    makeFiles({"ref/sous/a.mkv", "save/b.mkv"});
    analyse(false); // the reference holds a folder, no file
    EXPECT_FALSE(tool->deletionAllowed());
    EXPECT_TRUE(logged(QStringLiteral("Le répertoire de référence est vide : la suppression est désactivée.")));
    tickAll(tool->LVFichiersManquants);
    tool->BtLancerActionsClick({false, false, true});
    EXPECT_EQ(dialogs.messages,
        QStringList {
            QStringLiteral("La suppression est désactivée : le répertoire de référence ne contient aucun fichier")});
    EXPECT_EQ(view.confirmations, 0);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("save/b.mkv"))));

    analyse(true);
    EXPECT_TRUE(tool->deletionAllowed());
}

TEST_F(Analysis, AFolderThatCannotBeReadLeavesNoDeletionList)
{
    const struct {
        const char* name;
        const char* unreadable;
        std::vector<const char*> left;
    } cases[] = {
        // Unseen, the reference's a.mkv would have offered the backup's for deletion.
        {"a reference sub-folder", "ref/films", {}},
        {"the reference itself", "ref", {}},
        {"a backup sub-folder", "save/vieux", {"ref/b.mkv"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        makeFiles({"ref/films/a.mkv", "ref/b.mkv", "save/a.mkv", "save/vieux/b.mkv", "save/c.mkv"});
        openToEveryone(root.path());
        openToEveryone(app.path());
        dialogs.messages.clear();
        log.clear();
        const QString folder = path(QString::fromUtf8(c.unreadable)) + QLatin1Char('/');
        {
            UnreadableFolder unreadable(folder);
            AsNobody nobody;
            if (nobody.refused)
                GTEST_SKIP() << "root may not become nobody here, and permissions do not stop root";
            analyse(true);
            tickAll(tool->LVFichiersManquants);
            tool->BtLancerActionsClick({false, false, true});
        }
        EXPECT_FALSE(tool->listingComplete());
        EXPECT_FALSE(tool->deletionAllowed());
        EXPECT_EQ(relativePaths(tool->LVFichiersNonSauv), L(c.left));
        EXPECT_TRUE(tool->LVFichiersManquants.empty());
        EXPECT_EQ(log.filter(QStringLiteral("        Lecture impossible : ") + folder + QStringLiteral(" (")).size(), 1)
            << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(
            log.filter(QStringLiteral("Analyse incomplète : aucun fichier n'est proposé à la suppression")).size()
            == 1);
        EXPECT_EQ(dialogs.messages,
            (QStringList {QStringLiteral("L'analyse est incomplète : ") + folder
                    + QStringLiteral(" n'a pas pu être lu. Aucun fichier n'est proposé à la suppression."),
                QStringLiteral("Aucun fichier n'est sélectionné pour la suppression")}));
        EXPECT_EQ(view.confirmations, 0);
        EXPECT_EQ(filesBelow(save()), L({"a.mkv", "c.mkv", "vieux/b.mkv"}));
    }
}

TEST_F(Analysis, OneFolderInsideTheOtherIsRefused)
{
    makeFiles({"ref/a.mkv", "ref/dedans/b.mkv", "save/c.mkv", "ref2/d.mkv"});
    ASSERT_TRUE(QFile::link(ref(), path(QStringLiteral("lien"))));
    const struct {
        const char* name;
        QString ref, save, message;
    } cases[] = {
        {"backup inside the reference", ref(), path(QStringLiteral("ref/dedans")), backupInRef},
        {"reference inside the backup", path(QStringLiteral("ref/dedans/")), ref(), refInBackup},
        {"inside through a link", path(QStringLiteral("lien/dedans")), ref(), refInBackup},
        {"the same folder through a link", ref(), path(QStringLiteral("lien/")),
            QStringLiteral("Le répertoire de référence et le répertoire de sauvegarde sont un seul et même "
                           "répertoire : choisir deux répertoires distincts")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        analyse(true);
        log.clear();
        dialogs.messages.clear();
        EXPECT_EQ(tool->BtLanceAnalyseClick(c.ref, c.save, true), AnalysisOutcome::NestedFolders);
        EXPECT_EQ(dialogs.messages, QStringList {c.message});
        EXPECT_TRUE(tool->LVFichiersNonSauv.empty() && tool->LVFichiersManquants.empty());
        EXPECT_FALSE(tool->deletionAllowed());
        EXPECT_TRUE(log.isEmpty());
    }
    // A name that only begins like the other's is a folder apart.
    EXPECT_EQ(tool->BtLanceAnalyseClick(ref(), path(QStringLiteral("ref2")), true), AnalysisOutcome::Done);
}

TEST_F(Analysis, LinksOnEitherSideAreLoggedAndLeftAlone)
{
    makeFiles(
        {"ref/a.mkv", "ref/c.mkv", "dehors/SF/x.mkv", "dehors/secret", "save/SF/x.mkv", "save/secret", "save/b.mkv"});
    // A linked folder in the reference, the files the backup holds under that
    // name, a linked file, and a link in the backup named like a reference file.
    ASSERT_TRUE(QFile::link(path(QStringLiteral("dehors/SF")), path(QStringLiteral("ref/SF"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("dehors/secret")), path(QStringLiteral("ref/secret"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("dehors/secret")), path(QStringLiteral("save/c.mkv"))));
    analyse(true);
    EXPECT_EQ(relativePaths(tool->LVFichiersNonSauv), L({"ref/a.mkv", "ref/c.mkv"}));
    EXPECT_EQ(relativePaths(tool->LVFichiersManquants), L({"save/b.mkv"}));
    for (const char* link : {"ref/SF", "ref/secret", "save/c.mkv"})
        EXPECT_EQ(log.count(QStringLiteral("        Lien ignoré : ") + path(QString::fromUtf8(link))), 1) << link;
    EXPECT_TRUE(logged(QStringLiteral("        3 liens ignorés")));

    tickAll(tool->LVFichiersNonSauv);
    tickAll(tool->LVFichiersManquants);
    tool->BtLancerActionsClick({true, true, true});
    // The backup's link is neither replaced nor written through.
    EXPECT_TRUE(logged(QStringLiteral("        Echec de la copie de ") + path(QStringLiteral("ref/c.mkv"))
        + QStringLiteral(" : la destination est un lien symbolique")));
    EXPECT_EQ(filesBelow(save()), L({"SF/x.mkv", "a.mkv", "c.mkv", "secret"}));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("save/c.mkv"))).isSymLink());
    EXPECT_EQ(filesBelow(path(QStringLiteral("dehors"))), L({"SF/x.mkv", "secret"}));
    EXPECT_EQ(read(path(QStringLiteral("dehors/secret"))), QByteArray("dehors/secret"));
}

// Runs `analysis` in a child of its own mount namespace, where `what` is
// bind-mounted on `where`; returns the child's exit status, or -1 when mounts
// cannot be made here.
int withBindMount(const QString& what, const QString& where, const std::function<bool()>& analysis)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount(
                   QFile::encodeName(what).constData(), QFile::encodeName(where).constData(), nullptr, MS_BIND, nullptr)
                != 0)
            ::_exit(77);
        ::_exit(analysis() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 2;
    return WEXITSTATUS(status) == 77 ? -1 : WEXITSTATUS(status);
}

TEST_F(Analysis, OneFolderMountedInsideTheOtherIsRefused)
{
    makeFiles({"ref/a.mkv", "ref/montage/rien", "save/b.mkv", "save/montage/rien"});
    const struct {
        const char* name;
        QString what, where;
        bool sousRep;
        QString message;
    } cases[] = {
        {"the backup in the reference", save(), path(QStringLiteral("ref/montage")), true, backupInRef},
        {"the reference in the backup", ref(), path(QStringLiteral("save/montage")), true, refInBackup},
        {"without sub-folders", save(), path(QStringLiteral("ref/montage")), false, backupInRef},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int status = withBindMount(c.what, c.where, [&] {
            return tool->BtLanceAnalyseClick(ref(), save(), c.sousRep) == AnalysisOutcome::NestedFolders
                && dialogs.messages == QStringList {c.message} && tool->LVFichiersNonSauv.empty()
                && tool->LVFichiersManquants.empty() && !tool->deletionAllowed();
        });
        if (status < 0)
            GTEST_SKIP() << "mounts cannot be made here";
        EXPECT_EQ(status, 0);
    }
}

TEST_F(Analysis, FoldersAreRememberedInTheSynchroSection)
{
    const QString iniPath = QDir(app.path()).filePath(QStringLiteral("options.ini"));
    writeFile(iniPath, "[General]\nDoublons=0\n[Synchro]\nDernierRepRef=/films\n");
    SyncFolders read = readSyncFolders(AppPaths::beside(app.path()));
    EXPECT_EQ(read.DernierRepRef, QStringLiteral("/films"));
    EXPECT_TRUE(read.DernierRepSauv.isEmpty());

    writeSyncFolders(AppPaths::beside(app.path()), {QString(), QStringLiteral("/sauvé")});
    read = readSyncFolders(AppPaths::beside(app.path()));
    EXPECT_TRUE(read.DernierRepRef.isEmpty());
    EXPECT_EQ(read.DernierRepSauv, QStringLiteral("/sauvé"));
    EXPECT_TRUE(readFile(iniPath).startsWith("[General]\nDoublons=0\n"));
}
