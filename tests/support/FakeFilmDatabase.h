#pragma once
// A fake film-database service on 127.0.0.1, shaped like the real one: answers
// that start with a byte-order mark and declare UTF-8, a default namespace with
// a /v6/ns/ path, a cookie set on the first answer and required afterwards (but
// not for pictures), and
// the client's Accept and User-Agent headers and partner key checked (a request
// that fails a check gets 400 or 403 and is listed in refusals()).
#include "support/Gate.h"
#include "support/LoopbackServer.h"

#include <QString>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace filmarch::test {

struct FakeCastMember {
    std::string name;
    int activity = 8001; // 8002 director, 8001 actor; < 0 leaves the code out
    std::string role;
};

struct FakeFilm {
    int code = 0;
    std::string title;
    std::string originalTitle;
    int productionYear = 0; // 0 leaves the element out (search list and movie answer)
    std::string posterHref; // empty leaves the poster out
    // The movie answer.
    std::string releaseDate;
    std::vector<FakeCastMember> cast;
    std::vector<std::string> nationalities;
    std::vector<std::string> genres;
    std::optional<int> runtime; // seconds
    std::string synopsis;       // XML content as sent: may hold <br/> or other markup
    std::string pressRating;    // empty leaves it out
    std::string userRating;
    std::optional<std::string> movieAnswer; // when set, sent instead of the built answer
};

struct FakeSearch {
    std::vector<FakeFilm> films;
    // The probe's counts by kind, in order; empty: person 2, movie <films>, news 1.
    std::vector<std::pair<std::string, std::string>> results = {};
    int listHolds = -1; // films a list answer holds at most (< 0: as many as asked)
};

class FakeFilmDatabase {
public:
    FakeFilmDatabase();
    ~FakeFilmDatabase();

    // `keyword` as the client builds it ("HOMME+ON+AIMAIT"), UTF-8. An unknown
    // keyword finds nothing (probe: no film).
    void addSearch(const std::string& keyword, FakeSearch search);
    // Films numbered 0 .. count-1, codes from `firstCode`, one year each from `firstYear`
    // (a search for the year firstYear + k prefers film k), each running 1h30min.
    static std::vector<FakeFilm> numberedFilms(int count, int firstCode = 1000, int firstYear = 1990);

    QString host() const;                             // "127.0.0.1:port"
    QString posterUrl(const std::string& name) const; // a poster address under /medias/

    std::vector<std::string> requests() const; // request targets as received, in order
    std::vector<std::string> refusals() const;

    Gate answers; // every answer passes it first
    // A slow service for the benchmarks; tests hold answers at the gate instead.
    std::atomic<int> latencyMilliseconds {0};
    std::atomic<bool> failMovieRequests {false}; // movie requests answer 500
    std::atomic<int> mostAtOnce {0};             // the most requests seen under way at once
    std::string picture;                         // bytes served for every poster address

private:
    void answer(const httplib::Request& request, httplib::Response& response);
    std::string searchAnswer(const std::string& keyword, int count) const;
    static std::string movieAnswer(const FakeFilm& film);

    mutable std::mutex lock;
    std::map<std::string, FakeSearch> searches;
    std::vector<std::string> received;
    std::vector<std::string> refused;
    std::string issuedCookie;
    std::atomic<int> underWay {0};
    LoopbackServer site;
};

} // namespace filmarch::test
