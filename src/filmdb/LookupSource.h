#pragma once
// What the lookups ask of a film database, whichever service answers: the
// automatic lookup, the lookup window and the scan run see only this.
#include "filmdb/AutoLookup.h"
#include "filmdb/FilmQuery.h"
#include "filmdb/InfosFilmAllo.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace filmarch {

// One film of a search, as the lookup window lists it.
struct Candidate {
    QString code;          // the service's film code; empty when it could not be read
    QString originalTitle; // the caption
    QString posterUrl;     // empty: no poster
};

// The candidates of a search for the lookup window.
struct CandidateList {
    int code = 0;           // 0 films found, 1 the service unreachable, 2 no usable match
    QList<Candidate> films; // at most 30
    int bestitem = 0;       // the preferred film: its year is the file name's
    QString error;          // an answer came but could not be kept: shown in a box
};

class LookupSource {
public:
    virtual ~LookupSource() = default;

    // The automatic lookup of one film (see RechercheAuto). Once the run gave up
    // asking, the outcome is a failure without log lines.
    virtual LookupOutcome lookUp(const QString& NomFilm, const QString& Annee) = 0;
    // The automatic lookup of one film file. A source that reads no more than
    // the catalogue's title and year looks that up.
    virtual LookupOutcome lookUpFile(const FilmQuery& query) { return lookUp(query.NomFilm, query.Annee); }

    // The lookup window's steps: the search, one candidate's thumbnail (a
    // picture file, throws Error), and the details of the film picked (fills
    // `infos`; throws Error when they cannot be had whole).
    virtual CandidateList search(const QString& NomFilm, const QString& Annee) = 0;
    virtual QString thumbnail(const Candidate& film) = 0;
    virtual void details(const QString& code, InfosFilmAllo& infos, QStringList& logLines) = 0;

    // The window's texts for a search that failed (code 1) or found nothing (code 2).
    virtual QString failureText(int code) const = 0;
    // Where the thumbnails go; deleted after a validation.
    virtual QString imageFolder() const = 0;
    // The service's name as the user knows it ("TMDb").
    virtual QString name() const = 0;
};

} // namespace filmarch
