#pragma once
// Requests to TMDb (API version 3) through the program's HTTP client, bounded
// in time and size; they block the calling thread. The user's credential
// goes as an "api_key" parameter (a key) or a bearer header (a read access
// token); it never appears in a message, since errors name the host only.
#include <QByteArray>
#include <QString>

#include <functional>

namespace filmarch {

class HttpClient;
class RequestGuard;

class TmdbClient {
public:
    // `server` is the service's address ("https://api.themoviedb.org", or with
    // a port); `wait` sleeps the given seconds before a request is asked again.
    TmdbClient(const QString& server, const QString& credential, const QString& language, HttpClient& http,
        RequestGuard& guard, std::function<void(int)> wait);

    QByteArray configuration();
    QByteArray countries();
    QByteArray search(const QString& query, int page = 1);
    // The film of an IMDb number ("tt0123456").
    QByteArray find(const QString& imdbId);
    QByteArray movie(qint64 id);
    // Downloads a picture of the image server into `path` (not through the guard).
    void downloadPicture(const QString& url, const QString& path);

    // The service's host, for messages.
    QString host() const;

    // A service that asks to wait is asked again at most this many times,
    // after waiting at most this long each time.
    static constexpr int mostRetries = 3;
    static constexpr int longestWaitSeconds = 10;

private:
    QByteArray get(const QString& path, const QList<std::pair<QString, QString>>& query);

    const QString server;
    const QString credential;
    const QString language;
    HttpClient& http;
    RequestGuard& guard;
    std::function<void(int)> wait;
};

} // namespace filmarch
