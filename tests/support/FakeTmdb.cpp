#include "support/FakeTmdb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

namespace filmarch::test {

namespace {

const int resultsAPage = 20;

// The words of a title as the service compares them.
QSet<QString> wordsOf(const std::string& text)
{
    QString plain;
    for (QChar c : QString::fromStdString(text).normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        plain += c.isLetterOrNumber() ? c.toCaseFolded() : QChar(u' ');
    }
    QSet<QString> words;
    for (const QString& w : plain.split(u' ', Qt::SkipEmptyParts))
        words.insert(w);
    return words;
}

bool matches(const FakeTmdbFilm& film, const QSet<QString>& query)
{
    if (query.isEmpty())
        return false;
    std::vector<std::string> titles = film.otherTitles;
    titles.push_back(film.title);
    titles.push_back(film.originalTitle);
    for (const std::string& title : titles) {
        const QSet<QString> words = wordsOf(title);
        if (std::all_of(query.begin(), query.end(), [&](const QString& w) { return words.contains(w); }))
            return true;
    }
    return false;
}

int yearOf(const FakeTmdbFilm& film)
{
    return film.releaseDate.size() >= 4 ? std::atoi(film.releaseDate.substr(0, 4).c_str()) : 0;
}

std::string quoted(const std::string& text)
{
    return QJsonDocument(QJsonArray {QString::fromStdString(text)})
        .toJson(QJsonDocument::Compact)
        .mid(1)
        .chopped(1)
        .toStdString();
}

std::string nullOr(const std::string& text)
{
    return text.empty() ? "null" : quoted(text);
}

std::string resultOf(const FakeTmdbFilm& film)
{
    if (!film.result.empty())
        return film.result;
    return "{\"id\":" + std::to_string(film.id) + ",\"title\":" + quoted(film.title)
        + ",\"original_title\":" + quoted(film.originalTitle) + ",\"release_date\":" + quoted(film.releaseDate)
        + ",\"poster_path\":" + nullOr(film.posterPath) + ",\"popularity\":" + std::to_string(film.popularity) + "}";
}

} // namespace

FakeTmdb::FakeTmdb(std::string apiKey) : key(std::move(apiKey))
{
    site.server.Get(
        ".*", [this](const httplib::Request& request, httplib::Response& response) { answer(request, response); });
    site.start();
}

void FakeTmdb::addFilm(FakeTmdbFilm film)
{
    std::lock_guard hold(lock);
    films.push_back(std::move(film));
}

void FakeTmdb::addSearch(const std::string& query, const std::string& results)
{
    (void)query; // the films are found by their titles' words
    const QJsonArray list = QJsonDocument::fromJson(QByteArray::fromStdString(results)).array();
    std::lock_guard hold(lock);
    // Most popular first: in the order given, after the films already there.
    double popularity = 1e6 - double(films.size()) * 1000;
    for (const QJsonValue& value : list) {
        const QJsonObject o = value.toObject();
        FakeTmdbFilm film;
        film.id = long(o.value(QLatin1String("id")).toDouble());
        film.title = o.value(QLatin1String("title")).toString().toStdString();
        film.originalTitle = o.value(QLatin1String("original_title")).toString().toStdString();
        film.releaseDate = o.value(QLatin1String("release_date")).toString().toStdString();
        film.popularity = popularity--;
        film.result = QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
        films.push_back(std::move(film));
    }
}

void FakeTmdb::addMovie(long id, const std::string& answer)
{
    std::lock_guard hold(lock);
    movies[id] = answer;
}

QString FakeTmdb::server() const
{
    return site.url("");
}

std::string FakeTmdb::imageBase() const
{
    return site.url("/t/p/").toStdString();
}

std::vector<std::string> FakeTmdb::requests() const
{
    std::lock_guard hold(lock);
    return received;
}

int FakeTmdb::count(const std::string& pathStart) const
{
    int n = 0;
    for (const std::string& target : requests())
        if (target.rfind(pathStart, 0) == 0)
            ++n;
    return n;
}

std::string FakeTmdb::search(const httplib::Request& request) const
{
    const QSet<QString> query = wordsOf(request.get_param_value("query"));
    const int year = std::atoi(request.get_param_value("year").c_str());
    const int primaryYear = std::atoi(request.get_param_value("primary_release_year").c_str());
    std::vector<const FakeTmdbFilm*> found;
    for (const FakeTmdbFilm& film : films) {
        if (!matches(film, query))
            continue;
        if (primaryYear && yearOf(film) != primaryYear)
            continue;
        if (year && yearOf(film) != year
            && std::find(film.otherReleaseYears.begin(), film.otherReleaseYears.end(), year)
                == film.otherReleaseYears.end())
            continue;
        found.push_back(&film);
    }
    std::stable_sort(found.begin(), found.end(),
        [](const FakeTmdbFilm* a, const FakeTmdbFilm* b) { return a->popularity > b->popularity; });
    const int total = int(found.size());
    const int pages = std::max(1, (total + resultsAPage - 1) / resultsAPage);
    const int page = std::max(1, std::atoi(request.get_param_value("page").c_str()));
    std::string results;
    for (int i = (page - 1) * resultsAPage; i < std::min(total, page * resultsAPage); ++i)
        results += (results.empty() ? "" : ",") + resultOf(*found[size_t(i)]);
    return "{\"page\":" + std::to_string(page) + ",\"results\":[" + results
        + "],\"total_pages\":" + std::to_string(pages) + ",\"total_results\":" + std::to_string(total) + "}";
}

std::string FakeTmdb::find(const std::string& imdbId) const
{
    std::string results;
    for (const FakeTmdbFilm& film : films)
        if (!imdbId.empty() && film.imdbId == imdbId)
            results += (results.empty() ? "" : ",") + resultOf(film);
    return "{\"movie_results\":[" + results + "],\"person_results\":[],\"tv_results\":[]}";
}

std::string FakeTmdb::details(long id) const
{
    if (const auto given = movies.find(id); given != movies.end())
        return given->second;
    for (const FakeTmdbFilm& film : films) {
        if (film.id != id)
            continue;
        return "{\"id\":" + std::to_string(film.id) + ",\"title\":" + quoted(film.title)
            + ",\"original_title\":" + quoted(film.originalTitle) + ",\"release_date\":" + quoted(film.releaseDate)
            + ",\"runtime\":" + (film.runtime ? std::to_string(film.runtime) : "null")
            + ",\"imdb_id\":" + nullOr(film.imdbId) + ",\"poster_path\":" + nullOr(film.posterPath)
            + ",\"genres\":[],\"production_countries\":[],\"credits\":{\"cast\":[],\"crew\":[]}}";
    }
    return {};
}

void FakeTmdb::answer(const httplib::Request& request, httplib::Response& response)
{
    std::string target = request.path;
    if (!request.params.empty()) {
        std::string query;
        for (const auto& [name, value] : request.params)
            query += (query.empty() ? "?" : "&") + name + "=" + value;
        target += query;
    }
    {
        std::lock_guard hold(lock);
        received.push_back(target);
    }
    if (request.path.rfind("/t/p/", 0) == 0) {
        response.set_content(picture, "image/jpeg");
        return;
    }
    const auto json = [&](int status, const std::string& body) {
        response.status = status;
        response.set_content(body, "application/json;charset=utf-8");
    };
    const bool keyGiven =
        request.get_param_value("api_key") == key || request.get_header_value("Authorization") == "Bearer " + token;
    if (!keyGiven)
        return json(401,
            R"({"status_code":7,"status_message":"Invalid API key: You must be granted a valid key.","success":false})");
    if (tooManyRequests > 0) {
        --tooManyRequests;
        response.set_header("Retry-After", std::to_string(retryAfterSeconds.load()));
        return json(429, R"({"status_code":25,"status_message":"Your request count is over the allowed limit."})");
    }
    if (request.path == "/3/configuration")
        return json(200,
            R"({"images":{"base_url":"http://unused.example/t/p/","secure_base_url":")" + imageBase()
                + R"(","poster_sizes":["w92","w154","w185","w342","w500","w780","original"]},"change_keys":[]})");
    if (request.path == "/3/configuration/countries") {
        if (request.get_param_value("language") != "fr-FR")
            return json(200, "[]");
        return json(200,
            R"([{"iso_3166_1":"US","english_name":"United States of America","native_name":"États-Unis"},)"
            R"({"iso_3166_1":"FR","english_name":"France","native_name":"France"},)"
            R"({"iso_3166_1":"DE","english_name":"Germany","native_name":"Allemagne"}])");
    }
    std::lock_guard hold(lock);
    if (request.path == "/3/search/movie")
        return json(200, search(request));
    const std::string findPath = "/3/find/";
    if (request.path.rfind(findPath, 0) == 0 && request.get_param_value("external_source") == "imdb_id")
        return json(200, find(request.path.substr(findPath.size())));
    const std::string moviePath = "/3/movie/";
    if (request.path.rfind(moviePath, 0) == 0) {
        const std::string answer = details(std::atol(request.path.substr(moviePath.size()).c_str()));
        if (!answer.empty())
            return json(200, answer);
    }
    json(
        404, R"({"status_code":34,"status_message":"The resource you requested could not be found.","success":false})");
}

} // namespace filmarch::test
