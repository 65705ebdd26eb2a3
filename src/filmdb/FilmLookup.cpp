#include "filmdb/FilmLookup.h"

#include "filmdb/AllocineClient.h"

namespace filmarch {

FilmLookup::FilmLookup(const AppPaths& appPaths, HttpClient& client) : paths(appPaths), http(client)
{
}
FilmLookup::~FilmLookup() = default;

AllocineClient& FilmLookup::sessionOfThisThread(const QString& host)
{
    std::lock_guard lock(mutex);
    std::unique_ptr<AllocineClient>& session = sessions[std::this_thread::get_id()];
    if (!session)
        session = std::make_unique<AllocineClient>(host, paths, http);
    return *session;
}

LookupOutcome FilmLookup::lookUp(const QString& host, const QString& NomFilm, const QString& Annee)
{
    AllocineClient& session = sessionOfThisThread(host);
    if (!opened) {
        std::lock_guard first(opening);
        if (!opened) {
            LookupOutcome outcome = RechercheAuto(session, NomFilm, Annee);
            opened = true;
            return outcome;
        }
    }
    return RechercheAuto(session, NomFilm, Annee);
}

} // namespace filmarch
