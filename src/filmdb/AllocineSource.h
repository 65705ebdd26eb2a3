#pragma once
// The Allociné REST service as a lookup source: its client, the automatic
// lookup and the window's search over the stored answers.
#include "filmdb/AllocineClient.h"
#include "filmdb/LookupSource.h"

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

    AllocineClient client;

private:
    RequestGuard& guard;
};

} // namespace filmarch
