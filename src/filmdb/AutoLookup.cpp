#include "filmdb/AutoLookup.h"

#include "filmdb/AllocineClient.h"
#include "filmdb/MovieAnswer.h"
#include "filmdb/SearchAnswer.h"
#include "media/IntegerText.h"
#include "platform/Error.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>

namespace filmarch {

namespace {

const int mostFilms = 30;
const int actorWindow = 11; // cast members examined for actors

QString withoutTrailingDelimiter(QString name)
{
    if (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    return name;
}

QString joined(const QStringList& parts)
{
    return parts.join(QStringLiteral(", "));
}

// "1h05min": seconds are dropped, not rounded.
QString duree(int seconds)
{
    const int h = seconds / 3600;
    const int min = seconds % 3600 / 60;
    return QStringLiteral("%1h%2min").arg(h).arg(min, 2, 10, QLatin1Char('0'));
}

// The service writes "3.5" on a scale of 0 to 5; the locale of the machine plays no part.
QString note(const QString& rating)
{
    if (rating.isEmpty())
        return {};
    QString text = rating.left(3);
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return {};
    return QString::number(static_cast<long long>(std::round(value)));
}

// A year is four digits or nothing ("inco" of a date "inconnue" is none).
QString year(const QString& text)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    return fourDigits.match(text).hasMatch() ? text : QString();
}

} // namespace

bool RemplitInfosFilm(const MovieAnswer& Movie, const QString& title, InfosFilmAllo& infos, QStringList& logLines)
{
    bool complete = true;
    // Each slot on its own: a value that cannot be read costs that slot only.
    const auto fill = [&](InfoSlot slot, const std::function<QString()>& read) {
        try {
            infos[slot] = read();
        } catch (const Error&) {
            complete = false;
        }
    };
    fill(InfoTitre, [&] { return Movie.Title(); });
    fill(InfoTitreOriginal, [&] { return Movie.OriginalTitle(); });
    fill(InfoAnneeSortie, [&] { return year(Movie.ReleaseDate().left(4)); });
    fill(InfoRealisateur, [&] {
        QStringList names;
        for (int i = 0; i < Movie.castCount(); ++i)
            if (Movie.Activity(i) == MovieAnswer::director)
                names << Movie.Name(i);
        return joined(names);
    });
    if (const std::optional<int> production = Movie.productionYearIfAny())
        infos[InfoAnneeProduction] = year(QString::number(*production));
    fill(InfoPays, [&] { return joined(Movie.NationalityList()); });
    fill(InfoGenre, [&] { return joined(Movie.GenreList()); });
    fill(InfoActeurs, [&] {
        QStringList actors;
        for (int i = 0; i < std::min(Movie.castCount(), actorWindow); ++i)
            if (Movie.Activity(i) == MovieAnswer::actor)
                actors << Movie.Name(i) + QLatin1Char('(') + Movie.Role(i) + QLatin1Char(')');
        return joined(actors);
    });
    if (const std::optional<int> runtime = Movie.runtimeIfAny())
        infos[InfoDuree] = duree(*runtime);
    try {
        infos[InfoSynopsis] = Movie.Synopsis();
    } catch (const Error&) {
        logLines << QStringLiteral("Erreur de récupération du synopsis : ") + withoutTrailingDelimiter(title);
    }
    infos[InfoNotePresse] = note(Movie.PressRating());
    infos[InfoNoteSpectateurs] = note(Movie.UserRating());
    infos[InfoAffiche] = Movie.Href();
    return complete;
}

LookupOutcome RechercheAuto(AllocineClient& client, const QString& NomFilm, const QString& Annee)
{
    LookupOutcome outcome;
    const auto LanceSauvCatalog = [&](int code) -> LookupOutcome& {
        outcome.code = code;
        if (code == 1)
            outcome.logLines << QStringLiteral(
                                    "Fichier non traité par le scan allocine, une erreur de connection est survenu : ")
                    + withoutTrailingDelimiter(NomFilm);
        else if (code == 2)
            outcome.logLines << QStringLiteral(
                                    "Fichier non traité par le scan allocine, aucune correspondance trouvée : ")
                    + withoutTrailingDelimiter(NomFilm);
        return outcome;
    };

    client.prepareImageFolder();
    const QString motcle = ConstruitMotCle(NomFilm);
    QByteArray probe;
    try {
        probe = client.RequeteRecherche(motcle);
    } catch (const Error&) {
        return LanceSauvCatalog(1);
    }

    try {
        // The second count of the probe is the films'.
        const SearchAnswer Feed_first(probe);
        if (Feed_first.resultCount() < 2 || Feed_first.Type_(1) != QLatin1String("movie"))
            return LanceSauvCatalog(2);
        const QString count = Feed_first.ValueType_(1);
        if (!isIntegerText(count))
            return LanceSauvCatalog(2);
        outcome.NbrFilms = std::clamp(toInteger(count), 0, mostFilms);
        const SearchAnswer Feed(client.RequeteRecherche(motcle, outcome.NbrFilms));

        // The films the list really holds, whatever the probe announced.
        const int films = std::min(outcome.NbrFilms, Feed.movieCount());
        if (films == 0)
            return LanceSauvCatalog(2);
        if (!Annee.isEmpty() && isIntegerText(Annee)) {
            const int year = toInteger(Annee);
            for (int i = 0; i < films; ++i)
                if (Feed.ProductionYear(i) == year)
                    outcome.bestitem = i;
        }
        const MovieAnswer Movie(client.RequeteFilm(QString::number(Feed.Code(outcome.bestitem))));
        const bool complete = RemplitInfosFilm(Movie, NomFilm, outcome.infos, outcome.logLines);
        if (const std::optional<int> runtime = Movie.runtimeIfAny())
            outcome.runtimeSeconds = *runtime;
        return LanceSauvCatalog(complete ? 0 : 2);
    } catch (const Error&) {
        return LanceSauvCatalog(2);
    }
}

QString runningTimeCheck(double fileSeconds, double filmSeconds, const QString& titleSearched)
{
    if (!(fileSeconds > 0) || !(filmSeconds > 0) || fileSeconds < 40 * 60)
        return {};
    // More than a fifth away from the running time the service gives.
    if (std::abs(fileSeconds - filmSeconds) * 5 <= filmSeconds)
        return {};
    return QStringLiteral("Fiche à vérifier, durée du fichier %1 min, durée de la fiche %2 min : %3")
        .arg(std::llround(fileSeconds / 60))
        .arg(std::llround(filmSeconds / 60))
        .arg(titleSearched);
}

} // namespace filmarch
