#include "HeadlessChromium.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QUrl>

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace filmarch::test {

QString HeadlessChromium::executable()
{
    for (const char* name : {"chromium", "chromium-browser"})
        if (const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name)); !path.isEmpty())
            return path;
    return {};
}

HeadlessChromium::HeadlessChromium()
{
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
        return;
    const QByteArray program = QFile::encodeName(executable());
    const QByteArray profileArg = "--user-data-dir=" + QFile::encodeName(profile.path());
    std::vector<QByteArray> args = {program, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
        "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--disable-extensions", "--mute-audio", "--remote-debugging-pipe", profileArg, "about:blank"};
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid = ::fork();
    if (pid == 0) {
        // The protocol's pipe: the browser reads commands on 3 and writes answers on 4. The ends
        // are moved out of the way first: one of them may be 3 or 4 already, and close on exec.
        const int commands = ::fcntl(in[0], F_DUPFD, 10), answers = ::fcntl(out[1], F_DUPFD, 10);
        ::dup2(commands, 3);
        ::dup2(answers, 4);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    toBrowser = in[1];
    fromBrowser = out[0];
    if (pid < 0)
        return;
    const QJsonArray targets =
        call(QStringLiteral("Target.getTargets"), {}, false)[QStringLiteral("targetInfos")].toArray();
    QString page;
    for (const QJsonValue& target : targets)
        if (target[QStringLiteral("type")].toString() == QLatin1String("page"))
            page = target[QStringLiteral("targetId")].toString();
    if (page.isEmpty())
        return;
    session = call(QStringLiteral("Target.attachToTarget"),
        {{QStringLiteral("targetId"), page}, {QStringLiteral("flatten"), true}}, false)[QStringLiteral("sessionId")]
                  .toString();
    for (const char* domain : {"Runtime.enable", "Log.enable", "Page.enable", "Network.enable"})
        call(QString::fromLatin1(domain));
}

HeadlessChromium::~HeadlessChromium()
{
    if (toBrowser >= 0)
        ::close(toBrowser);
    if (fromBrowser >= 0)
        ::close(fromBrowser);
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
}

QJsonObject HeadlessChromium::readMessage()
{
    for (;;) {
        const qsizetype end = pending.indexOf('\0');
        if (end >= 0) {
            const QJsonObject message = QJsonDocument::fromJson(pending.left(end)).object();
            pending.remove(0, end + 1);
            return message;
        }
        pollfd wait {fromBrowser, POLLIN, 0};
        // A browser that says nothing for a minute is stuck: the test fails rather than hangs.
        if (::poll(&wait, 1, 60000) <= 0)
            return {};
        char buffer[65536];
        const ssize_t n = ::read(fromBrowser, buffer, sizeof buffer);
        if (n <= 0)
            return {};
        pending.append(buffer, n);
    }
}

void HeadlessChromium::note(const QJsonObject& event)
{
    const QString method = event[QStringLiteral("method")].toString();
    const QJsonObject params = event[QStringLiteral("params")].toObject();
    events << method;
    if (method == QLatin1String("Runtime.exceptionThrown")) {
        const QJsonObject details = params[QStringLiteral("exceptionDetails")].toObject();
        problems << QStringLiteral("exception: ") + details[QStringLiteral("text")].toString() + QLatin1Char(' ')
                + details[QStringLiteral("exception")].toObject()[QStringLiteral("description")].toString();
    } else if (method == QLatin1String("Runtime.consoleAPICalled")) {
        const QString type = params[QStringLiteral("type")].toString();
        if (type == QLatin1String("error") || type == QLatin1String("assert") || type == QLatin1String("warning"))
            problems << QStringLiteral("console.") + type + QStringLiteral(": ")
                    + QString::fromUtf8(QJsonDocument(params[QStringLiteral("args")].toArray()).toJson());
    } else if (method == QLatin1String("Log.entryAdded")) {
        const QJsonObject entry = params[QStringLiteral("entry")].toObject();
        if (entry[QStringLiteral("level")].toString() == QLatin1String("error"))
            problems << QStringLiteral("log: ") + entry[QStringLiteral("text")].toString() + QLatin1Char(' ')
                    + entry[QStringLiteral("url")].toString();
    } else if (method == QLatin1String("Network.loadingFailed")) {
        problems << QStringLiteral("load failed: ") + params[QStringLiteral("errorText")].toString();
    }
}

QJsonObject HeadlessChromium::call(const QString& method, const QJsonObject& params, bool inSession)
{
    QJsonObject message {
        {QStringLiteral("id"), nextId}, {QStringLiteral("method"), method}, {QStringLiteral("params"), params}};
    if (inSession)
        message.insert(QStringLiteral("sessionId"), session);
    const int id = nextId++;
    const QByteArray bytes = QJsonDocument(message).toJson(QJsonDocument::Compact) + '\0';
    if (::write(toBrowser, bytes.constData(), size_t(bytes.size())) != bytes.size()) {
        ADD_FAILURE() << "the browser does not take " << method.toStdString();
        return {};
    }
    for (;;) {
        const QJsonObject answer = readMessage();
        if (answer.isEmpty()) {
            ADD_FAILURE() << "no answer from the browser to " << method.toStdString();
            return {};
        }
        if (answer.contains(QStringLiteral("method"))) {
            note(answer);
            continue;
        }
        if (answer[QStringLiteral("id")].toInt() != id)
            continue;
        if (answer.contains(QStringLiteral("error")))
            ADD_FAILURE() << method.toStdString() << ": "
                          << QJsonDocument(answer[QStringLiteral("error")].toObject()).toJson().toStdString();
        return answer[QStringLiteral("result")].toObject();
    }
}

void HeadlessChromium::resize(int width, int height, bool mobile)
{
    call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
        {{QStringLiteral("width"), width}, {QStringLiteral("height"), height}, {QStringLiteral("deviceScaleFactor"), 1},
            {QStringLiteral("mobile"), mobile}});
}

void HeadlessChromium::open(const QString& path)
{
    events.clear();
    call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), QUrl::fromLocalFile(path).toString()}});
    while (!events.contains(QStringLiteral("Page.loadEventFired"))) {
        const QJsonObject event = readMessage();
        if (event.isEmpty()) {
            ADD_FAILURE() << "the page never finished loading: " << path.toStdString();
            return;
        }
        if (event.contains(QStringLiteral("method")))
            note(event);
    }
}

QJsonValue HeadlessChromium::evaluate(const QString& expression)
{
    const QJsonObject result = call(QStringLiteral("Runtime.evaluate"),
        {{QStringLiteral("expression"), expression}, {QStringLiteral("awaitPromise"), true},
            {QStringLiteral("returnByValue"), true}});
    if (result.contains(QStringLiteral("exceptionDetails")))
        ADD_FAILURE() << "script failed: " << expression.toStdString() << "\n"
                      << QJsonDocument(result[QStringLiteral("exceptionDetails")].toObject()).toJson().toStdString();
    return result[QStringLiteral("result")].toObject()[QStringLiteral("value")];
}

QByteArray HeadlessChromium::screenshot()
{
    const QJsonObject result =
        call(QStringLiteral("Page.captureScreenshot"), {{QStringLiteral("format"), QStringLiteral("png")}});
    return QByteArray::fromBase64(result[QStringLiteral("data")].toString().toLatin1());
}

QJsonObject HeadlessChromium::metrics()
{
    call(QStringLiteral("Performance.enable"));
    QJsonObject out;
    for (const QJsonValue& metric : call(QStringLiteral("Performance.getMetrics"))[QStringLiteral("metrics")].toArray())
        out.insert(metric[QStringLiteral("name")].toString(), metric[QStringLiteral("value")]);
    return out;
}

} // namespace filmarch::test
