#pragma once
// The program's film-database lookups: the source the options choose, made once
// and kept while its settings stay (its cookies and what it learnt go with it),
// all through the program's one HTTP client and one request guard.
#include "core/AppPaths.h"
#include "filmdb/LookupSource.h"
#include "filmdb/RequestGuard.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace filmarch {

class HttpClient;
struct ScanOptions;

class FilmLookup {
public:
    FilmLookup(HttpClient& http, const AppPaths& paths);
    ~FilmLookup();
    FilmLookup(const FilmLookup&) = delete;
    FilmLookup& operator=(const FilmLookup&) = delete;

    // The source the options choose; nullptr when it is not configured.
    LookupSource* source(const ScanOptions& options);

    // A run starts: it asks again, whatever the last one gave up on.
    void startRun() { guard.startRun(); }
    // The user stopped the run: a wait before asking again ends at once.
    void interrupt() { guard.interrupt(); }
    // True once this run stopped asking (a silent service, a refused key).
    bool stopped() const { return guard.stopped(); }
    // Lines for the run's log, said once each.
    QStringList takeNotices() { return guard.takeNotices(); }

    // How a source waits before asking again a service that said "too many
    // requests" (seconds), cut short by interrupt(); tests make it instant.
    std::function<void(int)> wait;

private:
    HttpClient& http;
    const AppPaths paths;
    RequestGuard guard;
    std::mutex lock;
    std::unique_ptr<LookupSource> current;
    // Sources replaced after a change of settings stay alive: a run's workers
    // may still be asking them.
    std::vector<std::unique_ptr<LookupSource>> replaced;
    QStringList currentSettings; // what `current` was made from
};

} // namespace filmarch
