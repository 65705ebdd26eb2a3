#include "platform/HttpClient.h"

#include "platform/Charset.h"
#include "platform/CurlLibrary.h"
#include "platform/Error.h"

#include <QFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <QUrl>

#include <array>
#include <mutex>
#include <vector>

namespace filmarch {

namespace {

const char acceptHeader[] = "Accept: text/html, */*";
const char userAgent[] = "Mozilla/3.0 (compatible; Indy Library)";
const long connectTimeoutSeconds = 20;
// An answer that stalls below one byte a second for this long is given up.
const long stallTimeoutSeconds = 60;

// What one transfer collects from libcurl's callbacks.
struct Transfer {
    CURL* curl = nullptr;
    const std::function<bool(const char*, size_t)>* sink = nullptr;
    int retryAfterSeconds = -1; // of the last answer received (redirects replace it)
    bool sinkFailed = false;
    qint64 maxBodyBytes = 0;
    qint64 received = 0;
    bool tooLarge = false;
};

long responseCode(CURL* curl)
{
    long code = 0;
    curlLibrary().easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(size * count)).trimmed();
    if (line.startsWith("HTTP/"))
        transfer->retryAfterSeconds = -1;
    const QByteArray retryAfter = "retry-after:";
    if (line.size() > retryAfter.size() && line.left(retryAfter.size()).toLower() == retryAfter) {
        bool ok = false;
        const int seconds = line.mid(retryAfter.size()).trimmed().toInt(&ok);
        if (ok && seconds >= 0)
            transfer->retryAfterSeconds = seconds;
    }
    return size * count;
}

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    // Every answer is bounded, an error page as much as the resource.
    transfer->received += static_cast<qint64>(size * count);
    if (transfer->maxBodyBytes > 0 && transfer->received > transfer->maxBodyBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    // The body of an error answer is an error page, not the resource: drop it.
    if (responseCode(transfer->curl) >= 400)
        return size * count;
    if (!(*transfer->sink)(data, size * count)) {
        transfer->sinkFailed = true;
        return 0; // makes libcurl stop with CURLE_WRITE_ERROR
    }
    return size * count;
}

// What an error status means, in French; the service's own phrase is not shown.
QString statusMeaning(long status)
{
    switch (status) {
    case 400: return QStringLiteral("requête refusée");
    case 401: return QStringLiteral("accès non autorisé");
    case 403: return QStringLiteral("accès interdit");
    case 404: return QStringLiteral("page introuvable");
    case 408: return QStringLiteral("délai d'attente dépassé");
    case 410: return QStringLiteral("page supprimée");
    case 429: return QStringLiteral("trop de requêtes");
    case 500: return QStringLiteral("erreur interne du service");
    case 502:
    case 504: return QStringLiteral("passerelle en erreur");
    case 503: return QStringLiteral("service indisponible");
    default: return status < 500 ? QStringLiteral("requête refusée") : QStringLiteral("erreur du service");
    }
}

QString statusMessage(long status, const QString& host)
{
    return QStringLiteral("Échec de la requête vers %1 : le service a répondu %2 (%3)")
        .arg(host)
        .arg(status)
        .arg(statusMeaning(status));
}

// No connection, a time-out or a cut answer: the service may answer later, or never.
bool isTransportFailure(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_SSL_CONNECT_ERROR: return true;
    default: return false;
    }
}

QString transportMessage(CURLcode code, const QString& host)
{
    QString text;
    switch (code) {
    case CURLE_COULDNT_CONNECT:
        text = QStringLiteral("Connexion au serveur impossible (connexion refusée ou serveur injoignable)");
        break;
    case CURLE_COULDNT_RESOLVE_HOST: text = QStringLiteral("Serveur inconnu : le nom d'hôte est introuvable"); break;
    case CURLE_COULDNT_RESOLVE_PROXY: text = QStringLiteral("Serveur mandataire inconnu"); break;
    case CURLE_OPERATION_TIMEDOUT: text = QStringLiteral("Le serveur ne répond pas : délai d'attente dépassé"); break;
    case CURLE_URL_MALFORMAT: text = QStringLiteral("Adresse invalide"); break;
    case CURLE_UNSUPPORTED_PROTOCOL:
        text = QStringLiteral("Protocole non pris en charge (seuls http et https le sont)");
        break;
    case CURLE_TOO_MANY_REDIRECTS: text = QStringLiteral("Trop de redirections"); break;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE: text = QStringLiteral("La connexion avec le serveur a été interrompue"); break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE: text = QStringLiteral("Échec de la connexion sécurisée avec le serveur"); break;
    default: text = QStringLiteral("Échec de la requête HTTP"); break;
    }
    return host.isEmpty() ? text : QStringLiteral("%1 : %2").arg(text, host);
}

} // namespace

QString hostOf(const QString& url)
{
    const QUrl address(url);
    const QString host = address.host();
    if (host.isEmpty() || address.port() < 0)
        return host;
    return QStringLiteral("%1:%2").arg(host).arg(address.port());
}

// One connection handle per request in flight; handles are kept for the next
// requests (their connections stay open). The cookies (and names resolved) are
// one store, locked while a handle reads or changes it.
struct HttpClient::Handles {
    CURLSH* share = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> storeLocks;
    std::mutex mutex; // the idle handles and the limits
    std::vector<CURL*> idle;

    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* user)
    {
        static_cast<Handles*>(user)->storeLocks[size_t(data)].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* user)
    {
        static_cast<Handles*>(user)->storeLocks[size_t(data)].unlock();
    }

    CURL* take()
    {
        {
            std::lock_guard guard(mutex);
            if (!idle.empty()) {
                CURL* curl = idle.back();
                idle.pop_back();
                return curl;
            }
        }
        CURL* curl = curlLibrary().easy_init();
        if (!curl)
            throw Error(QStringLiteral("Création du client HTTP impossible"));
        curlLibrary().easy_setopt(curl, CURLOPT_SHARE, share);
        // An empty cookie file switches the cookie engine on without reading any file:
        // cookies live in memory for the life of the client.
        curlLibrary().easy_setopt(curl, CURLOPT_COOKIEFILE, "");
        return curl;
    }
    void giveBack(CURL* curl)
    {
        std::lock_guard guard(mutex);
        idle.push_back(curl);
    }
};

HttpClient::HttpClient() : handles(std::make_unique<Handles>()), connectSeconds(connectTimeoutSeconds)
{
    handles->share = curlLibrary().share_init();
    if (!handles->share)
        throw Error(QStringLiteral("Création du client HTTP impossible"));
    curlLibrary().share_setopt(handles->share, CURLSHOPT_LOCKFUNC, &Handles::lock);
    curlLibrary().share_setopt(handles->share, CURLSHOPT_UNLOCKFUNC, &Handles::unlock);
    curlLibrary().share_setopt(handles->share, CURLSHOPT_USERDATA, handles.get());
    curlLibrary().share_setopt(handles->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curlLibrary().share_setopt(handles->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    // The store exists from the start: the first request's cookies go into it.
    handles->giveBack(handles->take());
}

void HttpClient::setLimits(long connect, long answer, qint64 maxBody)
{
    std::lock_guard guard(handles->mutex);
    connectSeconds = connect;
    answerSeconds = answer;
    maxBodyBytes = maxBody;
}

HttpClient::~HttpClient()
{
    for (CURL* curl : handles->idle)
        curlLibrary().easy_cleanup(curl);
    if (handles->share)
        curlLibrary().share_cleanup(handles->share);
}

QByteArray HttpClient::perform(const QString& url, const BodySink& sink, const QList<QByteArray>& extraHeaders)
{
    long connectLimit = 0, answerLimit = 0;
    qint64 maxBodyBytes = 0;
    {
        std::lock_guard guard(handles->mutex);
        connectLimit = connectSeconds;
        answerLimit = answerSeconds;
        maxBodyBytes = this->maxBodyBytes;
    }
    CURL* curl = handles->take();
    const auto giveBack = qScopeGuard([this, curl] { handles->giveBack(curl); });
    const QByteArray address = url.toUtf8();
    Transfer transfer;
    transfer.curl = curl;
    transfer.sink = &sink;
    transfer.maxBodyBytes = maxBodyBytes;

    curl_slist* headers = curlLibrary().slist_append(nullptr, acceptHeader);
    for (const QByteArray& header : extraHeaders)
        headers = curlLibrary().slist_append(headers, header.constData());
    curlLibrary().easy_setopt(curl, CURLOPT_URL, address.constData());
    curlLibrary().easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curlLibrary().easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curlLibrary().easy_setopt(curl, CURLOPT_USERAGENT, userAgent);
    // An empty proxy also overrides the proxy environment variables.
    curlLibrary().easy_setopt(curl, CURLOPT_PROXY, "");
    // Addresses come from outside (looked-up poster links): never file:// or others.
    curlLibrary().easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curlLibrary().easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curlLibrary().easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curlLibrary().easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curlLibrary().easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectLimit);
    curlLibrary().easy_setopt(curl, CURLOPT_TIMEOUT, answerLimit);
    // A body announced larger than the bound is refused before it is read.
    curlLibrary().easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBodyBytes));
    curlLibrary().easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curlLibrary().easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stallTimeoutSeconds);
    curlLibrary().easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curlLibrary().easy_setopt(curl, CURLOPT_HEADERFUNCTION, &onHeader);
    curlLibrary().easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curlLibrary().easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onBody);
    curlLibrary().easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

    const CURLcode result = curlLibrary().easy_perform(curl);
    curlLibrary().easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curlLibrary().slist_free_all(headers);

    // Messages name the host only: a query may carry a key.
    const QString host = hostOf(url);
    const long status = responseCode(curl);
    if (result != CURLE_OK) {
        if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED)
            throw HttpError(
                QStringLiteral("Réponse trop volumineuse (plus de %1 octets) : %2").arg(maxBodyBytes).arg(host), status,
                false);
        if (transfer.sinkFailed)
            throw Error(QStringLiteral("Écriture de la réponse impossible : %1").arg(host));
        throw HttpError(transportMessage(result, host), 0, isTransportFailure(result));
    }
    if (status >= 400)
        throw HttpError(statusMessage(status, host), status, false, transfer.retryAfterSeconds);

    const char* contentType = nullptr;
    curlLibrary().easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
    return contentType ? QByteArray(contentType) : QByteArray();
}

QByteArray HttpClient::getBytes(const QString& url, const QList<QByteArray>& headers)
{
    QByteArray body;
    perform(
        url,
        [&body](const char* data, size_t size) {
            body.append(data, static_cast<qsizetype>(size));
            return true;
        },
        headers);
    return body;
}

QString HttpClient::getText(const QString& url)
{
    QByteArray body;
    const QByteArray contentType = perform(url, [&body](const char* data, size_t size) {
        body.append(data, static_cast<qsizetype>(size));
        return true;
    });
    return decodeText(body, charsetOfContentType(contentType));
}

void HttpClient::getToFile(const QString& url, const QString& path)
{
    // Written beside the target and renamed over it only once the whole body
    // arrived: a failed download never cuts short a file that was there.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Création du fichier impossible : %1 (%2)").arg(path, file.errorString()));
    try {
        perform(url, [&file](const char* data, size_t size) {
            return file.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size);
        });
    } catch (const Error&) {
        if (file.error() != QFileDevice::NoError)
            throw Error(QStringLiteral("Écriture du fichier impossible : %1 (%2)").arg(path, file.errorString()));
        throw;
    }
    // Data still buffered reaches the disk here; a full disk shows now.
    if (!file.commit())
        throw Error(QStringLiteral("Écriture du fichier impossible : %1 (%2)").arg(path, file.errorString()));
}

} // namespace filmarch
