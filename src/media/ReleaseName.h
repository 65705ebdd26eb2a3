#pragma once
// What a film file's path says of its film, read the way a person reads a
// release name: the title one would search, the year, the part of a film in
// several files, the identifiers of the film databases, and the words that
// only describe the copy (source, resolution, codecs, languages, group...).
// Pure: the path is read as text, no file is opened.
#include <QString>
#include <QStringList>

namespace filmarch {

struct ReleaseName {
    QString title;            // what a person would search
    QString alternativeTitle; // the other-language title, or empty
    int year = 0;             // 0 = none
    int part = 0;             // 0 = not a part; CD2 / part 2 / Disc 2 / 2of2 / pt.2 / CDB -> 2
    QString nameWithoutPart;  // the file's base name with its part marker removed (grouping key)
    QStringList editions;     // "Director's Cut", "Extended", ...
    QString imdbId;           // "tt0123456" or empty
    int tmdbId = 0;           // 0 = none
    QStringList releaseWords; // what was recognised and set aside
    bool titleFromFolder = false;
    bool sample = false;  // a sample, not a film
    bool episode = false; // S01E02, 1x02
    // The alternative title came after " - " or "AKA": it may as well be the
    // second half of one long title ("Mission Impossible - Fallout").
    bool alternativeAfterSeparator = false;
    // The title and year the film's own folder gives, when the folder names a
    // film (empty for "Films", "VIDEO_TS", "CD1"...): a last search.
    QString folderTitle;
    int folderYear = 0;
};

// Reads the path's file name and, where the name is not enough, its folders.
// Accepts any text; separators are '/' (and '\' as written on Windows).
ReleaseName readReleaseName(const QString& path);

// A title as film titles are compared: without case, accents, punctuation and
// repeated blanks ("L'Été, meurtrier !" -> "lete meurtrier").
QString comparableTitle(const QString& title);

} // namespace filmarch
