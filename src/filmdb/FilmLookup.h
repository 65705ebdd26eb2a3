#pragma once
// The automatic lookup as a scan run's workers call it: several films may be
// looked up at once, from any thread. The one place a film-database source is
// chosen for the automatic lookup.
#include "core/AppPaths.h"
#include "filmdb/AutoLookup.h"

#include <QString>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace filmarch {

class AllocineClient;
class HttpClient;

class FilmLookup {
public:
    // Requests go through `http`, whose cookies all the sessions share.
    FilmLookup(const AppPaths& paths, HttpClient& http);
    ~FilmLookup();
    FilmLookup(const FilmLookup&) = delete;
    FilmLookup& operator=(const FilmLookup&) = delete;

    // Looks `NomFilm` up on `host` (optionally with ":port") as RechercheAuto
    // does. Safe from any thread; each thread keeps its session with the
    // service for the life of this object (one session: the cookies are shared).
    LookupOutcome lookUp(const QString& host, const QString& NomFilm, const QString& Annee);

private:
    AllocineClient& sessionOfThisThread(const QString& host);

    const AppPaths paths;
    HttpClient& http;
    std::mutex mutex;
    // The service gives its session cookie with its first answer: the first
    // lookup runs alone, the others wait for it.
    std::mutex opening;
    std::atomic<bool> opened {false};
    std::map<std::thread::id, std::unique_ptr<AllocineClient>> sessions;
};

} // namespace filmarch
