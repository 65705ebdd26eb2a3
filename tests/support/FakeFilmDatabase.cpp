#include "support/FakeFilmDatabase.h"

#include <QScopeGuard>

#include <chrono>
#include <thread>

namespace filmarch::test {

namespace {

const char bom[] = "\xEF\xBB\xBF";
const char partnerKey[] = "Tq7bWx2LpR4nVe8";
const char serviceNamespace[] = "http://films.example/v6/ns/";

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string element(const char* name, const std::string& text)
{
    return std::string("<") + name + ">" + escaped(text) + "</" + name + ">";
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The value of a query parameter as sent: percent-escapes decoded, "+" kept.
std::string rawParameter(const std::string& target, const std::string& name)
{
    const size_t query = target.find('?');
    if (query == std::string::npos)
        return {};
    size_t start = query + 1;
    while (start <= target.size()) {
        size_t end = target.find('&', start);
        if (end == std::string::npos)
            end = target.size();
        const std::string pair = target.substr(start, end - start);
        if (pair.rfind(name + "=", 0) == 0) {
            std::string value;
            const std::string encoded = pair.substr(name.size() + 1);
            for (size_t i = 0; i < encoded.size(); ++i) {
                if (encoded[i] == '%' && i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0
                    && hexValue(encoded[i + 2]) >= 0) {
                    value += static_cast<char>(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
                    i += 2;
                } else {
                    value += encoded[i];
                }
            }
            return value;
        }
        start = end + 1;
    }
    return {};
}

} // namespace

FakeFilmDatabase::FakeFilmDatabase()
{
    picture = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(2000, '\x55') + std::string("\xFF\xD9", 2);
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        answer(request, response);
    };
    site.server.Get(R"(/.*)", handler);
    site.start();
}

// A server stops only once its answers have gone.
FakeFilmDatabase::~FakeFilmDatabase()
{
    answers.open();
}

void FakeFilmDatabase::addSearch(const std::string& keyword, FakeSearch search)
{
    std::lock_guard guard(lock);
    searches[keyword] = std::move(search);
}

std::vector<FakeFilm> FakeFilmDatabase::numberedFilms(int count, int firstCode, int firstYear)
{
    std::vector<FakeFilm> films;
    for (int i = 0; i < count; ++i) {
        FakeFilm film;
        film.code = firstCode + i;
        film.title = "Film " + std::to_string(i);
        film.originalTitle = "Original " + std::to_string(i);
        film.productionYear = firstYear + i;
        film.runtime = 5400;
        films.push_back(film);
    }
    return films;
}

QString FakeFilmDatabase::host() const
{
    return site.url("").mid(QStringLiteral("http://").size());
}

QString FakeFilmDatabase::posterUrl(const std::string& name) const
{
    return site.url("/medias/nmedia/18/") + QString::fromStdString(name);
}

std::vector<std::string> FakeFilmDatabase::requests() const
{
    std::lock_guard guard(lock);
    return received;
}

std::vector<std::string> FakeFilmDatabase::refusals() const
{
    std::lock_guard guard(lock);
    return refused;
}

void FakeFilmDatabase::answer(const httplib::Request& request, httplib::Response& response)
{
    const int now = ++underWay;
    for (int most = mostAtOnce; now > most && !mostAtOnce.compare_exchange_weak(most, now);) {}
    const auto answered = qScopeGuard([this] { --underWay; });
    answers.pass();
    if (const int latency = latencyMilliseconds)
        std::this_thread::sleep_for(std::chrono::milliseconds(latency));
    std::lock_guard guard(lock);
    received.push_back(request.target);
    const auto refuse = [&](int status, const std::string& reason) {
        refused.push_back(reason + ": " + request.target);
        response.status = status;
        response.set_content(reason, "text/plain");
    };
    if (request.get_header_value("Accept") != "text/html, */*"
        || request.get_header_value("User-Agent") != "Mozilla/3.0 (compatible; Indy Library)")
        return refuse(400, "headers");
    // Pictures come from a media server that knows no session.
    if (request.path.find("/medias/") != std::string::npos)
        return response.set_content(picture, "image/jpeg");
    // The service hands out a session cookie on the first answer and wants it back.
    if (issuedCookie.empty()) {
        issuedCookie = "ACCESS=s" + std::to_string(received.size()) + "k42";
        response.set_header("Set-Cookie", issuedCookie + "; Path=/");
    } else if (request.get_header_value("Cookie").find(issuedCookie) == std::string::npos) {
        return refuse(403, "cookie");
    }
    if (rawParameter(request.target, "partner") != partnerKey)
        return refuse(403, "partner");

    if (request.path != "/rest/v3/movie" && request.path != "/rest/v3/search")
        return refuse(404, "path");
    if (request.path == "/rest/v3/movie") {
        if (failMovieRequests)
            return refuse(500, "movie");
        const int code = std::atoi(rawParameter(request.target, "code").c_str());
        for (const auto& [keyword, search] : searches)
            for (const FakeFilm& film : search.films)
                if (film.code == code)
                    return response.set_content(
                        bom + film.movieAnswer.value_or(movieAnswer(film)), "application/xml; charset=utf-8");
        return refuse(404, "movie");
    }
    std::string keyword = rawParameter(request.target, "q");
    if (keyword.size() < 2 || keyword.front() != '\'' || keyword.back() != '\'')
        return refuse(400, "q");
    keyword = keyword.substr(1, keyword.size() - 2);
    const std::string count = rawParameter(request.target, "count");
    response.set_content(
        bom + searchAnswer(keyword, count.empty() ? -1 : std::atoi(count.c_str())), "application/xml; charset=utf-8");
}

std::string FakeFilmDatabase::searchAnswer(const std::string& keyword, int count) const
{
    const auto found = searches.find(keyword);
    const FakeSearch search = found == searches.end() ? FakeSearch() : found->second;
    const int films = static_cast<int>(search.films.size());
    std::string xml =
        std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed page=\"1\" xmlns=\"") + serviceNamespace + "\">";
    xml += "<page>1</page><count>" + std::to_string(count < 0 ? 10 : count) + "</count>";
    std::vector<std::pair<std::string, std::string>> results = search.results;
    if (results.empty())
        results = {{"person", "2"}, {"movie", std::to_string(films)}, {"news", "1"}};
    for (const auto& [type, value] : results)
        xml += "<results type=\"" + type + "\">" + value + "</results>";
    xml += "<totalResults>" + std::to_string(films + 3) + "</totalResults>";
    int listed = count < 0 ? std::min(films, 10) : std::min(films, count);
    if (search.listHolds >= 0)
        listed = std::min(listed, search.listHolds);
    for (int i = 0; i < listed; ++i) {
        const FakeFilm& film = search.films[static_cast<size_t>(i)];
        xml += "<movie code=\"" + std::to_string(film.code) + "\">";
        xml += element("originalTitle", film.originalTitle) + element("title", film.title);
        if (film.productionYear)
            xml += element("productionYear", std::to_string(film.productionYear));
        xml += "<release><releaseDate>" + film.releaseDate + "</releaseDate></release>";
        if (!film.posterHref.empty())
            xml += "<poster path=\"/p.jpg\" href=\"" + escaped(film.posterHref) + "\"/>";
        xml += "</movie>";
    }
    return xml + "</feed>\n";
}

std::string FakeFilmDatabase::movieAnswer(const FakeFilm& film)
{
    std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<movie code=\"")
        + std::to_string(film.code) + "\" xmlns=\"" + serviceNamespace + "\">";
    xml += "<movieType code=\"4002\">Long-métrage</movieType>";
    xml += element("originalTitle", film.originalTitle) + element("title", film.title);
    if (film.productionYear)
        xml += element("productionYear", std::to_string(film.productionYear));
    xml += "<nationalityList>";
    for (const std::string& country : film.nationalities)
        xml += "<nationality code=\"5001\">" + escaped(country) + "</nationality>";
    xml += "</nationalityList><genreList>";
    for (const std::string& genre : film.genres)
        xml += "<genre code=\"13008\">" + escaped(genre) + "</genre>";
    xml += "</genreList>";
    xml += "<release>" + element("releaseDate", film.releaseDate) + "<country code=\"5001\">France</country></release>";
    if (film.runtime)
        xml += element("runtime", std::to_string(*film.runtime));
    xml += "<synopsis>" + film.synopsis + "</synopsis>";
    xml += "<casting>";
    for (const FakeCastMember& member : film.cast) {
        xml += "<castMember><person code=\"1\">" + element("name", member.name) + "</person>";
        xml += member.activity < 0 ? std::string("<activity>?</activity>")
                                   : "<activity code=\"" + std::to_string(member.activity) + "\">métier</activity>";
        if (!member.role.empty())
            xml += element("role", member.role);
        xml += "</castMember>";
    }
    xml += "</casting>";
    if (!film.posterHref.empty())
        xml += "<poster path=\"/p.jpg\" href=\"" + escaped(film.posterHref) + "\"/>";
    xml += "<statistics>";
    if (!film.pressRating.empty())
        xml += element("pressRating", film.pressRating);
    if (!film.userRating.empty())
        xml += element("userRating", film.userRating);
    return xml + "</statistics></movie>\n";
}

} // namespace filmarch::test
