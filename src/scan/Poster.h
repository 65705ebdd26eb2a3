#pragma once
// Posters shared by the two catalogue writers.
#include <QString>

namespace filmarch {

class TTraitement;
struct EntrySources;

// Where a poster of `title` goes: the poster folder (the default one when the
// field is empty) + "/" + title + ".jpg". A "/" inside the title cannot make
// the file land in another folder.
QString posterPath(const QString& folder, const QString& title);

// Downloads `url` to posterPath(...) through the sources' HTTP client, off the
// event loop, creating the poster folder when missing; the file is replaced
// only by a whole picture. Returns the file written, or an empty text
// after logging "Impossible d'extraire l'affiche du fichier ou de la
// télécharger" + the file's path.
QString downloadPoster(const EntrySources& sources, const TTraitement& Fichier, const QString& url);

} // namespace filmarch
