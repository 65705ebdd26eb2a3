#include "filmdb/TmdbSource.h"

#include "filmdb/AnswerLimits.h"
#include "filmdb/NfoIds.h"
#include "filmdb/RequestGuard.h"
#include "platform/Error.h"
#include "platform/HttpClient.h"

#include <QDir>
#include <QFileInfo>

namespace filmarch {

namespace {
const int mostFilms = 30;
// Requests of the search a file may cost, second pages included, and films
// whose details are asked to tell films of one title apart.
const int mostSearches = 3;
const int mostTied = 3;
const double shortestFilmSeconds = 120;

// The searches for a file, in order, each once: the title read, the other
// title, the folder's title.
QList<TitleSought> searchesFor(const ReleaseName& name)
{
    const QString both =
        name.alternativeAfterSeparator ? name.title + QLatin1Char(' ') + name.alternativeTitle : QString();
    const QList<TitleSought> all = {
        {name.title, {name.title, name.alternativeTitle, both}, name.year, false},
        {name.alternativeTitle, {name.alternativeTitle, name.title, both}, name.year, false},
        {name.folderTitle, {name.folderTitle}, name.folderYear ? name.folderYear : name.year, true},
    };
    QList<TitleSought> searches;
    QStringList seen;
    for (const TitleSought& s : all) {
        const QString key = comparableTitle(s.text);
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen << key;
        searches << s;
    }
    return searches;
}

// What the window shows of a film: its French title, its original title when
// it differs, its year ("Le Prestige (The Prestige, 2006)"): films of one
// title are told apart.
QString caption(const TmdbResult& film)
{
    const QString title = film.title.isEmpty() ? film.originalTitle : film.title;
    QStringList more;
    if (!film.originalTitle.isEmpty() && comparableTitle(film.originalTitle) != comparableTitle(title))
        more << film.originalTitle;
    if (film.releaseDate.size() >= 4 && film.releaseDate.left(4).toInt() > 0)
        more << film.releaseDate.left(4);
    return more.isEmpty() ? title : title + QStringLiteral(" (") + more.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// A second page is read when the first holds no film of exactly the title
// (and of the year, when the name gives one).
bool worthAnotherPage(const Choice& choice)
{
    return choice.fit != Fit::ExactOfYear && choice.fit != Fit::Exact;
}

// An answer that says the film is not there, as opposed to a service that cannot answer.
bool notThere(const HttpError& e)
{
    return !e.transport && (e.status == 404 || e.status == 400 || e.status == 422);
}

QString withoutTrailingDelimiter(QString name)
{
    if (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    return name;
}
} // namespace

TmdbSource::TmdbSource(const QString& server, const QString& credential, const QString& language, const AppPaths& paths,
    HttpClient& http, RequestGuard& guard, std::function<void(int)> wait)
    : client(server, credential, language, http, guard, std::move(wait)),
      paths(paths),
      CheminImage(paths.cacheFile(QStringLiteral("images"))),
      guard(guard)
{
}

QString TmdbSource::keyRefusedLine()
{
    return QStringLiteral("La clé TMDb est refusée par le service : vérifiez-la dans les options");
}

template <typename Request>
auto TmdbSource::asking(Request request)
{
    try {
        return request();
    } catch (const HttpError& e) {
        if (e.status == 401)
            guard.stop(keyRefusedLine());
        throw;
    }
}

const TmdbConfiguration& TmdbSource::configuration()
{
    // Asked once: the first lookup asks, the others wait for its answer.
    std::lock_guard hold(learning);
    if (!learnt) {
        TmdbConfiguration found;
        found.imageBase = readImageBase(asking([&] { return client.configuration(); }));
        // Without the names in the chosen language, those of the answers (English) stand.
        try {
            found.countries = readCountries(asking([&] { return client.countries(); }));
        } catch (const HttpError& e) {
            if (e.transport || e.status == 401)
                throw;
        } catch (const Error&) {
        }
        learnt = found;
    }
    // Set once and never changed: the reference stays good without the lock.
    return *learnt;
}

// The details of film `id`, checked to be that film's and bounded.
TmdbFilm TmdbSource::film(qint64 id, QStringList& logLines)
{
    TmdbFilm found = readMovie(asking([&] { return client.movie(id); }), configuration());
    if (found.id != id)
        throw Error(QStringLiteral("la réponse n'est pas la fiche du film demandé (%1)").arg(id));
    // The film is named by the start of its title, which may be one of the texts cut.
    logLines << capFields(found.infos, found.infos[InfoTitre].left(200));
    return found;
}

LookupOutcome TmdbSource::lookUp(const QString& NomFilm, const QString& Annee)
{
    return lookUpFile(queryOf(NomFilm, Annee));
}

std::optional<TmdbFilm> TmdbSource::filmByIdentifiers(const FilmQuery& query, QStringList& logLines)
{
    FilmIds ids {query.name.imdbId, query.name.tmdbId};
    if (!ids.any() && !query.path.isEmpty())
        ids = nfoIdsBeside(query.path);
    try {
        if (ids.tmdbId > 0)
            return film(ids.tmdbId, logLines);
    } catch (const HttpError& e) {
        if (!notThere(e))
            throw;
    }
    try {
        if (!ids.imdbId.isEmpty()) {
            const QList<TmdbResult> found = readFind(asking([&] { return client.find(ids.imdbId); }));
            if (!found.isEmpty())
                return film(found.first().id, logLines);
        }
    } catch (const HttpError& e) {
        if (!notThere(e))
            throw;
    }
    return std::nullopt;
}

std::optional<TmdbFilm> TmdbSource::filmBySearches(const FilmQuery& query, QStringList& logLines)
{
    int searchesLeft = mostSearches;
    for (const TitleSought& sought : searchesFor(query.name)) {
        if (searchesLeft == 0)
            break;
        const QByteArray first = asking([&] { return client.search(sought.text); });
        --searchesLeft;
        QList<TmdbResult> results = readSearch(first);
        Choice choice = chooseFilm(results, sought);
        if (worthAnotherPage(choice) && searchesLeft > 0 && readTotalPages(first) > 1) {
            results += readSearch(asking([&] { return client.search(sought.text, 2); }));
            --searchesLeft;
            choice = chooseFilm(results, sought);
        }
        if (choice.fit == Fit::None)
            continue;
        // A part's length is not the film's: the most relevant is taken.
        if (!choice.tied || query.name.part > 0 || !(query.fileSeconds > 0))
            return film(results[choice.positions.first()].id, logLines);
        QList<TmdbFilm> films;
        QList<QStringList> filmsLines;
        QList<int> minutes;
        for (int i = 0; i < std::min<qsizetype>(choice.positions.size(), mostTied); ++i) {
            filmsLines << QStringList();
            films << film(results[choice.positions[i]].id, filmsLines.last());
            minutes << films.last().runtimeSeconds / 60;
        }
        // Only what was cut from the film kept is said.
        const int nearest = nearestRunningTime(minutes, query.fileSeconds);
        logLines << filmsLines[nearest];
        return films[nearest];
    }
    return std::nullopt;
}

LookupOutcome TmdbSource::lookUpFile(const FilmQuery& query)
{
    const QString NomFilm = query.name.title.isEmpty() ? query.NomFilm : query.name.title;
    LookupOutcome outcome;
    // A refused key is said once for the run, and a run that gave up asking
    // says nothing more per file. A service that failed, or an answer set
    // aside, is said with its reason.
    const auto failed = [&](int code, bool silent = false, const QString& reason = {}) -> LookupOutcome& {
        outcome.code = code;
        outcome.infos.fill(QString());
        if (silent)
            return outcome;
        if (!reason.isEmpty())
            outcome.logLines << QStringLiteral("Fichier non traité par le scan allocine (%1) : %2")
                                    .arg(reason, withoutTrailingDelimiter(NomFilm));
        else if (code == 1)
            outcome.logLines << QStringLiteral(
                                    "Fichier non traité par le scan allocine, une erreur de connection est survenu : ")
                    + withoutTrailingDelimiter(NomFilm);
        else
            outcome.logLines << QStringLiteral(
                                    "Fichier non traité par le scan allocine, aucune correspondance trouvée : ")
                    + withoutTrailingDelimiter(NomFilm);
        return outcome;
    };
    if (guard.stopped())
        return failed(1, true);
    // A sample, an episode or a file under two minutes is catalogued as it is.
    if (query.name.sample || query.name.episode || (query.fileSeconds > 0 && query.fileSeconds < shortestFilmSeconds)) {
        outcome.code = 3;
        return outcome;
    }

    // A request refused because the run gave up or was stopped is no failure of its file.
    const auto setAside = [&](const Error& e) -> LookupOutcome& {
        const auto* http = dynamic_cast<const HttpError*>(&e);
        if ((!http && guard.stopped()) || guard.interruptedRun())
            return failed(1, true);
        if (http)
            return failed(http->transport || http->status == 401 || http->status == 429 ? 1 : 2, http->status == 401,
                http->transport ? QString() : e.message());
        return failed(2, false, e.message());
    };
    try {
        configuration();
        std::optional<TmdbFilm> found = filmByIdentifiers(query, outcome.logLines);
        if (!found)
            found = filmBySearches(query, outcome.logLines);
        if (!found)
            return failed(2);
        outcome.NbrFilms = 1;
        outcome.infos = found->infos;
        outcome.runtimeSeconds = found->runtimeSeconds;
    } catch (const Error& e) {
        return setAside(e);
    }
    return outcome;
}

CandidateList TmdbSource::search(const QString& NomFilm, const QString& Annee)
{
    CandidateList list;
    if (guard.stopped()) {
        list.code = 1;
        return list;
    }
    QDir().mkpath(CheminImage);
    try {
        const TmdbConfiguration& config = configuration();
        const QList<TmdbResult> results = readSearch(asking([&] { return client.search(NomFilm); })).mid(0, mostFilms);
        if (results.isEmpty()) {
            list.code = 2;
            return list;
        }
        const Choice choice = chooseFilm(results, {NomFilm, {NomFilm}, Annee.toInt(), false});
        list.bestitem = choice.positions.isEmpty() ? 0 : choice.positions.first();
        for (const TmdbResult& result : results)
            list.films << Candidate {QString::number(result.id), caption(result),
                pictureUrl(config.imageBase, QStringLiteral("w92"), result.posterPath)};
    } catch (const HttpError& e) {
        list.code = e.transport || e.status == 401 || e.status == 429 ? 1 : 2;
        if (e.status == 401)
            list.error = keyRefusedLine();
    } catch (const Error&) {
        list.code = 2;
    }
    return list;
}

QString TmdbSource::thumbnail(const Candidate& film)
{
    if (film.posterUrl.isEmpty()) {
        const QString placeholder = paths.shippedFile(QStringLiteral("Vide.jpeg"));
        if (!QFileInfo::exists(placeholder))
            throw Error(QStringLiteral("Image introuvable : %1").arg(placeholder));
        return placeholder;
    }
    // Named by the film's code: two films of one title keep their own pictures.
    const QString target = QDir(CheminImage).filePath(film.code + QStringLiteral(".jpeg"));
    client.downloadPicture(film.posterUrl, target);
    return target;
}

void TmdbSource::details(const QString& code, InfosFilmAllo& infos, QStringList& logLines)
{
    bool ok = false;
    const qint64 id = code.toLongLong(&ok);
    if (!ok || id <= 0)
        throw Error(QStringLiteral("Fiche du film illisible : ") + code);
    try {
        infos = film(id, logLines).infos;
    } catch (const HttpError& e) {
        if (e.status == 401)
            throw Error(keyRefusedLine());
        throw;
    }
}

QString TmdbSource::failureText(int code) const
{
    return code == 1 ? QStringLiteral("Erreur de connexion à la base de TMDb")
                     : QStringLiteral("Pas de correspondance trouvée dans la base de TMDb.");
}

} // namespace filmarch
