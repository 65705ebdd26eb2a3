#pragma once
// HTTP GET over libcurl: cookies live as long as the client. Fixed request
// headers, no proxy, redirects followed. Requests may run from several threads
// at once: each gets a connection handle of its own, and all share the cookies.
#include "platform/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace filmarch {

// A failed request. Its message names the server's host, never the query.
class HttpError : public Error {
public:
    HttpError(const QString& message, long status, bool transport, int retryAfterSeconds = -1)
        : Error(message), status(status), transport(transport), retryAfterSeconds(retryAfterSeconds)
    {
    }
    const long status;           // of an error answer; 0 when no answer came
    const bool transport;        // no connection, time-out or a cut answer
    const int retryAfterSeconds; // what a "Retry-After" in seconds asked; -1 when none
};

// "host" or "host:port" of an address, for messages.
QString hostOf(const QString& url);

class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // The body decoded by the charset of its Content-Type, UTF-8 when none is declared.
    QString getText(const QString& url);
    // The body as received, for callers that parse bytes themselves (XML answers).
    // `headers` ("Name: value") are sent with the fixed ones, for this request only.
    QByteArray getBytes(const QString& url, const QList<QByteArray>& headers = {});
    // Creates or replaces the file at path with the body, once the whole body arrived.
    // On failure a file that was there stays as it was, and none is created.
    void getToFile(const QString& url, const QString& path);

    // Bounds for the requests that follow: seconds to connect, seconds for a whole
    // answer (0: no bound, only a stalled answer is given up), and the largest body
    // taken (0: no bound), error answers included. A larger body fails the request.
    void setLimits(long connectSeconds, long answerSeconds, qint64 maxBodyBytes);

private:
    using BodySink = std::function<bool(const char* data, size_t size)>;
    // Runs one GET; returns the Content-Type of the final answer. Throws HttpError,
    // or Error when the sink failed.
    QByteArray perform(const QString& url, const BodySink& sink, const QList<QByteArray>& headers = {});

    struct Handles; // the shared cookies and the connection handles not in use
    std::unique_ptr<Handles> handles;
    long connectSeconds;
    long answerSeconds = 0;
    qint64 maxBodyBytes = 0;
};

} // namespace filmarch
