#pragma once
// What a lookup knows of one film file: the catalogue's title and year, and
// what the reader of release names read of its path.
#include "media/ReleaseName.h"

#include <QString>

namespace filmarch {

struct FilmQuery {
    QString NomFilm;         // the catalogue's title, from which a keyword search is made
    QString Annee;           // the year read with it, possibly empty
    ReleaseName name;        // the path as a release name
    QString path;            // the film file, beside which a .nfo may name the film; empty: none
    double fileSeconds = -1; // the file's length, -1 when unknown
};

// A query from a title and a year alone, as a person types them.
inline FilmQuery queryOf(const QString& NomFilm, const QString& Annee)
{
    FilmQuery query;
    query.NomFilm = NomFilm;
    query.Annee = Annee;
    query.name.title = NomFilm.simplified();
    query.name.year = Annee.toInt();
    return query;
}

} // namespace filmarch
