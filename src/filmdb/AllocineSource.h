#pragma once
// The Allociné REST service as a lookup source: its client, the automatic
// lookup and the window's search over the stored answers.
#include "filmdb/AllocineClient.h"
#include "filmdb/LookupSource.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace filmarch {

class AllocineSource : public LookupSource {
public:
    AllocineSource(const QString& host, const AppPaths& paths, HttpClient& http, RequestGuard& guard);

    LookupOutcome lookUp(const QString& NomFilm, const QString& Annee) override;
    CandidateList search(const QString& NomFilm, const QString& Annee) override;
    QString thumbnail(const Candidate& film) override;
    void details(const QString& code, InfosFilmAllo& infos, QStringList& logLines) override;
    QString failureText(int code) const override;
    QString imageFolder() const override { return client.CheminImage; }
    QString name() const override { return QStringLiteral("Allociné"); }

    AllocineClient client;

private:
    // A session of this thread with the service: a scan's workers look films up
    // at once, each with its client (their cookies are the HTTP client's).
    AllocineClient& sessionOfThisThread();

    const QString host;
    const AppPaths paths;
    HttpClient& http;
    RequestGuard& guard;
    std::mutex mutex;
    // The service gives its session cookie with its first answer: the first
    // automatic lookup runs alone, the others wait for it.
    std::mutex opening;
    std::atomic<bool> opened {false};
    std::map<std::thread::id, std::unique_ptr<AllocineClient>> sessions;
};

} // namespace filmarch
