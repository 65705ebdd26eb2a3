#pragma once
// A film kept in several files has one entry: its URL is the first part's,
// and the comments name the other parts on a line of their own, so that a
// later completion or verification knows them as catalogued.
#include <QString>
#include <QStringList>

namespace filmarch {

// "Parties : " and the file names (beside the first part), separated by " / ":
// a slash cannot be part of a file name.
QString partsComment(const QStringList& otherParts);
// `comments` followed by that line on a line of its own; unchanged when
// there is no other part.
QString withPartsComment(const QString& comments, const QStringList& otherParts);
// The names of that line, wherever it stands in the comments; none when absent.
QStringList partsInComments(const QString& comments);

} // namespace filmarch
