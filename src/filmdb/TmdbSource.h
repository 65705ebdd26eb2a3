#pragma once
// TMDb as a lookup source: the configuration learnt once, the search, the
// choice by the file name's year, the details, the thumbnails.
#include "core/AppPaths.h"
#include "filmdb/LookupSource.h"
#include "filmdb/TmdbAnswers.h"
#include "filmdb/TmdbChoice.h"
#include "filmdb/TmdbClient.h"

#include <mutex>
#include <optional>

namespace filmarch {

class TmdbSource : public LookupSource {
public:
    TmdbSource(const QString& server, const QString& credential, const QString& language, const AppPaths& paths,
        HttpClient& http, RequestGuard& guard, std::function<void(int)> wait);

    LookupOutcome lookUp(const QString& NomFilm, const QString& Annee) override;
    // Identifiers first (the path's, a .nfo's), then at most three searches:
    // the title read, the other title, the folder's.
    LookupOutcome lookUpFile(const FilmQuery& query) override;
    CandidateList search(const QString& NomFilm, const QString& Annee) override;
    QString thumbnail(const Candidate& film) override;
    void details(const QString& code, InfosFilmAllo& infos, QStringList& logLines) override;
    QString failureText(int code) const override;
    QString imageFolder() const override { return CheminImage; }
    QString name() const override { return QStringLiteral("TMDb"); }

    // Said once per run when the service refuses the key.
    static QString keyRefusedLine();

private:
    // The configuration, asked at the first lookup and kept. Throws.
    const TmdbConfiguration& configuration();
    // The details of film `id`; `logLines` get what was cut. Throws Error.
    TmdbFilm film(qint64 id, QStringList& logLines);
    // Runs `request`; a refused key stops the run's lookups. Rethrows.
    template <typename Request>
    auto asking(Request request);
    // The film an identifier names; none when the service knows no such film.
    std::optional<TmdbFilm> filmByIdentifiers(const FilmQuery& query, QStringList& logLines);
    // The film the searches find; none when no result fits closely enough.
    std::optional<TmdbFilm> filmBySearches(const FilmQuery& query, QStringList& logLines);

    TmdbClient client;
    const AppPaths paths;
    const QString CheminImage;
    RequestGuard& guard;
    std::mutex learning; // a scan's workers ask at once
    std::optional<TmdbConfiguration> learnt;
};

} // namespace filmarch
