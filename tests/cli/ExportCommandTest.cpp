// filmarch-cli --exporter: what each outcome leaves on disk and the exit status it gives.
#include "export/ExportFixtures.h"
#include "support/CliSandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch::test;

namespace {

struct CliRun {
    int status;
    QString err;
};

CliRun exporter(const QStringList& args)
{
    CliSandbox sandbox;
    const int status = sandbox.cli(QStringList {QStringLiteral("--exporter")} + args);
    return {status, sandbox.err};
}

} // namespace

TEST(ExportCommand, ExitStatusesAndWhatStaysOnDisk)
{
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
    writeAmcCatalogue(path("films.amc"), QString());
    writeFile(
        path("cassé.amc"), QByteArray(" AMC_4.1 Ant Movie Catalog 4.1.x   antp/soulsnake    www.antp.be ") + "\x05");
    writeFile(path("ancien.csv"), "ancien");
    writeFile(path("protégé.csv"), "à garder");
    QFile::setPermissions(path("protégé.csv"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QDir().mkdir(path("mes documents"));
    writeFile(path("mes documents/lettre.txt"), "à garder");
    const QByteArray catalogue = readFile(path("films.amc"));

    CliRun run = exporter({QStringLiteral("csv"), path("films.amc"), path("ancien.csv")});
    EXPECT_EQ(run.status, 3) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("--remplacer"))) << run.err.toStdString();
    EXPECT_EQ(readFile(path("ancien.csv")), "ancien");
    run = exporter({QStringLiteral("csv"), QStringLiteral("--remplacer"), path("films.amc"), path("ancien.csv")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(readFile(path("ancien.csv")).startsWith("Numéro,Coché,"));

    const struct {
        QStringList args;
        int status;
        const char* says;
    } failures[] = {
        {{QStringLiteral("csv"), path("absent.amc"), path("x.csv")}, 1, "absent.amc"},
        {{QStringLiteral("tellico"), path("cassé.amc"), path("x.tc")}, 1, "cassé.amc"},
        {{QStringLiteral("csv"), path("films.amc"), path("films.amc")}, 3, "le catalogue lui-même"},
        {{QStringLiteral("csv"), path("films.amc"), path("nulle part/x.csv")}, 3, "n'existe pas"},
        {{QStringLiteral("html"), path("films.amc"), path("mes documents")}, 3, "n'est pas vide"},
        {{QStringLiteral("pdf"), path("films.amc"), path("x.pdf")}, 2, "pdf"},
        {{QStringLiteral("csv"), path("films.amc")}, 2, "SORTIE"},
        {{QStringLiteral("csv"), QStringLiteral("--remplacer"), path("films.amc"), path("protégé.csv")}, 3,
            "lecture seule"},
    };
    for (const auto& [args, status, says] : failures) {
        run = exporter(args);
        EXPECT_EQ(run.status, status) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(says))) << run.err.toStdString();
    }
    EXPECT_EQ(readFile(path("films.amc")), catalogue);
    EXPECT_EQ(readFile(path("mes documents/lettre.txt")), "à garder");
    EXPECT_EQ(QDir(path("mes documents")).count(), 3u); // ., .. and the letter
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList(
            {QStringLiteral(".ancien.csv.filmarch-export"), QStringLiteral("ancien.csv"), QStringLiteral("cassé.amc"),
                QStringLiteral("films.amc"), QStringLiteral("mes documents"), QStringLiteral("protégé.csv")}));
    EXPECT_EQ(readFile(path("protégé.csv")), "à garder");
}

// A file is replaced without a word only when it is an earlier export of the
// same catalogue as that export left it; anything else is the user's.
TEST(ExportCommand, ReplacesOnlyItsOwnUnchangedExportsWithoutBeingAsked)
{
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
    writeAmcCatalogue(path("films.amc"), QString());
    writeAmcCatalogue(path("autre.amc"), QString());
    for (const char* form : {"csv", "tellico"}) {
        const QString name = path(form == QByteArray("csv") ? "films.csv" : "films.tc");
        const QString format = QString::fromLatin1(form);
        EXPECT_EQ(exporter({format, path("films.amc"), name}).status, 0) << form;
        EXPECT_EQ(exporter({format, path("films.amc"), name}).status, 0) << form; // its own export
        EXPECT_EQ(exporter({format, path("autre.amc"), name}).status, 3) << form; // another catalogue's
        writeFile(name, readFile(name) + "curated");                              // saved by another program
        const CliRun run = exporter({format, path("films.amc"), name});
        EXPECT_EQ(run.status, 3) << form;
        EXPECT_TRUE(readFile(name).endsWith("curated")) << form;
        EXPECT_EQ(exporter({format, QStringLiteral("--remplacer"), path("films.amc"), name}).status, 0) << form;
        EXPECT_FALSE(readFile(name).endsWith("curated")) << form;
    }
}

TEST(ExportCommand, KeepsTheUsersFilesInThePageFolderAndSaysSo)
{
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
    writeAmcCatalogue(path("films.amc"), QString());
    ASSERT_EQ(exporter({QStringLiteral("html"), path("films.amc"), path("web/")}).status, 0);
    writeFile(path("web/notes.txt"), "mes notes");
    const CliRun run = exporter({QStringLiteral("html"), path("films.amc"), path("web")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(readFile(path("web/notes.txt")), "mes notes");
    EXPECT_TRUE(run.err.contains(QStringLiteral("notes.txt"))) << run.err.toStdString();
}

// An export replaces its destination whole: never a catalogue, nor a page
// folder that holds the catalogue exported.
TEST(ExportCommand, NeverReplacesACatalogue)
{
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
    writeAmcCatalogue(path("films.amc"), QString());
    writeAmcCatalogue(path("autre.amc"), QString());
    ASSERT_EQ(exporter({QStringLiteral("html"), path("films.amc"), path("web")}).status, 0);
    ASSERT_TRUE(QFile::copy(path("films.amc"), path("web/films.amc")));
    const QByteArray catalogue = readFile(path("films.amc")), other = readFile(path("autre.amc"));
    // Links that lead to a catalogue or to the page.
    ASSERT_TRUE(QFile::link(path("autre.amc"), path("sortie.csv")));
    ASSERT_TRUE(QFile::link(path("web"), path("lien-web")));
    ASSERT_TRUE(QFile::link(dir.path(), path("lien-dossier")));

    const struct {
        QStringList args;
        const char* says;
    } refusals[] = {
        {{QStringLiteral("html"), path("web/films.amc"), path("web")}, "contient le catalogue"},
        {{QStringLiteral("csv"), path("films.amc"), path("autre.amc")}, "l'extension d'un catalogue"},
        {{QStringLiteral("tellico"), path("films.amc"), path("autre.xml")}, "l'extension d'un catalogue"},
        {{QStringLiteral("csv"), QStringLiteral("--remplacer"), path("films.amc"), path("sortie.csv")},
            "lien symbolique"},
        {{QStringLiteral("html"), path("films.amc"), path("lien-web")}, "lien symbolique"},
        {{QStringLiteral("csv"), path("films.amc"), path("lien-dossier/films.amc")}, "le catalogue lui-même"},
    };
    for (const auto& [args, says] : refusals) {
        const CliRun run = exporter(args);
        EXPECT_EQ(run.status, 3) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(says))) << run.err.toStdString();
    }
    EXPECT_EQ(readFile(path("web/films.amc")), catalogue);
    EXPECT_EQ(readFile(path("autre.amc")), other);
    EXPECT_FALSE(QFileInfo::exists(path("autre.xml")));
}
