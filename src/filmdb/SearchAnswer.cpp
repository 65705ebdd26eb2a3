#include "filmdb/SearchAnswer.h"

#include "platform/Error.h"

#include <libxml/tree.h>

namespace filmarch {

SearchAnswer::SearchAnswer(const QByteArray& bytes)
    : answer(bytes, "feed"),
      results(XmlAnswer::children(answer.root(), "results")),
      movies(XmlAnswer::children(answer.root(), "movie"))
{
}

XmlAnswer::Node SearchAnswer::result(int index) const
{
    XmlAnswer::checkPosition(index, results.size(), "results");
    return results[static_cast<size_t>(index)];
}

XmlAnswer::Node SearchAnswer::movie(int index) const
{
    XmlAnswer::checkPosition(index, movies.size(), "movie");
    return movies[static_cast<size_t>(index)];
}

QString SearchAnswer::Type_(int index) const
{
    return XmlAnswer::attribute(result(index), "type");
}

QString SearchAnswer::ValueType_(int index) const
{
    const XmlAnswer::Node node = result(index);
    if (!node->children)
        throw Error(QStringLiteral("Réponse de la base de films illisible : results vide"));
    return XmlAnswer::text(node->children);
}

int SearchAnswer::Code(int index) const
{
    return XmlAnswer::integerAttribute(movie(index), "code", "code du film");
}

std::optional<int> SearchAnswer::codeIfAny(int index) const
{
    return XmlAnswer::optionalIntegerAttribute(movie(index), "code");
}

QString SearchAnswer::OriginalTitle(int index) const
{
    return XmlAnswer::text(XmlAnswer::child(movie(index), "originalTitle"));
}

int SearchAnswer::ProductionYear(int index) const
{
    const XmlAnswer::Node year = XmlAnswer::child(movie(index), "productionYear");
    if (XmlAnswer::text(year).isEmpty())
        return 0;
    return XmlAnswer::integer(year, "productionYear");
}

QString SearchAnswer::Href(int index) const
{
    return XmlAnswer::attribute(XmlAnswer::child(movie(index), "poster"), "href");
}

} // namespace filmarch
