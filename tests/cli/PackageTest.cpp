// The Debian package and the desktop files as a packager checks them:
// lintian, desktop-file-validate and appstreamcli, each skipped with a line
// saying so when the tool is missing.
#include "support/TestPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString output;
};

Outcome run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(600000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

bool present(const char* tool)
{
    if (!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
        return true;
    std::printf("[ SKIPPED ] %s is not installed (scripts/install-deps.sh installs it)\n", tool);
    return false;
}

QString sourceFile(const char* name)
{
    return QDir(filmarch::test::sourceDir() + QStringLiteral("/..")).absoluteFilePath(QLatin1String(name));
}

} // namespace

TEST(Package, TheDebianPackagePassesLintianWithoutErrorOrWarning)
{
    if (!present("dpkg-deb") || !present("dpkg-shlibdeps"))
        GTEST_SKIP();
    const Outcome built =
        run(QStringLiteral("bash"), {sourceFile("scripts/make-deb.sh"), QStringLiteral(FILMARCH_BUILD_DIR)});
    ASSERT_EQ(built.status, 0) << built.output.toStdString();
    const QString deb = built.output.trimmed().split(QLatin1Char('\n')).last();

    const Outcome fields = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb});
    EXPECT_TRUE(fields.output.contains(QStringLiteral("libmediainfo0v5"))) << fields.output.toStdString();
    EXPECT_TRUE(fields.output.contains(QStringLiteral("libc6"))) << "computed from the binaries";
    // Installed-Size is the size of what is installed, in KiB.
    const Outcome contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
    qint64 bytes = 0;
    for (const QString& line : contents.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        bytes += line.simplified().section(QLatin1Char(' '), 2, 2).toLongLong();
    const Outcome size =
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Installed-Size")});
    const qint64 declared = size.output.trimmed().toLongLong();
    EXPECT_GE(declared * 1024, bytes);
    EXPECT_LT(declared * 1024, bytes + 64 * 1024) << "at most a few KiB of folders and rounding over";

    // Reproducible: a second build gives the same bytes, every date in it the last commit's.
    const QString first = deb + QStringLiteral(".premier");
    QFile::remove(first);
    ASSERT_TRUE(QFile::copy(deb, first));
    const Outcome again =
        run(QStringLiteral("bash"), {sourceFile("scripts/make-deb.sh"), QStringLiteral(FILMARCH_BUILD_DIR)});
    ASSERT_EQ(again.status, 0) << again.output.toStdString();
    EXPECT_EQ(run(QStringLiteral("cmp"), {first, deb}).status, 0) << "two builds differ";
    QFile::remove(first);
    const Outcome commit = run(QStringLiteral("git"),
        {QStringLiteral("-C"), sourceFile("."), QStringLiteral("log"), QStringLiteral("-1"),
            QStringLiteral("--format=%ct")});
    if (commit.status == 0) {
        const QString tree = QStringLiteral("dpkg-deb --fsys-tarfile '%1' | TZ=UTC tar -tv --full-time").arg(deb);
        const Outcome listed = run(QStringLiteral("bash"), {QStringLiteral("-c"), tree});
        const QString date = QDateTime::fromSecsSinceEpoch(commit.output.trimmed().toLongLong(), QTimeZone::utc())
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        for (const QString& line : listed.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            EXPECT_TRUE(line.contains(date)) << line.toStdString() << " / " << date.toStdString();
    }

    if (!present("lintian"))
        return;
    const Outcome lintian =
        run(QStringLiteral("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error,warning"), deb});
    EXPECT_EQ(lintian.status, 0) << lintian.output.toStdString();
}

TEST(Package, TheMenuEntryAndTheMetainfoValidate)
{
    if (present("desktop-file-validate")) {
        const Outcome desktop = run(QStringLiteral("desktop-file-validate"), {sourceFile("desktop/filmarch.desktop")});
        EXPECT_EQ(desktop.status, 0) << desktop.output.toStdString();
        EXPECT_EQ(desktop.output, QString());
    }
    if (present("appstreamcli")) {
        const QString metainfo =
            QStringLiteral(FILMARCH_BUILD_DIR) + QStringLiteral("/desktop/generated/org.example.filmarch.metainfo.xml");
        const Outcome appstream =
            run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
        EXPECT_EQ(appstream.status, 0) << appstream.output.toStdString();
    }
}

// Installing the program makes it the program of its catalogues only: the XML
// catalogue has a type of its own, known by its root element, and other XML
// files keep theirs.
TEST(Package, TheCatalogueTypesAreTheirOwnAndOtherXmlFilesKeepTheirs)
{
    if (!present("update-mime-database") || !present("gio"))
        GTEST_SKIP();
    QTemporaryDir data;
    ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("mime/packages")));
    ASSERT_TRUE(QFile::copy(
        sourceFile("desktop/filmarch-mime.xml"), data.filePath(QStringLiteral("mime/packages/filmarch.xml"))));
    ASSERT_EQ(run(QStringLiteral("update-mime-database"), {data.filePath(QStringLiteral("mime"))}).status, 0);

    const struct {
        const char* name;
        QByteArray bytes;
        QString type;
    } files[] = {
        {"films.xml",
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<AntMovieCatalog Format=\"43\">\n<Catalog>"
            "<Movies/></Catalog></AntMovieCatalog>\n",
            QStringLiteral("application/x-ant-movie-catalog-xml")},
        {"flux.xml", "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"/>\n", QStringLiteral("application/xml")},
        {"nu.xml", "<liste><AntMovieCatalog/></liste>\n", QStringLiteral("application/xml")},
        {"dessin.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n", QStringLiteral("image/svg+xml")},
        {"films.amc", " AMC_4.1 Ant Movie Catalog 4.1.2.3  www.antp.be\n",
            QStringLiteral("application/x-ant-movie-catalog")},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        QFile file(data.filePath(QLatin1String(f.name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.bytes);
        file.close();
        QProcess gio;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
        env.insert(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("/usr/share"));
        gio.setProcessEnvironment(env);
        gio.start(QStringLiteral("gio"),
            {QStringLiteral("info"), QStringLiteral("-a"), QStringLiteral("standard::content-type"), file.fileName()});
        ASSERT_TRUE(gio.waitForFinished(60000));
        const QString shown = QString::fromUtf8(gio.readAllStandardOutput());
        EXPECT_TRUE(shown.contains(QStringLiteral("content-type: ") + f.type + QLatin1Char('\n')))
            << shown.toStdString();
    }

    QFile entry(sourceFile("desktop/filmarch.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.contains(
        QStringLiteral("\nMimeType=application/x-ant-movie-catalog;application/x-ant-movie-catalog-xml;\n")));
}
