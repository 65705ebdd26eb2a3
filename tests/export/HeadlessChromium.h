#pragma once
// Headless Chromium driven through the DevTools protocol on a pipe: open a
// page, run script in it, take screenshots, and gather every error its
// console reported.
#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <sys/types.h>

namespace filmarch::test {

class HeadlessChromium {
public:
    // The browser's path, empty when it is not installed.
    static QString executable();

    HeadlessChromium();
    ~HeadlessChromium();
    HeadlessChromium(const HeadlessChromium&) = delete;
    HeadlessChromium& operator=(const HeadlessChromium&) = delete;

    bool started() const { return session.size() > 0; }
    // Sets the window's size in CSS pixels (a phone: 390 x 844, mobile).
    void resize(int width, int height, bool mobile = false);
    // Opens the file and waits for its load event.
    void open(const QString& path);
    // The value of the expression (a promise is awaited); script errors fail the test.
    QJsonValue evaluate(const QString& expression);
    // A PNG of what the window shows.
    QByteArray screenshot();
    // The browser's own measures of the page (JSHeapUsedSize, Nodes...).
    QJsonObject metrics();
    // Console errors, uncaught exceptions and failed loads seen so far.
    const QStringList& errors() const { return problems; }

private:
    QJsonObject call(const QString& method, const QJsonObject& params = {}, bool inSession = true);
    QJsonObject readMessage();
    void note(const QJsonObject& event);

    QTemporaryDir profile;
    pid_t pid = -1;
    int toBrowser = -1;
    int fromBrowser = -1;
    int nextId = 1;
    QString session;
    QByteArray pending;
    QStringList problems;
    QStringList events; // methods of events seen, for waits
};

} // namespace filmarch::test
