#pragma once
// Read-only view of a search answer (root `feed`): the counts of hits per kind
// (`results`) and the candidate films (`movie`). One view serves the probe and
// the list. Positions run from 0; a position outside the list throws Error.
#include "filmdb/XmlAnswer.h"

namespace filmarch {

class SearchAnswer {
public:
    explicit SearchAnswer(const QByteArray& bytes);
    static SearchAnswer load(const QString& path) { return SearchAnswer(XmlAnswer::readFile(path)); }

    int resultCount() const { return static_cast<int>(results.size()); }
    QString Type_(int result) const;
    // The count of hits of that kind, as the service wrote it; throws when empty.
    QString ValueType_(int result) const;

    int movieCount() const { return static_cast<int>(movies.size()); }
    // Throws when the film has no readable `code`; codeIfAny() reads none then.
    int Code(int movie) const;
    std::optional<int> codeIfAny(int movie) const;
    QString OriginalTitle(int movie) const;
    // 0 when missing or empty.
    int ProductionYear(int movie) const;
    // The poster's address, possibly empty.
    QString Href(int movie) const;

private:
    XmlAnswer::Node result(int index) const;
    XmlAnswer::Node movie(int index) const;

    XmlAnswer answer;
    std::vector<XmlAnswer::Node> results;
    std::vector<XmlAnswer::Node> movies;
};

} // namespace filmarch
