#pragma once
// The automatic lookup: one film searched, one candidate taken without asking,
// its details copied into InfosFilmAllo. The caller writes the log lines and
// then the catalogue entry, whatever the outcome.
#include "filmdb/InfosFilmAllo.h"

#include <QStringList>

namespace filmarch {

class AllocineClient;
class MovieAnswer;

struct LookupOutcome {
    InfosFilmAllo infos;     // the slots that could be filled
    int code = 0;            // 0 found, 1 the service unreachable, 2 no usable match, 3 not a film: not looked up
    QStringList logLines;    // to log, in order, before the entry is written
    int NbrFilms = 0;        // films announced by the probe, at most 30
    int bestitem = 0;        // position of the chosen film in the list
    int runtimeSeconds = -1; // the chosen film's running time, -1 when unknown
};

// Searches `NomFilm` and takes the last film of the list whose production year
// is `Annee` (a year read from the file name, possibly empty), else the first.
LookupOutcome RechercheAuto(AllocineClient& client, const QString& NomFilm, const QString& Annee);

// Fills every slot the movie answer allows. A synopsis holding markup leaves
// its slot empty and adds a log line naming `title`; a missing production
// year, running time or unreadable rating leaves that slot empty, and so does
// a year that is not four digits. Returns
// false when some other value could not be read (its slot stays empty).
bool RemplitInfosFilm(const MovieAnswer& Movie, const QString& title, InfosFilmAllo& infos, QStringList& logLines);

// A line for the log when the chosen film's running time and the file's exact
// length (both in seconds, <= 0 when unknown) disagree by more than a fifth
// for a file of 40 minutes or more; empty otherwise. Minutes are shown rounded.
QString runningTimeCheck(double fileSeconds, double filmSeconds, const QString& titleSearched);

} // namespace filmarch
