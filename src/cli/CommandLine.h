#pragma once
// filmarch-cli's command line. Each option is declared once, with its help
// text; Qt's parser reads them (bundled short options such as "-rR", "--" to
// end the options) and --help lists them from the same declarations.
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <vector>

namespace filmarch {

struct CliOption {
    QStringList names; // short name first, without dashes
    QString valueName; // empty for a switch
    QString help;      // wrapped under the column of help texts
};

// Every option, in the order --help lists them.
const std::vector<CliOption>& cliOptions();

class CommandLine {
public:
    // `arguments` starts with the program's name. False when the line cannot be
    // read; error() then says why, in a sentence for the user.
    bool parse(const QStringList& arguments);
    QString error() const { return problem; }

    // `name` is any of the option's names.
    bool isSet(const QString& name) const { return parser.isSet(name); }
    QString value(const QString& name) const { return parser.value(name); }
    QStringList positional() const { return parser.positionalArguments(); }
    // The options found, in the order given, each under the name it was given by.
    QStringList optionNames() const { return parser.optionNames(); }

private:
    QCommandLineParser parser;
    QString problem;
};

// The whole --help text: the forms of the command, the options, Ctrl-C and
// every exit status.
QString cliHelp();

// Exit statuses, as --help lists them.
enum CliStatus {
    CliDone = 0,
    CliNotStarted = 1,
    CliBadCommandLine = 2,
    CliFailed = 3,
    CliInterrupted = 130, // 128 + SIGINT, as shells report it
};

} // namespace filmarch
