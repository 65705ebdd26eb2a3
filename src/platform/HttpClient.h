#pragma once
// HTTP GET over libcurl: cookies live as long as the client. Fixed request
// headers, no proxy, redirects followed. Requests may run from several threads
// at once: each gets a connection handle of its own, and all share the cookies.
#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace filmarch {

class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // The body decoded by the charset of its Content-Type, UTF-8 when none is declared.
    QString getText(const QString& url);
    // The body as received, for callers that parse bytes themselves (XML answers).
    QByteArray getBytes(const QString& url);
    // Creates or replaces the file at path with the body, once the whole body arrived.
    // On failure a file that was there stays as it was, and none is created.
    void getToFile(const QString& url, const QString& path);

    // Bounds for the requests that follow: seconds to connect, seconds for a whole
    // answer (0: no bound, only a stalled answer is given up), and the largest body
    // taken (0: no bound). A larger body fails the request.
    void setLimits(long connectSeconds, long answerSeconds, qint64 maxBodyBytes);

private:
    using BodySink = std::function<bool(const char* data, size_t size)>;
    // Runs one GET; returns the Content-Type of the final answer. Throws Error.
    QByteArray perform(const QString& url, const BodySink& sink);

    struct Handles; // the shared cookies and the connection handles not in use
    std::unique_ptr<Handles> handles;
    long connectSeconds;
    long answerSeconds = 0;
    qint64 maxBodyBytes = 0;
};

} // namespace filmarch
