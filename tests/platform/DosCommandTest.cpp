// The console process runner on real child processes: small shell scripts. Where
// a test needs the output in two chunks, the child waits for a line that the test
// sends once the first chunk has been delivered.
#include "platform/DosCommand.h"
#include "support/CoreApplication.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <vector>

using namespace filmarch;

namespace {

struct Piece {
    QByteArray text;
    TOutputType type;
    bool operator==(const Piece&) const = default;
};

void PrintTo(const Piece& p, std::ostream* os)
{
    *os << (p.type == otEntireLine ? "E:" : "B:") << '"' << p.text.toStdString() << '"';
}

Piece E(const char* text)
{
    return {QByteArray(text), otEntireLine};
}
Piece B(const char* text)
{
    return {QByteArray(text), otBeginningOfLine};
}

// A runner of `sh -c script` that records what it delivers.
class Recorder {
public:
    explicit Recorder(const QString& script = {})
    {
        test::ensureCoreApplication();
        if (!script.isEmpty())
            shell(script);
        dos.OnNewLine = [this](TDosCommand* sender, const QByteArray& line, TOutputType type) {
            EXPECT_EQ(sender, &dos);
            pieces.push_back({line, type});
        };
        dos.OnTerminated = [this](TDosCommand*, quint32 code) {
            terminatedCode = code;
            ++terminations;
        };
        dos.OnErrorBox = [this](const QString& message) { errors << message; };
    }
    void shell(const QString& script)
    {
        dos.CommandLine = QStringLiteral("sh -c \"") + script + u'"';
        dos.Program = QStringLiteral("sh");
        dos.Arguments = {QStringLiteral("-c"), script};
    }
    // Lets a child that waits with `read go` go on once a piece has arrived.
    void continueOnEachPiece()
    {
        auto record = dos.OnNewLine;
        dos.OnNewLine = [record](TDosCommand* sender, const QByteArray& line, TOutputType type) {
            record(sender, line, type);
            sender->SendLine("go", true);
        };
    }
    // Waits until the run started with Execute has ended.
    void waitForEnd()
    {
        QEventLoop loop;
        QObject::connect(&dos, &TDosCommand::runEnded, &loop, &QEventLoop::quit);
        while (dos.Active())
            loop.exec();
    }

    TDosCommand dos;
    std::vector<Piece> pieces;
    QStringList errors;
    std::atomic<quint32> terminatedCode {12345};
    std::atomic<int> terminations {0};
};

} // namespace

TEST(DosCommand, CutsOutputIntoLines)
{
    struct Case {
        const char* name;
        const char* script;
        std::vector<Piece> pieces;
        TReturnCode returnCode;
    };
    const std::vector<Case> cases = {
        {"CR LF in one chunk", "printf 'a\\r\\nb\\r\\n'", {E("a"), E("b")}, rcCRLF},
        {"LF alone", "printf 'a\\nb\\n'", {E("a"), E("b")}, rcLF},
        {"CR ending a chunk, LF starting the next", "printf 'a\\r'; read go; printf '\\nb\\r\\n'", {E("a"), E("b")},
            rcCRLF},
        {"the line of a split CR LF counts as LF", "printf 'x\\r'; read go; printf '\\n'", {E("x")}, rcLF},
        {"lone CR inside a chunk", "printf '50%%\\r60%%\\r\\n'", {E("50%"), E("60%")}, rcCRLF},
        {"empty line between two LF", "printf 'a\\n\\nb\\n'", {E("a"), E(""), E("b")}, rcLF},
        {"zero bytes dropped", "printf 'a\\000b\\n'", {E("ab")}, rcLF},
        {"line completed by a later chunk", "printf abc; read go; printf 'def\\n'", {B("abc"), E("abcdef")}, rcLF},
        {"last line without end, delivered twice", "printf 'a\\nxyz'", {E("a"), B("xyz"), B("xyz")}, rcLF},
        {"standard error into the same lines", "echo out; echo err >&2", {E("out"), E("err")}, rcLF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r(QString::fromLatin1(c.script));
        r.continueOnEachPiece();
        EXPECT_EQ(r.dos.Execute2(), 0);
        EXPECT_EQ(r.pieces, c.pieces);
        EXPECT_EQ(r.dos.OutputReturnCode(), c.returnCode);
        EXPECT_EQ(r.dos.ThreadStatus(), dtsSuccess);
        QByteArrayList all;
        for (const Piece& p : c.pieces)
            all << p.text;
        EXPECT_EQ(r.dos.Lines(), all);
    }
}

TEST(DosCommand, OutputLinesHoldWholeLinesOnceAndTheRunsOutcome)
{
    Recorder r(QStringLiteral("printf abc; read go; printf 'def\\nxyz'; exit 3"));
    r.continueOnEachPiece();
    QByteArrayList mirror {"earlier"};
    r.dos.setOutputLines(&mirror);
    EXPECT_EQ(r.dos.Execute2(), 3);
    EXPECT_EQ(mirror, (QByteArrayList {"earlier", "abcdef", "xyz"}));
    EXPECT_EQ(r.dos.Lines(), (QByteArrayList {"abc", "abcdef", "xyz", "xyz"}));
    EXPECT_EQ(r.terminatedCode, 3u);
    EXPECT_EQ(r.terminations, 1);
    EXPECT_FALSE(r.dos.Active());
    EXPECT_EQ(r.dos.SinceBeginning(), -1);
}

TEST(DosCommand, InputLinesReachTheChildAndAreEchoed)
{
    Recorder r(QStringLiteral("read a; echo \"[$a]\"; read b; echo \"[$b]\""));
    r.dos.InputToOutput = true;
    r.dos.ReturnCode = rcLF;
    r.dos.SendLine("dropped, no run", true);
    auto record = r.dos.OnNewLine;
    r.dos.OnNewLine = [&](TDosCommand* sender, const QByteArray& line, TOutputType type) {
        record(sender, line, type);
        if (line == "[abcd]")
            sender->SendLine("with 'quotes' & $HOME", true);
    };
    r.dos.Execute();
    r.dos.SendLine("ab", false);
    r.dos.SendLine("cd", true);
    r.waitForEnd();
    EXPECT_EQ(r.pieces,
        (std::vector<Piece> {
            B("ab"), E("abcd"), E("[abcd]"), E("with 'quotes' & $HOME"), E("[with 'quotes' & $HOME]")}));
    EXPECT_EQ(r.dos.ExitCode(), 0);
}

TEST(DosCommand, InputToAChildThatClosedItsInputIsDropped)
{
    Recorder r(QStringLiteral("exec 0<&-; echo closed; sleep 0.2; echo done"));
    auto record = r.dos.OnNewLine;
    r.dos.OnNewLine = [record](TDosCommand* sender, const QByteArray& line, TOutputType type) {
        record(sender, line, type);
        if (line == "closed")
            sender->SendLine("nobody reads this", true);
    };
    r.dos.Execute2();
    EXPECT_EQ(r.pieces, (std::vector<Piece> {E("closed"), E("done")}));
    EXPECT_EQ(r.dos.ThreadStatus(), dtsSuccess);
}

TEST(DosCommand, ArgumentsReachTheChildAsGivenWithoutAShell)
{
    QTemporaryDir dir;
    const QString trap = dir.filePath(QStringLiteral("pwned"));
    Recorder r;
    r.dos.CommandLine = QStringLiteral("printf ...");
    r.dos.Program = QStringLiteral("printf");
    const QString argument = QStringLiteral("a \"b\" 'c';$(touch ") + trap + QStringLiteral(") é\n-x");
    r.dos.Arguments = {QStringLiteral("%s"), argument};
    r.dos.Execute2();
    EXPECT_EQ(r.pieces, (std::vector<Piece> {E(argument.section(u'\n', 0, 0).toUtf8().constData()), B("-x"), B("-x")}));
    EXPECT_FALSE(QFile::exists(trap));
}

TEST(DosCommand, CommandLineAloneIsSplitLikeACommandLine)
{
    Recorder r;
    r.dos.CommandLine = QStringLiteral("printf \"%s|%s\" \"two words\" x;y");
    EXPECT_EQ(r.dos.Execute2(), 0);
    EXPECT_EQ(r.pieces, (std::vector<Piece> {B("two words|x;y"), B("two words|x;y")}));

    Recorder empty;
    empty.dos.CommandLine.clear();
    empty.dos.Program = QStringLiteral("true");
    EXPECT_EQ(empty.dos.Execute2(), 0);
    EXPECT_EQ(empty.terminations, 0) << "an empty command line starts nothing";
}

TEST(DosCommand, MissingProgramShowsTheErrorBoxAndFails)
{
    Recorder r;
    r.dos.CommandLine = QStringLiteral("\"/nonexistent/tool\" -i \"film.mkv\"");
    r.dos.Program = QStringLiteral("/nonexistent/tool");
    r.dos.Arguments = {QStringLiteral("-i"), QStringLiteral("film.mkv")};
    const int code = r.dos.Execute2();
    EXPECT_EQ(r.errors, QStringList {QStringLiteral("\"/nonexistent/tool\" -i \"film.mkv\" doesn't exist.")});
    EXPECT_EQ(r.dos.ThreadStatus(), dtsCreateProcessFail);
    EXPECT_EQ(code, ENOENT);
    EXPECT_EQ(r.terminatedCode, 0u);
    EXPECT_TRUE(r.pieces.empty());
}

TEST(DosCommand, StopEndsTheChildAtOnceAndKeepsThePreviousExitCode)
{
    Recorder r(QStringLiteral("exit 7"));
    EXPECT_EQ(r.dos.Execute2(), 7);

    r.shell(QStringLiteral("echo $$; sleep 30"));
    QByteArray pid;
    r.dos.OnNewLine = [&](TDosCommand* sender, const QByteArray& line, TOutputType type) {
        if (type == otEntireLine && pid.isEmpty()) {
            pid = line;
            sender->Stop();
        }
    };
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(r.dos.Execute2(), 7);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(r.dos.ThreadStatus(), dtsUserAborted);
    EXPECT_EQ(r.terminatedCode, 259u);
    EXPECT_FALSE(r.dos.Active());
    ASSERT_FALSE(pid.isEmpty());
    EXPECT_NE(::kill(pid.toInt(), 0), 0) << "the child is gone";
}

TEST(DosCommand, TimeLimitsEndTheChild)
{
    struct Case {
        const char* name;
        const char* script;
        int afterBeginning, afterLastOutput;
    };
    // A child that talks all the time passes the silence limit but not the whole-run limit.
    const Case cases[] = {
        {"silence", "echo start; exec sleep 30", 0, 1},
        {"whole run", "while true; do echo tick; done", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r(QStringLiteral("exit 5"));
        r.dos.Execute2();
        r.shell(QString::fromLatin1(c.script));
        r.dos.TickInterval = 20;
        r.dos.MaxTimeAfterBeginning = c.afterBeginning;
        r.dos.MaxTimeAfterLastOutput = c.afterLastOutput;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(r.dos.Execute2(), 5);
        // Strict limits: a limit of 1 tick fires when the counter reaches 2.
        EXPECT_GE(clock.elapsed(), 40);
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_EQ(r.dos.ThreadStatus(), dtsTimeOut);
        EXPECT_EQ(r.terminatedCode, 259u);
    }
}

TEST(DosCommand, OutputLimitEndsAFloodingChild)
{
    // Without line ends every piece repeats the whole line so far: the limit counts what is delivered.
    for (const char* script : {"exec yes abc", "exec tr '\\000' x < /dev/zero"}) {
        SCOPED_TRACE(script);
        Recorder r(QString::fromLatin1(script));
        r.dos.MaxOutputBytes = 4000;
        r.dos.Execute2();
        EXPECT_EQ(r.dos.ThreadStatus(), dtsOutputLimit);
        EXPECT_EQ(r.terminatedCode, 259u);
        qint64 delivered = 0;
        for (const QByteArray& piece : r.dos.Lines())
            delivered += piece.size();
        EXPECT_LE(delivered, 4000);
    }
}

TEST(DosCommand, CallersStopRequestEndsAWaitingRun)
{
    Recorder r(QStringLiteral("echo $$; exec sleep 30"));
    bool stop = false;
    QByteArray pid;
    r.dos.StopRequested = [&stop] { return stop; };
    // As a "Stop" button pressed while the child runs.
    r.dos.OnNewLine = [&](TDosCommand*, const QByteArray& line, TOutputType type) {
        if (type == otEntireLine && pid.isEmpty()) {
            pid = line;
            stop = true;
        }
    };
    QElapsedTimer clock;
    clock.start();
    r.dos.Execute2();
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(r.dos.ThreadStatus(), dtsUserAborted);
    ASSERT_FALSE(pid.isEmpty());
    EXPECT_NE(::kill(pid.toInt(), 0), 0) << "the child is gone";
}

TEST(DosCommand, RunEndsWithTheChildEvenWhenItsChildrenKeepTheOutputOpen)
{
    Recorder r(QStringLiteral("sleep 5 & echo done"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(r.dos.Execute2(), 0);
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_EQ(r.pieces, std::vector<Piece> {E("done")});
}
