#include "support/FakeTmdb.h"

namespace filmarch::test {

FakeTmdb::FakeTmdb(std::string apiKey) : key(std::move(apiKey))
{
    site.server.Get(
        ".*", [this](const httplib::Request& request, httplib::Response& response) { answer(request, response); });
    site.start();
}

void FakeTmdb::addSearch(const std::string& query, const std::string& results)
{
    std::lock_guard hold(lock);
    searches[query] = results;
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
    if (request.path == "/3/search/movie") {
        const auto found = searches.find(request.get_param_value("query"));
        const std::string results = found == searches.end() ? "[]" : found->second;
        return json(200, R"({"page":1,"results":)" + results + R"(,"total_pages":1,"total_results":1})");
    }
    const std::string moviePath = "/3/movie/";
    if (request.path.rfind(moviePath, 0) == 0) {
        const auto found = movies.find(std::atol(request.path.substr(moviePath.size()).c_str()));
        if (found != movies.end())
            return json(200, found->second);
    }
    json(
        404, R"({"status_code":34,"status_message":"The resource you requested could not be found.","success":false})");
}

} // namespace filmarch::test
