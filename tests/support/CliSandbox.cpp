#include "support/CliSandbox.h"

#include "support/FileBytes.h"
#include "support/TestPaths.h"

#include <QFile>

namespace filmarch::test {

CliSandbox::CliSandbox()
{
    EXPECT_TRUE(QFile::copy(binDir() + QStringLiteral("/filmarch-cli"), program()));
    EXPECT_TRUE(placeAnalysisHelper(app.path()));
}

QString CliSandbox::program() const
{
    return app.filePath(QStringLiteral("filmarch-cli"));
}

void CliSandbox::writeOptions(const QByteArray& ini) const
{
    writeFile(app.filePath(QStringLiteral("options.ini")), ini);
}

void CliSandbox::start(QProcess& p, const QStringList& args) const
{
    p.start(program(), args);
}

int CliSandbox::cli(QProcess& p, const QStringList& args)
{
    start(p, args);
    p.waitForFinished(120000);
    out = QString::fromUtf8(p.readAllStandardOutput());
    err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

int CliSandbox::cli(const QStringList& args)
{
    QProcess p;
    return cli(p, args);
}

} // namespace filmarch::test
