#pragma once
// Posters shared by the two catalogue writers. A run never writes over nor
// removes a picture it did not make: a poster is made under a temporary name
// of its own, and one that is kept takes a name no file and no entry has.
#include <QString>

#include <functional>

namespace filmarch {

class TTraitement;
struct EntrySources;

// The name a poster of `Fichier` would like in the poster folder (the default
// one when `folder` is empty): its title + ".jpg", or the file's own name when
// the title is empty (a film named only by its year). A "/" inside the title
// cannot make the file land in another folder.
QString wantedPosterPath(const QString& folder, const TTraitement& Fichier);

// Downloads `url` through the sources' HTTP client to a
// temporary file of its own in the poster folder (created when missing).
// Returns that file, which the caller keeps or removes, or an empty text after
// logging "Impossible d'extraire l'affiche du fichier ou de la télécharger" +
// the film's path.
QString downloadPoster(const EntrySources& sources, const TTraitement& Fichier, const QString& url);

// Moves the temporary picture to the first free name from `wanted` on that
// `taken` does not claim (see moveToFreeName). Returns the poster's path; on
// failure the picture is removed, the failure logged, and the text is empty.
QString keepPoster(const EntrySources& sources, const TTraitement& Fichier, const QString& temporary,
    const QString& wanted, const std::function<bool(const QString&)>& taken);

} // namespace filmarch
