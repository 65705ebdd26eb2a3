#pragma once
// Which film of a search is the file's: the one of exactly the title read and
// of the year, else of the year, else within a year of it; without a year,
// one of exactly that title. No film rather than a wrong one.
#include "filmdb/TmdbAnswers.h"

#include <QList>
#include <QStringList>

namespace filmarch {

struct TitleSought {
    QString text;       // what is searched
    QStringList titles; // the titles that count as exactly the film's (the searched one first)
    int year = 0;       // 0: the name gives none
    // Only a film of exactly one of the titles will do: a folder's name may
    // be anything ("Vacances 2019"), a film merely holding its words is no proof.
    bool exactOnly = false;
};

// How well a result fits, best first.
enum class Fit { ExactOfYear, OfYear, ExactNearYear, NearYear, Exact, None };

struct Choice {
    Fit fit = Fit::None;
    QList<int> positions; // the results of that fit, in the service's order
    // Several films of exactly the title and none told apart by the year:
    // the running time decides among the first of `positions`.
    bool tied = false;
};

// The best fit among `results` for `sought`.
Choice chooseFilm(const QList<TmdbResult>& results, const TitleSought& sought);

// Of films whose running times are given (minutes, <= 0 unknown), the one
// nearest the file's length; the first when the length or all times are unknown.
int nearestRunningTime(const QList<int>& minutes, double fileSeconds);

} // namespace filmarch
