// filmarch-cli --comparer and --copier on generated trees, run as a user runs
// them: from their own folder, with exit statuses, output and log file.
#include "support/CliSandbox.h"
#include "sync/Unreadable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>

using namespace filmarch::test;

namespace {

class SyncCommands : public ::testing::Test, protected CliSandbox {
protected:
    void SetUp() override
    {
        // reference: a.mkv b.mkv sous/d.mkv    backup: b.mkv c.mkv autre/e.mkv
        for (const char* f :
            {"ref/a.mkv", "ref/b.mkv", "ref/sous/d.mkv", "save/b.mkv", "save/c.mkv", "save/autre/e.mkv"})
            write(QString::fromUtf8(f), f);
    }

    QString path(const QString& relative) const { return trees.filePath(relative); }

    void write(const QString& relative, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile f(path(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    // With `asNobody`, the command runs as nobody when the tests run as root, so
    // that the permissions of a folder count (the folders must be open to it);
    // 126 when it cannot.
    int cli(const QStringList& args, bool asNobody = false)
    {
        QProcess p;
        if (asNobody && ::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            const uid_t uid = nobody ? nobody->pw_uid : 0;
            const gid_t gid = nobody ? nobody->pw_gid : 0;
            p.setChildProcessModifier([uid, gid] {
                if (uid == 0 || ::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                    ::_exit(126);
            });
        }
        return CliSandbox::cli(p, args);
    }

    // Output lines with the temporary folder taken out, sorted.
    QStringList outLines() const
    {
        QStringList lines = QString(out)
                                .replace(trees.path() + QLatin1Char('/'), QString())
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines.sort();
        return lines;
    }

    QStringList filesBelow(const QString& relative) const
    {
        QStringList out;
        QDirIterator it(path(relative), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(path(relative)).relativeFilePath(it.next());
        out.sort();
        return out;
    }

    static QStringList L(std::initializer_list<const char*> texts)
    {
        QStringList out;
        for (const char* t : texts)
            out << QString::fromUtf8(t);
        return out;
    }

    QTemporaryDir trees;
};

} // namespace

TEST_F(SyncCommands, ComparerPrintsOnlyTheTwoLists)
{
    const struct {
        const char* flag;
        QStringList lines;
    } cases[] = {
        {"-R", L({"+ ref/a.mkv", "- save/c.mkv"})},
        {"-r", L({"+ ref/a.mkv", "+ ref/sous/d.mkv", "- save/autre/e.mkv", "- save/c.mkv"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        ASSERT_EQ(cli({QStringLiteral("--comparer"), QString::fromUtf8(c.flag), path(QStringLiteral("ref")),
                      path(QStringLiteral("save"))}),
            0)
            << err.toStdString();
        EXPECT_EQ(outLines(), c.lines);
        // The "+" lines come first.
        EXPECT_TRUE(out.startsWith(QStringLiteral("+ ")));
        EXPECT_TRUE(err.contains(QStringLiteral("Début de tache de synchronisation")));
    }
    // A relative folder gives full paths; -R is the default.
    QProcess p;
    p.setWorkingDirectory(trees.path());
    start(p, {QStringLiteral("--comparer"), QStringLiteral("ref/"), QStringLiteral("save")});
    p.waitForFinished(60000);
    EXPECT_EQ(p.readAllStandardOutput(),
        "+ " + path(QStringLiteral("ref/a.mkv")).toUtf8() + "\n- " + path(QStringLiteral("save/c.mkv")).toUtf8()
            + "\n");
    // The day's log file beside the program has the analysis.
    const QStringList logs = QDir(app.filePath(QStringLiteral("Logs_Filmarch"))).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    QFile log(app.filePath(QStringLiteral("Logs_Filmarch/")) + logs[0]);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("        Repertoire de sauvegarde : " + path(QStringLiteral("save")).toUtf8()));
}

TEST_F(SyncCommands, CopierCopiesWhatTheBackupLacksKeepingTheTreeOrFlat)
{
    // What killed copies left: never listed, removed by the next copy into their folder.
    write(QStringLiteral("save/.filmarch-copie-Ab12Cd"), "tronqué");
    write(QStringLiteral("save/autre/.filmarch-copie-Xy34Zw"), "tronqué");
    ASSERT_EQ(cli({QStringLiteral("--copier"), QStringLiteral("-r"), path(QStringLiteral("ref")),
                  path(QStringLiteral("save"))}),
        0)
        << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(filesBelow(QStringLiteral("save")),
        L({"a.mkv", "autre/.filmarch-copie-Xy34Zw", "autre/e.mkv", "b.mkv", "c.mkv", "sous/d.mkv"}));
    EXPECT_TRUE(err.contains(QStringLiteral("        2 fichiers copiès de ") + path(QStringLiteral("ref"))));
    // Nothing left to copy, nothing deleted: the backup-only files stay.
    ASSERT_EQ(cli({QStringLiteral("--comparer"), QStringLiteral("-r"), path(QStringLiteral("ref")),
                  path(QStringLiteral("save"))}),
        0);
    EXPECT_EQ(outLines(), L({"- save/autre/e.mkv", "- save/c.mkv"}));

    QDir().mkpath(path(QStringLiteral("plat")));
    ASSERT_EQ(cli({QStringLiteral("--copier"), QStringLiteral("-r"), QStringLiteral("--vrac"),
                  path(QStringLiteral("ref")), path(QStringLiteral("plat"))}),
        0);
    EXPECT_EQ(filesBelow(QStringLiteral("plat")), L({"a.mkv", "b.mkv", "d.mkv"}));
}

TEST_F(SyncCommands, FailuresAndRefusals)
{
    // The copy of a.mkv meets a folder of that name in the backup.
    write(QStringLiteral("save/a.mkv/occupé"), "x");
    EXPECT_EQ(cli({QStringLiteral("--copier"), path(QStringLiteral("ref")), path(QStringLiteral("save"))}), 3);
    EXPECT_TRUE(err.contains(
        QStringLiteral("Echec de la copie de ") + path(QStringLiteral("ref/a.mkv")) + QStringLiteral(" : ")))
        << err.toStdString();
    EXPECT_EQ(filesBelow(QStringLiteral("save")), L({"a.mkv/occupé", "autre/e.mkv", "b.mkv", "c.mkv"}));

    const struct {
        const char* name;
        QStringList args;
        QString message;
        int status;
    } cases[] = {
        {"missing folder", {QStringLiteral("--comparer"), path(QStringLiteral("absent")), path(QStringLiteral("save"))},
            QStringLiteral("Au moins un des deux répertoires renseignés n'est pas valide"), 1},
        {"a file", {QStringLiteral("--copier"), path(QStringLiteral("ref")), path(QStringLiteral("save/c.mkv"))},
            QStringLiteral("Au moins un des deux répertoires renseignés n'est pas valide"), 1},
        {"flat comparison",
            {QStringLiteral("--comparer"), QStringLiteral("--vrac"), path(QStringLiteral("ref")),
                path(QStringLiteral("save"))},
            QStringLiteral("l'option --vrac va avec --copier"), 2},
        {"one folder", {QStringLiteral("--copier"), path(QStringLiteral("ref"))}, QStringLiteral("--help"), 2},
        {"records ended by NUL for a copy",
            {QStringLiteral("--copier"), QStringLiteral("-0"), path(QStringLiteral("ref")),
                path(QStringLiteral("save"))},
            QStringLiteral("l'option -0 va avec --comparer"), 2},
        {"backup inside the reference",
            {QStringLiteral("--copier"), QStringLiteral("-r"), path(QStringLiteral("ref")),
                path(QStringLiteral("ref/sous"))},
            QStringLiteral("Le répertoire de sauvegarde se trouve dans le répertoire de référence"), 1},
        {"both commands",
            {QStringLiteral("--copier"), QStringLiteral("--comparer"), path(QStringLiteral("ref")),
                path(QStringLiteral("save"))},
            QStringLiteral("--help"), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cli(c.args), c.status);
        EXPECT_TRUE(err.contains(c.message)) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_EQ(cli({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("filmarch-cli --comparer [-r | -R] [-0] REFERENCE SAUVEGARDE")));
}

TEST_F(SyncCommands, AFolderThatCannotBeReadIsNamedAndNoBackupFileIsOffered)
{
    write(QStringLiteral("ref/films/f.mkv"), "f");
    write(QStringLiteral("save/f.mkv"), "f");
    openToEveryone(app.path());
    openToEveryone(trees.path());
    UnreadableFolder unreadable(path(QStringLiteral("ref/films")));
    const QString named = QStringLiteral("Lecture impossible : ") + path(QStringLiteral("ref/films/"));
    const int compared = cli(
        {QStringLiteral("--comparer"), QStringLiteral("-r"), path(QStringLiteral("ref")), path(QStringLiteral("save"))},
        true);
    if (compared == 126)
        GTEST_SKIP() << "root may not become nobody here, and permissions do not stop root";
    EXPECT_EQ(compared, 1) << err.toStdString();
    // Unseen, films/f.mkv would have offered the backup's f.mkv as "- ".
    EXPECT_EQ(outLines(), L({"+ ref/a.mkv", "+ ref/sous/d.mkv"}));
    EXPECT_TRUE(err.contains(named)) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("L'analyse est incomplète")));

    EXPECT_EQ(cli({QStringLiteral("--copier"), QStringLiteral("-r"), path(QStringLiteral("ref")),
                      path(QStringLiteral("save"))},
                  true),
        3);
    EXPECT_EQ(filesBelow(QStringLiteral("save")), L({"a.mkv", "autre/e.mkv", "b.mkv", "c.mkv", "f.mkv", "sous/d.mkv"}));
    const QStringList logs = QDir(app.filePath(QStringLiteral("Logs_Filmarch"))).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    QFile log(app.filePath(QStringLiteral("Logs_Filmarch/")) + logs[0]);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(log.readAll()).count(named), 2);
}

TEST_F(SyncCommands, NamesCannotForgeLinesAndNulRecordsCarryTheirOwnBytes)
{
    const QByteArray ref = QFile::encodeName(path(QStringLiteral("ref/")));
    const QByteArray hostile[] = {"a\n- victime.mkv", "\x1b]0;titre\x07.mkv", "\xff\xfe.mkv"};
    // Qt cannot name a file whose name is not text, so its temporary folder would keep it.
    struct RemovedAtEnd {
        QByteArray path;
        ~RemovedAtEnd() { ::unlink(path.constData()); }
    } notText {ref + hostile[2]};
    for (const QByteArray& name : hostile)
        ASSERT_EQ(::close(::open((ref + name).constData(), O_CREAT | O_WRONLY, 0644)), 0);
    // A reference folder whose name holds a log line of its own.
    write(QStringLiteral("réf\n12:00:00: Début de tache de synchronisation/x.mkv"), "x");

    ASSERT_EQ(cli({QStringLiteral("--comparer"), path(QStringLiteral("ref")), path(QStringLiteral("save"))}), 0);
    EXPECT_FALSE(out.contains(QLatin1Char('\x1b')));
    const QStringList lines = outLines();
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^[+] "))).size(), 4) << out.toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^- "))), QStringList {QStringLiteral("- save/c.mkv")});
    EXPECT_TRUE(lines.contains(QStringLiteral("+ ref/a\\n- victime.mkv")));
    EXPECT_TRUE(lines.contains(QStringLiteral("+ ref/\\e]0;titre\\x07.mkv")));

    QProcess p;
    start(p,
        {QStringLiteral("--comparer"), QStringLiteral("--nul"), path(QStringLiteral("ref")),
            path(QStringLiteral("save"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    QList<QByteArray> records = p.readAllStandardOutput().split('\0');
    ASSERT_EQ(records.takeLast(), QByteArray()); // each record ends with NUL
    std::sort(records.begin(), records.end());
    QList<QByteArray> expected {"+ " + ref + "a.mkv", "- " + QFile::encodeName(path(QStringLiteral("save/c.mkv")))};
    for (const QByteArray& name : hostile)
        expected << "+ " + ref + name;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(records, expected);

    // Every line of the log (file and terminal) is one line of the program's.
    ASSERT_EQ(
        cli({QStringLiteral("--comparer"), path(QStringLiteral("réf\n12:00:00: Début de tache de synchronisation")),
            path(QStringLiteral("save"))}),
        0);
    const QStringList logs = QDir(app.filePath(QStringLiteral("Logs_Filmarch"))).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    QFile log(app.filePath(QStringLiteral("Logs_Filmarch/")) + logs[0]);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString logText = QString::fromUtf8(log.readAll());
    EXPECT_EQ(logText.count(QLatin1Char('\n')), 9) << logText.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 3);
}
