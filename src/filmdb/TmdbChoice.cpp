#include "filmdb/TmdbChoice.h"

#include "media/ReleaseName.h"

#include <cmath>

namespace filmarch {

namespace {

int yearOf(const QString& date)
{
    if (date.size() < 4)
        return 0;
    bool ok = false;
    const int year = date.left(4).toInt(&ok);
    return ok ? year : 0;
}

} // namespace

Choice chooseFilm(const QList<TmdbResult>& results, const TitleSought& sought)
{
    QStringList exactTitles;
    for (const QString& title : sought.titles)
        if (const QString c = comparableTitle(title); !c.isEmpty())
            exactTitles << c;
    const auto exact = [&](const TmdbResult& r) {
        return exactTitles.contains(comparableTitle(r.title)) || exactTitles.contains(comparableTitle(r.originalTitle));
    };
    const auto fitOf = [&](const TmdbResult& r) {
        const bool same = exact(r);
        if (sought.year == 0)
            return same ? Fit::Exact : Fit::None;
        const int year = yearOf(r.releaseDate);
        if (!same && sought.exactOnly)
            return Fit::None;
        if (year == sought.year)
            return same ? Fit::ExactOfYear : Fit::OfYear;
        if (year != 0 && std::abs(year - sought.year) <= 1)
            return same ? Fit::ExactNearYear : Fit::NearYear;
        return Fit::None;
    };
    Choice choice;
    for (int i = 0; i < results.size(); ++i) {
        const Fit fit = fitOf(results[i]);
        if (fit < choice.fit) {
            choice.fit = fit;
            choice.positions.clear();
        }
        if (fit == choice.fit && fit != Fit::None)
            choice.positions << i;
    }
    // Films of another title but of the year: the most relevant. Films of
    // exactly the title: told apart by their running times.
    choice.tied = choice.positions.size() > 1
        && (choice.fit == Fit::ExactOfYear || choice.fit == Fit::ExactNearYear || choice.fit == Fit::Exact);
    return choice;
}

int nearestRunningTime(const QList<int>& minutes, double fileSeconds)
{
    int best = 0;
    double bestGap = -1;
    if (!(fileSeconds > 0))
        return 0;
    for (int i = 0; i < minutes.size(); ++i) {
        if (minutes[i] <= 0)
            continue;
        const double gap = std::abs(minutes[i] * 60.0 - fileSeconds);
        if (bestGap < 0 || gap < bestGap) {
            bestGap = gap;
            best = i;
        }
    }
    return best;
}

} // namespace filmarch
