#pragma once
// What one analysed film becomes in each catalogue format, as pure functions of
// the analysis, the options and the looked-up data. The writers add the side
// effects: numbering, the Matroska tools, posters, saving, counting, progress.
#include "filmdb/InfosFilmAllo.h"

#include <QString>
#include <utility>
#include <vector>

namespace filmarch {

class TTraitement;
class TMovie;
struct ScanOptions;

using XmlAttributes = std::vector<std::pair<QString, QString>>;

// Fills the fields of a new AMC entry (not its number nor its picture).
// Throws when a value the options ask for cannot be read; the entry may then
// be half-filled and must be dropped.
void fillAmcEntry(TMovie& NewMovie, const TTraitement& Fichier, const ScanOptions& opts, const InfosFilmAllo& infos);

// The attributes of a new Movie element, in the order they are written.
// `picture` is the poster file for "Picture" (empty: no such attribute).
// Throws when a value the options ask for cannot be read.
XmlAttributes xmlMovieAttributes(const TTraitement& Fichier, const ScanOptions& opts, const InfosFilmAllo& infos,
    int number, const QString& date, const QString& picture);

} // namespace filmarch
