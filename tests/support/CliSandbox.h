#pragma once
// filmarch-cli copied into a temporary folder of its own, as a user keeps it
// (options.ini and the log folder beside the program), and run from there.
#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace filmarch::test {

class CliSandbox {
public:
    CliSandbox();

    QString program() const;
    // The options.ini beside the program.
    void writeOptions(const QByteArray& ini) const;
    // Starts the program in `p`, with the working folder or environment `p` carries.
    void start(QProcess& p, const QStringList& args) const;
    // Runs the program to its end; `out` and `err` then hold what it wrote.
    // Returns its exit status, -1 when it did not end by itself.
    int cli(QProcess& p, const QStringList& args);
    int cli(const QStringList& args);

    QTemporaryDir app;
    QString out, err;
};

} // namespace filmarch::test
