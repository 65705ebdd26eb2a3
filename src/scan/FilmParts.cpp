#include "scan/FilmParts.h"

namespace filmarch {

namespace {
const QString kPrefix = QStringLiteral("Parties : ");
const QString kSeparator = QStringLiteral(" / ");
} // namespace

QString partsComment(const QStringList& otherParts)
{
    return kPrefix + otherParts.join(kSeparator);
}

QString withPartsComment(const QString& comments, const QStringList& otherParts)
{
    if (otherParts.isEmpty())
        return comments;
    return comments + (comments.isEmpty() ? QString() : QStringLiteral("\r\n")) + partsComment(otherParts);
}

QStringList partsInComments(const QString& comments)
{
    qsizetype at = comments.lastIndexOf(kPrefix);
    // Only at the start of a line: a title in the comments may hold the words.
    while (at > 0 && comments.at(at - 1) != QLatin1Char('\n') && comments.at(at - 1) != QLatin1Char('|'))
        at = comments.lastIndexOf(kPrefix, at - 1);
    if (at < 0)
        return {};
    const qsizetype start = at + kPrefix.size();
    qsizetype end = comments.indexOf(QLatin1Char('\r'), start);
    if (end < 0)
        end = comments.indexOf(QLatin1Char('\n'), start);
    if (end < 0)
        end = comments.size();
    QStringList names = comments.mid(start, end - start).split(kSeparator, Qt::SkipEmptyParts);
    for (QString& n : names)
        n = n.trimmed();
    names.removeAll(QString());
    return names;
}

} // namespace filmarch
