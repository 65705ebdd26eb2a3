#include "filmdb/PictureDownload.h"

#include "platform/Error.h"
#include "platform/HttpClient.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace filmarch {

namespace {

const long connectSeconds = 10;
const long answerSeconds = 30;
const qint64 largestAnswer = 8 * 1024 * 1024;

// A picture by its first bytes, whatever its name or declared type says.
bool isPicture(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\xD8") || bytes.startsWith("\x89PNG\r\n\x1A\n") || bytes.startsWith("GIF87a")
        || bytes.startsWith("GIF89a") || (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
        || bytes.startsWith("BM");
}

} // namespace

void limitRequests(HttpClient& http)
{
    http.setLimits(connectSeconds, answerSeconds, largestAnswer);
}

void downloadPicture(HttpClient& http, const QString& url, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Whole in memory: the client's bound on a body (8 MiB) holds any poster.
    const QByteArray bytes = http.getBytes(url);
    if (!isPicture(bytes))
        throw Error(QStringLiteral("la réponse n'est pas une image : %1").arg(hostOf(url)));
    replaceFile(path, bytes);
}

} // namespace filmarch
