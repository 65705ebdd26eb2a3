// The Debian package and the desktop files as a packager checks them:
// lintian, desktop-file-validate and appstreamcli, each skipped with a line
// saying so when the tool is missing.
#include "support/TestPaths.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
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
