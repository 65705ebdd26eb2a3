#include "filmdb/TmdbSource.h"

#include "filmdb/AllocineClient.h"
#include "filmdb/AnswerLimits.h"
#include "filmdb/RequestGuard.h"
#include "platform/Error.h"
#include "platform/HttpClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace filmarch {

namespace {
const int mostFilms = 30;

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
    // Asked once: the first lookup asks, the others wait for its answer. On the
    // windows' thread the request waits in a nested event loop, from which a
    // second lookup could start: that one is refused, never left to wait.
    std::unique_lock hold(learning, std::defer_lock);
    const QCoreApplication* application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread()) {
        if (!hold.try_lock())
            throw Error(QStringLiteral("Une requête vers la base de films est déjà en cours"));
    } else {
        hold.lock();
    }
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

    QList<TmdbResult> results;
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
        results = readSearch(asking([&] { return client.search(NomFilm); }));
    } catch (const Error& e) {
        return setAside(e);
    }
    outcome.NbrFilms = static_cast<int>(std::min<qsizetype>(results.size(), mostFilms));
    outcome.bestitem = chooseResult(results.mid(0, mostFilms), Annee);
    if (outcome.bestitem < 0) {
        outcome.bestitem = 0;
        return failed(2);
    }
    try {
        const TmdbFilm found = film(results[outcome.bestitem].id, outcome.logLines);
        outcome.infos = found.infos;
        outcome.runtimeSeconds = found.runtimeSeconds;
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
        list.bestitem = chooseResult(results, Annee);
        for (const TmdbResult& result : results)
            list.films << Candidate {QString::number(result.id), result.originalTitle,
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
