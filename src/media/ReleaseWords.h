#pragma once
// The vocabulary of release names: the words that describe a copy of a film
// rather than the film. Every function takes a word already in lower case.
#include <QString>
#include <QStringList>

namespace filmarch::releasewords {

// Sources, resolutions, codecs, audio, release tags and the language words
// that never name a film ("truefrench", "vostfr", "x264", "1080p", "5.1"...).
bool isReleaseWord(const QString& word);

// Words that describe a copy only where they stand among release words: the
// names of languages ("french", "english"), "dual", "subs"... "The French
// Connection" keeps its "French".
bool isLanguageWord(const QString& word);

// "mkv", "avi"... what is cut from the end of a file name.
bool isVideoExtension(const QString& extension);

// The end of a site's address ("com", "net", "org"...).
bool isSiteEnding(const QString& word);

// Folders that hold a film's files without naming it: "video_ts", "bdmv",
// "sample", "subs", "extras"...
bool isStructuralFolder(const QString& name);

// Folders that hold many films: "films", "movies", "downloads"...
bool isLibraryFolder(const QString& name);

// An edition phrase starting at `words[at]`: its number of words, and its name
// in `edition` ("director's cut" -> "Director's Cut"); 0 when none starts there.
int editionAt(const QStringList& words, qsizetype at, QString* edition);
// The edition one word names alone ("extended" -> "Extended"); false when none.
bool editionWord(const QString& word, QString* edition);

} // namespace filmarch::releasewords
