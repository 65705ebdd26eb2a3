#include "filmdb/AllocineClient.h"

#include "filmdb/PictureDownload.h"
#include "filmdb/RequestGuard.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <mutex>

#include <filesystem>
#include <mutex>
#include <system_error>

namespace filmarch {

namespace {

const QString windows1252Declaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1252\"?>");

// Characters that go into the query as they are: the keyword's apostrophes and "+" must
// reach the service unchanged; "&", "#", "%", "=" and anything outside ASCII would not.
bool keptInQuery(char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return c != '\0' && QByteArrayView("-._~'+()!*,;:@/$").contains(c);
}

QString queryValue(const QString& text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        if (keptInQuery(c))
            out.append(c);
        else
            out.append('%').append(
                QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0').toUpper());
    }
    return QString::fromLatin1(out);
}

// The service starts its answers with a byte-order mark; a decoder may already have
// dropped it, and then the first character is a real one.
QString withoutByteOrderMark(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// The stored answers are written in windows-1252: their declaration must say so,
// whatever the service declared (or if it declared nothing).
QString declaredWindows1252(QString text)
{
    static const QRegularExpression declaration(
        QStringLiteral("^<\\?xml\\b[^>]*\\?>"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = declaration.match(text);
    if (match.hasMatch())
        return text.replace(0, match.capturedLength(), windows1252Declaration);
    return windows1252Declaration + text;
}

QString writeError(const QString& path, const QString& reason)
{
    return QStringLiteral("Écriture du fichier impossible : %1 (%2)").arg(path, reason);
}

} // namespace

QString ConstruitMotCle(const QString& title)
{
    static const char* const apostrophe[] = {"C", "D", "J", "L", "M", "N", "QU", "S", "T"};
    QString motcle = title;
    for (const char* entry : apostrophe) {
        for (QChar& c : motcle)
            if (c >= u'a' && c <= u'z')
                c = QChar(c.unicode() - u'a' + u'A');
        motcle.remove(QLatin1String(entry) + QLatin1Char('\''), Qt::CaseSensitive);
    }
    return motcle.replace(QLatin1Char(' '), QLatin1Char('+'));
}

QString traiteNomFic(const QString& name)
{
    QString safe = name;
    for (QChar& c : safe)
        if (QStringView(u"\"*/:<>?\\|").contains(c))
            c = u'-';
    return safe;
}

bool DelDir(const QString& folder)
{
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(folder.toStdString()), error);
    return !error;
}

QString repairSearchAnswer(QString answer)
{
    return declaredWindows1252(withoutByteOrderMark(std::move(answer)));
}

QString repairMovieAnswer(QString answer)
{
    // Only the service's own default namespace goes (the views read plain names).
    static const QRegularExpression serviceNamespace(
        QStringLiteral("\\sxmlns\\s*=\\s*\"[a-z][a-z0-9+.-]*://[^/\"\\s]*/v6/ns/\""),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression closingBreak(
        QStringLiteral("</br\\s*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression lineBreak(
        QStringLiteral("<br\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    answer = declaredWindows1252(withoutByteOrderMark(std::move(answer)));
    answer.remove(serviceNamespace);
    answer.remove(closingBreak);
    // A character reference keeps the carriage return through the XML reader.
    return answer.replace(lineBreak, QStringLiteral("&#13;&#10;"));
}

AllocineClient::AllocineClient(const QString& host, const AppPaths& appPaths, HttpClient& http, RequestGuard* guard)
    : CheminImage(appPaths.cacheFile(QStringLiteral("images"))),
      host(host.trimmed()),
      paths(appPaths),
      IdHTTP1(http),
      guard(guard)
{
    limitRequests(IdHTTP1);
}

QString AllocineClient::searchUrl(const QString& motcle, int count) const
{
    QString url = QStringLiteral("http://%1/rest/v3/search?q='%2'&partner=%3")
                      .arg(host, queryValue(motcle), QLatin1String(partnerKey));
    if (count >= 0)
        url += QStringLiteral("&count=%1").arg(count);
    return url;
}

QString AllocineClient::movieUrl(const QString& code) const
{
    return QStringLiteral("http://%1/rest/v3/movie?code=%2&partner=%3&profile=large")
        .arg(host, queryValue(code), QLatin1String(partnerKey));
}

QString AllocineClient::get(const QString& url)
{
    QString text;
    if (guard)
        guard->run(host, [&] { text = IdHTTP1.getText(url); });
    else
        text = IdHTTP1.getText(url);
    return text;
}

QByteArray AllocineClient::store(const QString& answer, const QString& fileName)
{
    const QByteArray bytes = toWindows1252(answer) + "\r\n";
    const QString path = paths.cacheFile(fileName);
    QDir().mkpath(paths.cacheDir()); // an installed program's cache folder comes and goes
    // Clients looking up at once keep the stored answer whole.
    static std::mutex storing;
    std::lock_guard lock(storing);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(writeError(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw Error(writeError(path, file.errorString()));
    return bytes;
}

QByteArray AllocineClient::RequeteRecherche(const QString& motcle, int count)
{
    RetourBrutXml = repairSearchAnswer(get(searchUrl(motcle, count)));
    return store(RetourBrutXml, QStringLiteral("ListeRecherche.xml"));
}

QByteArray AllocineClient::RequeteFilm(const QString& code)
{
    RetourBrutXml = repairMovieAnswer(get(movieUrl(code)));
    return store(RetourBrutXml, QStringLiteral("InfosFilm.xml"));
}

void AllocineClient::prepareImageFolder() const
{
    QDir().mkpath(CheminImage);
}

QString AllocineClient::ChargeVignette(const QString& posterUrl, const QString& originalTitle)
{
    if (posterUrl.isEmpty()) {
        const QString placeholder = paths.shippedFile(QStringLiteral("Vide.jpeg"));
        if (!QFileInfo::exists(placeholder))
            throw Error(QStringLiteral("Image introuvable : %1").arg(placeholder));
        return placeholder;
    }
    const QString target = QDir(CheminImage).filePath(traiteNomFic(originalTitle) + QStringLiteral(".jpeg"));
    // The service's small copy of the poster, sized for the candidate list.
    QString url = posterUrl;
    url.replace(QStringLiteral("medias"), QStringLiteral("r_75_106/medias"), Qt::CaseInsensitive);
    downloadPicture(url, target);
    return target;
}

void AllocineClient::downloadPicture(const QString& url, const QString& path)
{
    filmarch::downloadPicture(IdHTTP1, url, path);
}

} // namespace filmarch
