#include "filmdb/TmdbAnswers.h"

#include "platform/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace filmarch {

namespace {

const int castShown = 10;

QJsonDocument parsed(const QByteArray& answer)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(answer, &error);
    if (error.error != QJsonParseError::NoError)
        throw Error(QStringLiteral("Réponse illisible de TMDb"));
    return document;
}

QJsonObject object(const QByteArray& answer)
{
    const QJsonDocument document = parsed(answer);
    if (!document.isObject())
        throw Error(QStringLiteral("Réponse illisible de TMDb"));
    return document.object();
}

// Text fields only: a number or an object where a text belongs reads as nothing.
QString text(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toString().trimmed();
}

QString joined(const QStringList& parts)
{
    QStringList kept;
    for (const QString& part : parts)
        if (!part.isEmpty())
            kept << part;
    return kept.join(QStringLiteral(", "));
}

// The year of a "YYYY-MM-DD" date: four digits or nothing.
QString yearOf(const QString& date)
{
    static const QRegularExpression year(QStringLiteral("^[0-9]{4}"));
    return year.match(date).hasMatch() ? date.left(4) : QString();
}

// "1h05min" from minutes.
QString duree(int minutes)
{
    return QStringLiteral("%1h%2min").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString readImageBase(const QByteArray& answer)
{
    const QJsonObject images = object(answer).value(QLatin1String("images")).toObject();
    QString base = text(images, "secure_base_url");
    if (base.isEmpty())
        base = text(images, "base_url");
    if (!base.startsWith(QLatin1String("https://")) && !base.startsWith(QLatin1String("http://")))
        throw Error(QStringLiteral("Réponse illisible de TMDb"));
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base;
}

QHash<QString, QString> readCountries(const QByteArray& answer)
{
    const QJsonDocument document = parsed(answer);
    if (!document.isArray())
        throw Error(QStringLiteral("Réponse illisible de TMDb"));
    QHash<QString, QString> names;
    for (const QJsonValue& entry : document.array()) {
        const QJsonObject country = entry.toObject();
        const QString code = text(country, "iso_3166_1");
        const QString name = text(country, "native_name");
        if (!code.isEmpty() && !name.isEmpty())
            names.insert(code, name);
    }
    return names;
}

namespace {

QList<TmdbResult> readResults(const QJsonArray& list)
{
    QList<TmdbResult> results;
    for (const QJsonValue& entry : list) {
        const QJsonObject film = entry.toObject();
        const double id = film.value(QLatin1String("id")).toDouble(-1);
        if (id <= 0 || id != std::floor(id) || id > 1e15)
            continue;
        results << TmdbResult {static_cast<qint64>(id), text(film, "title"), text(film, "original_title"),
            text(film, "release_date"), text(film, "poster_path")};
    }
    return results;
}

} // namespace

QList<TmdbResult> readSearch(const QByteArray& answer)
{
    return readResults(object(answer).value(QLatin1String("results")).toArray());
}

QList<TmdbResult> readFind(const QByteArray& answer)
{
    return readResults(object(answer).value(QLatin1String("movie_results")).toArray());
}

int readTotalPages(const QByteArray& answer)
{
    const double pages = object(answer).value(QLatin1String("total_pages")).toDouble(1);
    return pages >= 1 && pages < 1000 ? int(pages) : 1;
}

int chooseResult(const QList<TmdbResult>& results, const QString& Annee)
{
    if (results.isEmpty())
        return -1;
    if (!Annee.isEmpty())
        for (int i = 0; i < results.size(); ++i)
            if (yearOf(results[i].releaseDate) == Annee)
                return i;
    return 0;
}

QString pictureUrl(const QString& imageBase, const QString& size, const QString& posterPath)
{
    // The path comes from the answer: a picture name, never a way out of the image server.
    static const QRegularExpression pictureName(QStringLiteral("^/[A-Za-z0-9_-]+\\.(jpg|jpeg|png)$"));
    if (imageBase.isEmpty() || !pictureName.match(posterPath).hasMatch())
        return {};
    return imageBase + size + posterPath;
}

TmdbFilm readMovie(const QByteArray& answer, const TmdbConfiguration& configuration)
{
    const QJsonObject movie = object(answer);
    TmdbFilm film;
    const double id = movie.value(QLatin1String("id")).toDouble(0);
    if (id > 0 && id == std::floor(id) && id <= 1e15)
        film.id = static_cast<qint64>(id);
    InfosFilmAllo& infos = film.infos;
    infos[InfoTitre] = text(movie, "title");
    infos[InfoTitreOriginal] = text(movie, "original_title");
    infos[InfoAnneeSortie] = yearOf(text(movie, "release_date"));
    infos[InfoAnneeProduction] = infos[InfoAnneeSortie];

    const QJsonObject credits = movie.value(QLatin1String("credits")).toObject();
    QStringList directors;
    for (const QJsonValue& entry : credits.value(QLatin1String("crew")).toArray()) {
        const QJsonObject member = entry.toObject();
        if (text(member, "job") == QLatin1String("Director"))
            directors << text(member, "name");
    }
    infos[InfoRealisateur] = joined(directors);

    QStringList countries;
    for (const QJsonValue& entry : movie.value(QLatin1String("production_countries")).toArray()) {
        const QJsonObject country = entry.toObject();
        countries << configuration.countries.value(text(country, "iso_3166_1"), text(country, "name"));
    }
    infos[InfoPays] = joined(countries);

    QStringList genres;
    for (const QJsonValue& entry : movie.value(QLatin1String("genres")).toArray())
        genres << text(entry.toObject(), "name");
    infos[InfoGenre] = joined(genres);

    // The cast in billing order, whatever order the list came in.
    QList<QJsonObject> cast;
    for (const QJsonValue& entry : credits.value(QLatin1String("cast")).toArray())
        if (entry.isObject() && !text(entry.toObject(), "name").isEmpty())
            cast << entry.toObject();
    std::stable_sort(cast.begin(), cast.end(), [](const QJsonObject& a, const QJsonObject& b) {
        return a.value(QLatin1String("order")).toDouble(1e9) < b.value(QLatin1String("order")).toDouble(1e9);
    });
    QStringList actors;
    for (int i = 0; i < std::min<qsizetype>(cast.size(), castShown); ++i)
        actors << text(cast[i], "name") + QLatin1Char('(') + text(cast[i], "character") + QLatin1Char(')');
    infos[InfoActeurs] = actors.join(QStringLiteral(", "));

    const double runtime = movie.value(QLatin1String("runtime")).toDouble(0);
    if (runtime >= 1 && runtime < 100000) {
        infos[InfoDuree] = duree(static_cast<int>(runtime));
        film.runtimeSeconds = static_cast<int>(runtime) * 60;
    }
    infos[InfoSynopsis] = text(movie, "overview");

    // The users' mean on 0-10, on the catalogue's 0-5; no press rating.
    const double votes = movie.value(QLatin1String("vote_count")).toDouble(0);
    const double average = movie.value(QLatin1String("vote_average")).toDouble(-1);
    if (votes > 0 && average >= 0 && average <= 10)
        infos[InfoNoteSpectateurs] = QString::number(static_cast<int>(std::round(average / 2)));

    infos[InfoAffiche] = pictureUrl(configuration.imageBase, QStringLiteral("w500"), text(movie, "poster_path"));

    if (film.id > 0)
        infos[InfoTmdbId] = QString::number(film.id);
    static const QRegularExpression imdbNumber(QStringLiteral("^tt[0-9]{7,8}$"));
    if (const QString imdb = text(movie, "imdb_id"); imdbNumber.match(imdb).hasMatch())
        infos[InfoImdbId] = imdb;
    return film;
}

} // namespace filmarch
