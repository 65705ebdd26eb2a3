#pragma once
// TMDb's JSON answers read with Qt's JSON classes, as plain values. Every
// field may be missing or null; what cannot be read is left empty.
#include "filmdb/InfosFilmAllo.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace filmarch {

// What the first lookup of a program run learns: where the pictures are and
// the countries' names in the lookup's language (by ISO 3166-1 code).
struct TmdbConfiguration {
    QString imageBase; // "https://image.tmdb.org/t/p/"
    QHash<QString, QString> countries;
};

struct TmdbResult {
    qint64 id = 0;
    QString title;
    QString originalTitle;
    QString releaseDate;
    QString posterPath; // empty: none
};

// The image server of /3/configuration. Throws Error when the answer has none.
QString readImageBase(const QByteArray& answer);
// The native names of /3/configuration/countries. Throws Error when it is not a list.
QHash<QString, QString> readCountries(const QByteArray& answer);
// The results of /3/search/movie, in order; those without an id are left out.
// Throws Error when the answer is not an object.
QList<TmdbResult> readSearch(const QByteArray& answer);

// The result to take: the first whose release year is `Annee`, else the first;
// -1 when there is none.
int chooseResult(const QList<TmdbResult>& results, const QString& Annee);

// The number of pages of results a search answer says it has (at least 1).
int readTotalPages(const QByteArray& answer);
// The films of /3/find/{imdb_id}. Throws Error when the answer is not an object.
QList<TmdbResult> readFind(const QByteArray& answer);

// The slots filled from /3/movie/{id} with its credits. Throws Error when the
// answer is not an object.
struct TmdbFilm {
    qint64 id = 0; // the film the answer is about; 0 when it does not say
    InfosFilmAllo infos;
    int runtimeSeconds = -1; // -1 when unknown
};
TmdbFilm readMovie(const QByteArray& answer, const TmdbConfiguration& configuration);

// A picture address on the image server at `size` ("w92", "w500"); empty when
// the path is not one of the service's picture names.
QString pictureUrl(const QString& imageBase, const QString& size, const QString& posterPath);

} // namespace filmarch
