#include "filmdb/AllocineSource.h"

#include "filmdb/MovieAnswer.h"
#include "filmdb/RequestGuard.h"
#include "filmdb/SearchAnswer.h"
#include "media/IntegerText.h"
#include "platform/Error.h"

#include <algorithm>

namespace filmarch {

namespace {
const int mostFilms = 30;
}

AllocineSource::AllocineSource(const QString& host, const AppPaths& paths, HttpClient& http, RequestGuard& guard)
    : client(host, paths, http, &guard), host(host), paths(paths), http(http), guard(guard)
{
}

AllocineClient& AllocineSource::sessionOfThisThread()
{
    std::lock_guard hold(mutex);
    std::unique_ptr<AllocineClient>& session = sessions[std::this_thread::get_id()];
    if (!session)
        session = std::make_unique<AllocineClient>(host, paths, http, &guard);
    return *session;
}

LookupOutcome AllocineSource::lookUp(const QString& NomFilm, const QString& Annee)
{
    if (guard.stopped()) {
        LookupOutcome outcome;
        outcome.code = 1;
        return outcome;
    }
    AllocineClient& session = sessionOfThisThread();
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

CandidateList AllocineSource::search(const QString& NomFilm, const QString& Annee)
{
    CandidateList list;
    if (guard.stopped()) {
        list.code = 1;
        return list;
    }
    client.prepareImageFolder();
    const QString motcle = ConstruitMotCle(NomFilm);
    QByteArray probe;
    client.RetourBrutXml.clear();
    try {
        probe = client.RequeteRecherche(motcle);
    } catch (const Error& e) {
        // An answer came but could not be stored: the user is told why.
        if (!client.RetourBrutXml.isEmpty())
            list.error = e.message();
        else
            list.code = 1;
        return list;
    }

    try {
        const SearchAnswer counts(probe);
        int NbrFilms = 0;
        for (int r = 0; r < counts.resultCount(); ++r)
            if (counts.Type_(r) == QLatin1String("movie"))
                NbrFilms = toInteger(counts.ValueType_(r));
        if (NbrFilms <= 0) {
            list.code = 2;
            return list;
        }
        NbrFilms = std::min(NbrFilms, mostFilms);
        const SearchAnswer Feed_first(client.RequeteRecherche(motcle, NbrFilms));
        // The films the list really holds, whatever the probe announced.
        NbrFilms = std::min(NbrFilms, Feed_first.movieCount());
        if (NbrFilms == 0) {
            list.code = 2;
            return list;
        }
        if (!Annee.isEmpty() && isIntegerText(Annee)) {
            const int year = toInteger(Annee);
            for (int i = 0; i < NbrFilms; ++i)
                if (Feed_first.ProductionYear(i) == year)
                    list.bestitem = i;
        }
        for (int i = 0; i < NbrFilms; ++i) {
            Candidate film;
            film.originalTitle = Feed_first.OriginalTitle(i);
            if (const std::optional<int> code = Feed_first.codeIfAny(i))
                film.code = QString::number(*code);
            film.posterUrl = Feed_first.Href(i);
            list.films << film;
        }
    } catch (const Error&) {
        list = CandidateList();
        list.code = 2;
    }
    return list;
}

QString AllocineSource::thumbnail(const Candidate& film)
{
    return client.ChargeVignette(film.posterUrl, film.originalTitle);
}

void AllocineSource::details(const QString& code, InfosFilmAllo& infos, QStringList& logLines)
{
    const MovieAnswer Movie(client.RequeteFilm(code));
    const bool complete = RemplitInfosFilm(Movie, Movie.Title(), infos, logLines);
    // Details without a production year or a running time are details that
    // could not be read, whatever else they hold.
    Movie.ProductionYear();
    Movie.Runtime();
    if (!complete)
        throw Error(QStringLiteral("Fiche du film illisible : ") + code);
}

QString AllocineSource::failureText(int code) const
{
    return code == 1 ? QStringLiteral("Eerreur de connection à la base d'Allocine")
                     : QStringLiteral("Pas de correspondance trouve dans la base d'Allocine.");
}

} // namespace filmarch
