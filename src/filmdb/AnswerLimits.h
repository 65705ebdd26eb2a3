#pragma once
// Bounds on what a film database's answer may put in an entry.
#include "filmdb/InfosFilmAllo.h"

#include <QStringList>

namespace filmarch {

// The longest text a looked-up field keeps, in characters: a catalogue holds
// it, and a catalogue of thousands of films stays of a size to open.
inline constexpr qsizetype kLongestField = 64 * 1024;

// Cuts every field longer than kLongestField; returns one log line per field
// cut, naming the film `title`.
QStringList capFields(InfosFilmAllo& infos, const QString& title);

} // namespace filmarch
