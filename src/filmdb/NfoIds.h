#pragma once
// The film identifiers that a .nfo file beside a film gives, as media centres
// write them: Kodi's XML (<uniqueid type="imdb">, <imdbid>, <tmdbid>, <id>) or
// a text holding an IMDb or TMDb address.
#include <QByteArray>
#include <QString>

namespace filmarch {

struct FilmIds {
    QString imdbId; // "tt0123456", or empty
    qint64 tmdbId = 0;
    bool any() const { return !imdbId.isEmpty() || tmdbId > 0; }
};

// The identifiers in a .nfo's bytes, whatever their encoding (UTF-8, UTF-16, 8-bit).
FilmIds readNfoIds(const QByteArray& bytes);

// The .nfo of the film at `filmPath`: "<name>.nfo" beside it, else
// "movie.nfo" in its folder. At most 1 MiB of it is read; one that is not a
// regular file, that a link takes out of the film's folder, or that cannot be
// read gives nothing.
FilmIds nfoIdsBeside(const QString& filmPath);

} // namespace filmarch
