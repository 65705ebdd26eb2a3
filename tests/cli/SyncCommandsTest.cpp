// filmarch-cli --comparer and --copier on generated trees, run as a user runs
// them: from their own folder, with exit statuses, output and log file.
#include "support/TestPaths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch::test;

namespace {

class SyncCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::copy(binDir() + QStringLiteral("/filmarch-cli"), app.filePath(QStringLiteral("filmarch-cli")));
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

    int cli(const QStringList& args)
    {
        QProcess p;
        p.start(app.filePath(QStringLiteral("filmarch-cli")), args);
        p.waitForFinished(60000);
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
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

    QTemporaryDir app, trees;
    QString out, err;
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
    p.start(app.filePath(QStringLiteral("filmarch-cli")),
        {QStringLiteral("--comparer"), QStringLiteral("ref/"), QStringLiteral("save")});
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
    ASSERT_EQ(cli({QStringLiteral("--copier"), QStringLiteral("-r"), path(QStringLiteral("ref")),
                  path(QStringLiteral("save"))}),
        0)
        << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(filesBelow(QStringLiteral("save")), L({"a.mkv", "autre/e.mkv", "b.mkv", "c.mkv", "sous/d.mkv"}));
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
    EXPECT_TRUE(out.contains(QStringLiteral("filmarch-cli --comparer [-r | -R] REFERENCE SAUVEGARDE")));
}
