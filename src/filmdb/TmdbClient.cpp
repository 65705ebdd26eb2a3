#include "filmdb/TmdbClient.h"

#include "filmdb/PictureDownload.h"
#include "filmdb/RequestGuard.h"
#include "platform/Error.h"
#include "platform/HttpClient.h"

#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace filmarch {

namespace {

// A read access token is a signed text of three parts ("eyJ….….…"); a key is
// 32 hexadecimal characters.
bool isAccessToken(const QString& credential)
{
    return credential.startsWith(QLatin1String("eyJ")) && credential.count(QLatin1Char('.')) == 2;
}

} // namespace

TmdbClient::TmdbClient(const QString& server, const QString& credential, const QString& language, HttpClient& http,
    RequestGuard& guard, std::function<void(int)> wait)
    : server(server.trimmed().endsWith(QLatin1Char('/')) ? server.trimmed().chopped(1) : server.trimmed()),
      credential(credential.trimmed()),
      language(language.trimmed()),
      http(http),
      guard(guard),
      wait(std::move(wait))
{
}

QString TmdbClient::host() const
{
    const QString name = hostOf(server);
    return name.isEmpty() ? server : name;
}

QByteArray TmdbClient::get(const QString& path, const QList<std::pair<QString, QString>>& parameters)
{
    QStringList query;
    const auto add = [&query](const QString& key, const QString& value) {
        query << key + QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(value));
    };
    for (const auto& [key, value] : parameters)
        add(key, value);
    QList<QByteArray> headers;
    if (isAccessToken(credential))
        headers << "Authorization: Bearer " + QUrl::toPercentEncoding(credential);
    else
        add(QStringLiteral("api_key"), credential);
    const QString url = server + QStringLiteral("/3") + path + QLatin1Char('?') + query.join(QLatin1Char('&'));

    QByteArray body;
    limitRequests(http);
    // The guard counts a request still refused after its waits as one failure.
    guard.run(host(), [&] {
        for (int attempt = 0;; ++attempt) {
            try {
                body = http.getBytes(url, headers);
                return;
            } catch (const HttpError& e) {
                // Too many requests: wait as the service asks, a few times.
                if (e.status != 429 || attempt >= mostRetries || guard.interruptedRun())
                    throw;
                wait(std::clamp(e.retryAfterSeconds < 0 ? 1 : e.retryAfterSeconds, 0, longestWaitSeconds));
                if (guard.interruptedRun())
                    throw;
            }
        }
    });
    return body;
}

QByteArray TmdbClient::configuration()
{
    return get(QStringLiteral("/configuration"), {});
}

QByteArray TmdbClient::countries()
{
    return get(QStringLiteral("/configuration/countries"), {{QStringLiteral("language"), language}});
}

QByteArray TmdbClient::search(const QString& text, int page)
{
    return get(QStringLiteral("/search/movie"),
        {{QStringLiteral("query"), text.simplified()}, {QStringLiteral("language"), language},
            {QStringLiteral("include_adult"), QStringLiteral("false")},
            {QStringLiteral("page"), QString::number(page)}});
}

QByteArray TmdbClient::find(const QString& imdbId)
{
    return get(QStringLiteral("/find/") + QString::fromLatin1(QUrl::toPercentEncoding(imdbId)),
        {{QStringLiteral("external_source"), QStringLiteral("imdb_id")}, {QStringLiteral("language"), language}});
}

QByteArray TmdbClient::movie(qint64 id)
{
    return get(QStringLiteral("/movie/%1").arg(id),
        {{QStringLiteral("language"), language}, {QStringLiteral("append_to_response"), QStringLiteral("credits")}});
}

void TmdbClient::downloadPicture(const QString& url, const QString& path)
{
    limitRequests(http);
    filmarch::downloadPicture(http, url, path);
}

} // namespace filmarch
